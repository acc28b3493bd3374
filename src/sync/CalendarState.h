#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One event this program put into a calendar, as it was when it last wrote it.
struct TCalendarEntry
{
    QByteArray Href; // path, percent-encoded
    QByteArray Uid;
    QByteArray ETag; // the server's after the write; empty when it named none
    QByteArray Hash; // of the event's text without its DTSTAMP line
};

// The events a book published into one calendar. Only these are ever changed or deleted
// there; every other resource of the calendar belongs to someone else.
struct TCalendarState
{
    QList<TCalendarEntry> Entries;

    // Beside the address book's state, one file for the pair (book, calendar).
    static QString FileFor(const QString &book, const QString &calendar);
    // A missing or unreadable file, or one of another pair, reads as nothing published.
    static TCalendarState Load(const QString &file, const QString &book, const QString &calendar);
    // Written whole through a new file renamed over the old one.
    bool Save(const QString &file, const QString &book, const QString &calendar) const;
};

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QJsonObject;

// The files of a sync's states (the contacts' and the calendar's).
namespace SyncStateFile {
// How a state names its book: the canonical path, so another name of the same file is one.
QString BookKey(const QString &book);
// The object a state file holds; empty when it is missing, unreadable or over `maxSize`.
QJsonObject Read(const QString &file, qint64 maxSize);
// Written whole through a new file renamed over the old one, its folder made first.
bool Write(const QString &file, const QJsonObject &object);
} // namespace SyncStateFile

// One entry paired with one card as both stood after the last sync.
struct TSyncPair
{
    QByteArray Href; // as the server names the card
    QByteArray ETag;
    QByteArray Name; // the entry's name (Windows-1250)
    QByteArray Card; // hash of the entry's card then: a change in the book shows here
    QByteArray Core; // the same without the name: an entry renamed is still found
    // Hash of the entry's card as a run sent it, written before the request went: the next
    // run tells a write that landed from one that did not. A new card's pair has no Card.
    QByteArray Sent;
    // Each filled field's number and checksum: an entry renamed and edited at once is
    // still found by most of its fields agreeing.
    QByteArray Fields;
    // An entry the book was about to receive when this was written: without it in the
    // book, the card is new to the book again, not deleted there.
    bool Coming = false;
};

// What a book and a collection agreed on at the end of their last sync. It belongs to the
// pair (book file, collection); a copy of the book or another collection starts afresh.
struct TSyncState
{
    QByteArray Token; // the collection's sync token, empty when the server has none
    QList<TSyncPair> Pairs;

    // The file of the pair under the user's state folder ($XDG_STATE_HOME/vorlink/sync).
    static QString FileFor(const QString &book, const QString &collection);
    // A missing or unreadable file, or one of another pair, reads as no state: the next
    // sync compares everything, which never duplicates or deletes.
    static TSyncState Load(const QString &file, const QString &book, const QString &collection);
    // Written whole through a new file renamed over the old one.
    bool Save(const QString &file, const QString &book, const QString &collection) const;
};

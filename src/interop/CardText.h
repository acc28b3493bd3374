#pragma once

#include "book/BookLabels.h"
#include "book/ContactRecord.h"
#include "interop/InteropFormat.h"

#include <QByteArray>
#include <QList>

#include <map>
#include <memory>

class TCardMapper;
class TFormatWriter;
struct TVCardImportStats;

// Single cards as a server holds them: an entry's card, the entry a card maps to, and a
// server's card brought up to date with an entry without losing what the book has no
// field for.
// One of an entry's calendar events as a resource of its own.
struct TEntryEvent
{
    QByteArray Uid; // the export's: <EntryId>-narozeniny@vorlink, <EntryId>-svatek@vorlink
    QByteArray Ics; // a whole VCALENDAR holding that one VEVENT, CR LF lines, folded
};

namespace CardText {

// The entry's card as the vCard export writes it (3.0 or 4.0 by `options`), `uid` as its
// UID. CR LF lines, folded.
QByteArray EntryCard(const TContactRecord &r, const TBookLabels &labels, const TExportOptions &options,
                     const QByteArray &uid);

// The entry the first card of `text` maps to, by the book's captions; false when the
// text holds no card.
bool CardEntry(const QByteArray &text, const TBookLabels &labels, TContactRecord &out);

// `server` brought up to date with the entry: only the properties behind fields the entry
// changed are written anew, in their place with their group, label and parameters; every
// other line (photos, a phone's own properties, further addresses, a person's ORG …) goes
// back byte for byte. The note lines that reading `server` made of its other properties
// are not written again. Empty when `server` holds no card.
QByteArray MergedCard(const QByteArray &server, const TContactRecord &r, const TBookLabels &labels,
                      TExportOptions options);

// The entry's birthday and name day as the calendar export writes them (its reminder and
// DTSTAMP from `options`), each in a calendar of its own; none for dates that name no day.
QList<TEntryEvent> EntryEvents(const TContactRecord &r, const TBookLabels &labels, TExportOptions options);

} // namespace CardText

// The same, prepared once for a book's captions and the export's options: the writers and
// the reader's mapping are made at the first card that needs them, not for each card (a
// sync maps thousands). For one thread at a time.
class TCardText
{
public:
    TCardText(const TBookLabels &labels, const TExportOptions &options);
    ~TCardText();
    TCardText(const TCardText &) = delete;
    TCardText &operator=(const TCardText &) = delete;

    QByteArray EntryCard(const TContactRecord &r, const QByteArray &uid) const;
    bool CardEntry(const QByteArray &text, TContactRecord &out) const;
    QByteArray MergedCard(const QByteArray &server, const TContactRecord &r) const;
    QList<TEntryEvent> EntryEvents(const TContactRecord &r, int alarmDays) const;

private:
    QByteArray Card(const TContactRecord &r, TInteropFormat format, const QByteArray &uid) const;
    const TFormatWriter &Writer(TInteropFormat format, int alarmDays) const;
    TCardMapper &Mapper() const;

    TBookLabels m_labels;
    TExportOptions m_options;
    mutable std::map<std::pair<int, int>, std::unique_ptr<TFormatWriter>> m_writers; // by format and reminder
    mutable std::unique_ptr<TVCardImportStats> m_stats;
    mutable std::unique_ptr<TCardMapper> m_mapper;
};


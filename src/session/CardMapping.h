#pragma once

#include "book/ContactRecord.h"

#include <QByteArray>
#include <QList>
#include <QPair>

// How entries and cards map onto each other, for the sync: interop/ implements it with
// the vCard export's mapping, the sync uses it; this floor lets the two siblings meet.
// The book's captions are the mapping's.
class ICardMapping
{
public:
    virtual ~ICardMapping() = default;
    // The entry's card with `uid` as its UID.
    virtual QByteArray EntryCard(const TContactRecord &r, const QByteArray &uid) const = 0;
    // The entry a card maps to; false when the text holds no card.
    virtual bool CardEntry(const QByteArray &card, TContactRecord &out) const = 0;
    // The server's card with what the book maps replaced by the entry's and all else kept.
    virtual QByteArray MergedCard(const QByteArray &server, const TContactRecord &r) const = 0;
    // The entry's birthday and name day as (UID, a calendar holding that one event), with a
    // reminder `alarmDays` before each (none when negative).
    virtual QList<QPair<QByteArray, QByteArray>> EntryEvents(const TContactRecord &r, int alarmDays) const = 0;
};

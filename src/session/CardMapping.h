#pragma once

#include "book/ContactRecord.h"

#include <QByteArray>

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
};

#pragma once

#include "book/BookLabels.h"
#include "interop/CardText.h"
#include "interop/InteropFormat.h"
#include "session/CardMapping.h"

// The sync's cards are the vCard export's (3.0; a 4.0 card on the server stays 4.0).
class TVCardMapping : public ICardMapping
{
public:
    TVCardMapping(const TBookLabels &labels, const TExportOptions &options);
    QByteArray EntryCard(const TContactRecord &r, const QByteArray &uid) const override;
    bool CardEntry(const QByteArray &card, TContactRecord &out) const override;
    QByteArray MergedCard(const QByteArray &server, const TContactRecord &r) const override;
    QList<QPair<QByteArray, QByteArray>> EntryEvents(const TContactRecord &r, int alarmDays) const override;

private:
    // Its own copies of the captions and options: the window's sync maps on a thread of
    // its own (one at a time).
    TCardText m_text;
};

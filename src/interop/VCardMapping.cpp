#include "interop/VCardMapping.h"

#include "interop/CardText.h"

QByteArray TVCardMapping::EntryCard(const TContactRecord &r, const QByteArray &uid) const
{
    return CardText::EntryCard(r, m_labels, m_options, uid);
}

bool TVCardMapping::CardEntry(const QByteArray &card, TContactRecord &out) const
{
    return CardText::CardEntry(card, m_labels, out);
}

QByteArray TVCardMapping::MergedCard(const QByteArray &server, const TContactRecord &r) const
{
    return CardText::MergedCard(server, r, m_labels, m_options);
}

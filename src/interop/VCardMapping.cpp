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

QList<QPair<QByteArray, QByteArray>> TVCardMapping::EntryEvents(const TContactRecord &r, int alarmDays) const
{
    TExportOptions options = m_options;
    options.AlarmDays = alarmDays;
    // An event without its stamp is no valid calendar: a caller that set none gets now.
    if (!options.Stamp.isValid())
        options.Stamp = QDateTime::currentDateTimeUtc();
    QList<QPair<QByteArray, QByteArray>> events;
    for (const TEntryEvent &e : CardText::EntryEvents(r, m_labels, options))
        events.append({e.Uid, e.Ics});
    return events;
}

#include "interop/VCardMapping.h"

namespace {

// An event without its stamp is no valid calendar: a caller that set none gets the time
// the mapping was made, one stamp for a whole sync.
TExportOptions Stamped(TExportOptions options)
{
    if (!options.Stamp.isValid())
        options.Stamp = QDateTime::currentDateTimeUtc();
    return options;
}

} // namespace

TVCardMapping::TVCardMapping(const TBookLabels &labels, const TExportOptions &options)
    : m_text(labels, Stamped(options))
{
}

QByteArray TVCardMapping::EntryCard(const TContactRecord &r, const QByteArray &uid) const
{
    return m_text.EntryCard(r, uid);
}

bool TVCardMapping::CardEntry(const QByteArray &card, TContactRecord &out) const
{
    return m_text.CardEntry(card, out);
}

QByteArray TVCardMapping::MergedCard(const QByteArray &server, const TContactRecord &r) const
{
    return m_text.MergedCard(server, r);
}

QList<QPair<QByteArray, QByteArray>> TVCardMapping::EntryEvents(const TContactRecord &r, int alarmDays) const
{
    QList<QPair<QByteArray, QByteArray>> events;
    for (const TEntryEvent &e : m_text.EntryEvents(r, alarmDays))
        events.append({e.Uid, e.Ics});
    return events;
}

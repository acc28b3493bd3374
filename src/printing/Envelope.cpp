#include "printing/Envelope.h"

const QList<TEnvelope::TKind> &TEnvelope::Kinds()
{
    static const QList<TKind> kinds {{"C5", {229, 162}}, {"C6", {162, 114}}, {"DL", {220, 110}}};
    return kinds;
}

TEnvelope::TKind TEnvelope::Kind(const QString &key)
{
    for (const TKind &k : Kinds()) {
        if (key.compare(QLatin1String(k.Key), Qt::CaseInsensitive) == 0)
            return k;
    }
    return Kinds().last();
}

TEnvelope::TEnvelope(const TKind &kind, QStringList sender, QStringList addressee)
    : m_kind(kind), m_sender(std::move(sender)), m_addressee(std::move(addressee))
{
}

TMmRect TEnvelope::SenderBox(TMmSize size)
{
    return {10, 10, size.Width * 0.45 - 10, size.Height * 0.35 - 10};
}

TMmRect TEnvelope::AddresseeBox(TMmSize size)
{
    const double left = size.Width * 0.45;
    const double top = size.Height * 0.45;
    return {left, top, size.Width - 15 - left, size.Height - 20 - top};
}

TPage TEnvelope::Page(int) const
{
    TPage page;
    if (!m_sender.isEmpty()) {
        TTextBlock sender;
        sender.Box = SenderBox(m_kind.Size);
        sender.Lines = m_sender;
        sender.PointSize = 9;
        page.Blocks.append(sender);
    }
    TTextBlock addressee;
    addressee.Box = AddresseeBox(m_kind.Size);
    addressee.Lines = m_addressee;
    addressee.PointSize = m_kind.Size.Width < 200 ? 11 : 12;
    addressee.Align = TVerticalAlign::Bottom;
    page.Blocks.append(addressee);
    return page;
}

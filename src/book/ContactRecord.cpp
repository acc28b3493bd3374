#include "book/ContactRecord.h"

#include <cstring>

namespace {

constexpr std::array<TFieldInfo, kTextFieldCount> MakeFieldTable()
{
    constexpr const char *kPhoneNames[9][4] = {
        {"VStatu1", "VMista1", "Telefon1", "Linka1"}, {"VStatu2", "VMista2", "Telefon2", "Linka2"},
        {"VStatu3", "VMista3", "Telefon3", "Linka3"}, {"VStatu4", "VMista4", "Telefon4", "Linka4"},
        {"VStatu5", "VMista5", "Telefon5", "Linka5"}, {"VStatu6", "VMista6", "Telefon6", "Linka6"},
        {"VStatu7", "VMista7", "Telefon7", "Linka7"}, {"VStatu8", "VMista8", "Telefon8", "Linka8"},
        {"VStatu9", "VMista9", "Telefon9", "Linka9"}};
    constexpr const char *kAddressNames[3][4] = {{"Ulice1", "Misto1", "Stat1", "Psc1"},
                                                 {"Ulice2", "Misto2", "Stat2", "Psc2"},
                                                 {"Ulice3", "Misto3", "Stat3", "Psc3"}};
    std::array<TFieldInfo, kTextFieldCount> info {};
    int i = 0;
    int offset = 0;
    auto add = [&](const char *name, int capacity) {
        info[size_t(i++)] = {name, offset, capacity};
        offset += capacity + 1;
    };
    add("TitulPred", 10);
    add("NazevPolozky", 50);
    add("Prijmeni", 20);
    add("Jmeno", 20);
    add("Prezdivka", 20);
    add("TitulZa", 10);
    add("RodneCislo", 11);
    for (const auto &a : kAddressNames) {
        add(a[0], 40);
        add(a[1], 40);
        add(a[2], 40);
        add(a[3], 10);
    }
    for (const auto &p : kPhoneNames) {
        add(p[0], 5);
        add(p[1], 5);
        add(p[2], 20);
        add(p[3], 5);
    }
    add("Http", 40);
    add("Email", 40);
    add("Vzdelani", 40);
    add("Zamestnani", 40);
    add("Narozeniny", 10);
    add("Svatek", 6);
    add("Ico", 20);
    add("Dic", 20);
    add("Banka", 40);
    add("Ucet", 40);
    return info;
}

} // namespace

// Constant-initialised, so the inline readers may use it from any static initialiser.
constexpr std::array<TFieldInfo, kTextFieldCount> FieldTable::Info = MakeFieldTable();
static_assert(FieldTable::Info.back().Offset + FieldTable::Info.back().Capacity + 1 == kNoteOffset);

EField PhoneField(int group, int part)
{
    return EField(static_cast<int>(EField::VStatu1) + (group - 1) * 4 + part);
}

EField AddressField(int address, int part)
{
    return EField(static_cast<int>(EField::Ulice1) + (address - 1) * 4 + part);
}

int FieldIndexByName(QByteArrayView name)
{
    for (int i = 0; i < kTextFieldCount; ++i) {
        if (name == QByteArrayView(FieldTable::Info[size_t(i)].Name))
            return i;
    }
    return -1;
}

TContactRecord TContactRecord::FromBytes(const char *data)
{
    TContactRecord r;
    std::memcpy(r.m_bytes.data(), data, kRecordSize);
    return r;
}

void TContactRecord::Clear()
{
    m_bytes.fill(0);
}

QByteArray TContactRecord::Text(EField field) const
{
    return TextView(field).toByteArray();
}

void TContactRecord::SetText(EField field, QByteArrayView text)
{
    const TFieldInfo &f = FieldInfo(field);
    const QByteArrayView cut = text.first(qMin<qsizetype>(text.size(), f.Capacity));
    if (TextView(field) == cut)
        return;
    char *p = m_bytes.data() + f.Offset;
    p[0] = char(cut.size());
    if (!cut.isEmpty()) // an empty view may have no data at all
        std::memcpy(p + 1, cut.data(), cut.size());
    std::memset(p + 1 + cut.size(), 0, f.Capacity - cut.size());
}

QByteArrayView TRecordView::NoteView() const
{
    const char *p = m_data + kNoteOffset;
    const void *zero = std::memchr(p, 0, kNoteSize);
    const qsizetype len = zero ? static_cast<const char *>(zero) - p : kNoteSize;
    return QByteArrayView(p, len);
}

QByteArray TContactRecord::Note() const
{
    return View().NoteView().toByteArray();
}

void TContactRecord::SetNote(QByteArrayView note)
{
    const QByteArrayView cut = note.first(qMin<qsizetype>(note.size(), kNoteSize));
    if (View().NoteView() == cut)
        return;
    char *p = m_bytes.data() + kNoteOffset;
    std::memset(p, 0, kNoteSize);
    if (!cut.isEmpty())
        std::memcpy(p, cut.data(), cut.size());
}

void TContactRecord::SetFlag(int i, bool on)
{
    if (Flag(i) != on)
        m_bytes[kFlagsOffset + i - 1] = on ? 1 : 0;
}

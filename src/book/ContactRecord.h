#pragma once

#include "util/Prefetch.h"

#include <QByteArray>

#include <array>

// The 65 text fields in their stored order; the note and the ten flags follow them.
enum class EField : int {
    TitulPred, NazevPolozky, Prijmeni, Jmeno, Prezdivka, TitulZa, RodneCislo,
    Ulice1, Misto1, Stat1, Psc1,
    Ulice2, Misto2, Stat2, Psc2,
    Ulice3, Misto3, Stat3, Psc3,
    VStatu1, VMista1, Telefon1, Linka1,
    VStatu2, VMista2, Telefon2, Linka2,
    VStatu3, VMista3, Telefon3, Linka3,
    VStatu4, VMista4, Telefon4, Linka4,
    VStatu5, VMista5, Telefon5, Linka5,
    VStatu6, VMista6, Telefon6, Linka6,
    VStatu7, VMista7, Telefon7, Linka7,
    VStatu8, VMista8, Telefon8, Linka8,
    VStatu9, VMista9, Telefon9, Linka9,
    Http, Email, Vzdelani, Zamestnani, Narozeniny, Svatek, Ico, Dic, Banka, Ucet,
};

constexpr int kTextFieldCount = 65;
constexpr int kFlagCount = 10;
constexpr int kRecordSize = 3217;
constexpr int kNoteOffset = 1207;
constexpr int kNoteSize = 2000;
constexpr int kFlagsOffset = 3207;

// Asks for a record's text fields, the start of its note and its flags ahead of use: a
// walk in list order jumps about memory, where the processor cannot guess the next one.
inline void PrefetchRecord(const char *record)
{
    for (int at = 0; at <= kNoteOffset; at += 64)
        Prefetch(record + at);
    Prefetch(record + kFlagsOffset);
}

struct TFieldInfo
{
    const char *Name;
    int Offset; // of the length byte
    int Capacity;
};

namespace FieldTable {
extern const std::array<TFieldInfo, kTextFieldCount> Info;
}

inline const TFieldInfo &FieldInfo(EField field) { return FieldTable::Info[size_t(field)]; }
inline const TFieldInfo &FieldInfo(int index) { return FieldInfo(EField(index)); }

EField PhoneField(int group /*1..9*/, int part /*0 VStatu, 1 VMista, 2 Telefon, 3 Linka*/);
EField AddressField(int address /*1..3*/, int part /*0 Ulice, 1 Misto, 2 Stat, 3 Psc*/);
// -1 when no text field has that name.
int FieldIndexByName(QByteArrayView name);

// The stored form of one entry read in place, where it lies in a block read from a file:
// the readers of TContactRecord without copying the record.
class TRecordView
{
public:
    explicit TRecordView(const char *data) : m_data(data) { } // kRecordSize bytes

    QByteArrayView TextView(EField field) const
    {
        const TFieldInfo &f = FieldInfo(field);
        // A length byte beyond the capacity comes from a damaged file; never read past the field.
        const int len = qMin<int>(static_cast<unsigned char>(m_data[f.Offset]), f.Capacity);
        return QByteArrayView(m_data + f.Offset + 1, len);
    }
    QByteArrayView NameView() const { return TextView(EField::NazevPolozky); }
    // Up to the first zero byte, at most 2000 characters.
    QByteArrayView NoteView() const;
    bool Flag(int i /*1..10*/) const { return m_data[kFlagsOffset + i - 1] != 0; }
    const char *Data() const { return m_data; }

private:
    const char *m_data;
};

// One entry, held as its 3217-byte stored form so that untouched entries are written
// back byte for byte (including whatever lies after a text in its field).
class TContactRecord
{
public:
    TContactRecord() { Clear(); }
    static TContactRecord FromBytes(const char *data); // kRecordSize bytes

    void Clear();

    QByteArray Text(EField field) const;
    // Cuts to the field's capacity; leaves the bytes alone when the text is already there.
    void SetText(EField field, QByteArrayView text);
    QByteArrayView TextView(EField field) const { return View().TextView(field); }

    // Up to the first zero byte, at most 2000 characters.
    QByteArray Note() const;
    void SetNote(QByteArrayView note);

    bool Flag(int i /*1..10*/) const { return m_bytes[kFlagsOffset + i - 1] != 0; }
    void SetFlag(int i, bool on);

    QByteArray Name() const { return Text(EField::NazevPolozky); }
    QByteArrayView NameView() const { return TextView(EField::NazevPolozky); }

    TRecordView View() const { return TRecordView(m_bytes.data()); }
    // Code that only reads an entry takes a view, so that records lying in a mapped file
    // are read where they lie.
    operator TRecordView() const { return View(); }
    const char *Data() const { return m_bytes.data(); }
    char *Data() { return m_bytes.data(); }

    bool operator==(const TContactRecord &o) const { return m_bytes == o.m_bytes; }

private:
    std::array<char, kRecordSize> m_bytes;
};

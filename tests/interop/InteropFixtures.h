#pragma once

#include "book/Book.h"
#include "book/BookFile.h"
#include "interop/InteropFile.h"
#include "util/Cp1250.h"

#include <QFile>
#include <QString>

// The books the interop tests write out: the shipped sample and one with every field at
// its capacity and Czech letters everywhere.
namespace InteropFixtures {

inline QByteArray Czech(int n, int shift = 0)
{
    static const QString pool = QString::fromUtf8("Příliš žluťoučký kůň úpěl ďábelské ódy ŘŠČŽÝÁÍÉÚŮĎŤŇ");
    QString s;
    for (int i = 0; s.size() < n; ++i)
        s += pool.at((i + shift) % pool.size());
    // No space at either end: values are trimmed.
    if (s.startsWith(QLatin1Char(' ')))
        s[0] = QLatin1Char('X');
    if (s.endsWith(QLatin1Char(' ')))
        s[s.size() - 1] = QLatin1Char('Y');
    return ToCp1250(s);
}

// Two entries at capacity: one with dates a calendar takes (29 February among them), one
// whose date fields hold words; captions at capacity too.
inline void FullBook(TBook &b)
{
    b.Labels = TBookLabels::Defaults();
    for (int i = 0; i < 9; ++i)
        b.Labels.PhoneCaptions[size_t(i)] = Czech(TBookLabels::kPhoneCapacity, i);
    b.Labels.PhoneCaptions[8] = ToCp1250(QString::fromUtf8("Mobilní ěščřžýáíéů"));
    b.Labels.AddressCaptions[1] = Czech(TBookLabels::kAddressCapacity, 3);
    for (int k = 0; k < 2; ++k) {
        TContactRecord r;
        for (int f = 0; f < kTextFieldCount; ++f)
            r.SetText(EField(f), Czech(FieldInfo(f).Capacity, f + k));
        QByteArray note;
        for (int line = 0; note.size() < kNoteSize; ++line)
            note += Czech(60, line) + "\r\n";
        r.SetNote(note.left(kNoteSize - 2) + "ok");
        for (int i = 1; i <= 10; ++i)
            r.SetFlag(i, (i + k) % 2 == 0);
        if (k == 0) {
            r.SetText(EField::Narozeniny, "29.02.1964");
            r.SetText(EField::Svatek, "24.12.");
            r.SetText(PhoneField(9, 2), "+421 905 123 456");
        }
        b.AppendRecord(r);
    }
}

inline bool LoadSample(TBook &b)
{
    TContactRecord header;
    if (BookFile::Read(QStringLiteral(VORLINK_SOURCE_DIR "/data/ukazka.WDT"), header, b) != TBookFileError::None)
        return false;
    b.Labels = TBookLabels::FromHeader(header);
    return true;
}

inline QList<TContactRecord *> All(TBook &b)
{
    QList<TContactRecord *> l;
    for (qsizetype i = 0; i < b.RecordCount(); ++i)
        l.append(&b.Record(i));
    return l;
}

inline TExportOptions Options(TInteropFormat f)
{
    TExportOptions o;
    o.Format = f;
    o.OwnCountry = QStringLiteral("420");
    o.OwnArea = QStringLiteral("2");
    o.Stamp = QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::UTC);
    return o;
}

} // namespace InteropFixtures

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

// Entries at the edges of what the writers read: spaces of every kind around and inside
// the texts, control characters, separators in names and captions, numbers typed whole or
// with "00", formula-like cells, dates just inside and outside the calendar (the year
// 9999's last day, 29 February 1900, the year 0), notes that end in line breaks and fold
// inside a letter, the bytes Windows-1250 leaves unassigned.
inline void EdgeBook(TBook &b)
{
    const auto cz = [](const char *utf8) { return ToCp1250(QString::fromUtf8(utf8)); };
    b.Labels = TBookLabels::Defaults();
    b.Labels.PhoneCaptions[3] = cz(" Chata, sklep; \\ ");
    b.Labels.PhoneCaptions[7] = QByteArray();
    b.Labels.AddressCaptions[1] = cz("Mobilní");
    b.Labels.AddressCaptions[2] = cz("Domů 2");
    b.Labels.FlagCaptions[2] = cz(" \xC2\xA0" "firma ");
    b.Labels.FlagCaptions[3] = cz("A, b; c\\");
    b.Labels.FlagCaptions[4] = QByteArray();
    const auto entry = [&](std::initializer_list<std::pair<EField, QByteArray>> fields, const QByteArray &note,
                           std::initializer_list<int> flags) {
        TContactRecord r;
        for (const auto &[f, t] : fields)
            r.SetText(f, t);
        r.SetNote(note);
        for (int i : flags)
            r.SetFlag(i, true);
        b.AppendRecord(r);
    };
    entry({{EField::NazevPolozky, cz(" \xC2\xA0Novák, Jan; \\x\xC2\xA0 ")},
           {EField::Prijmeni, cz("\tNovák\xC2\xA0")},
           {EField::Jmeno, "Jan\x01\x7F\x1F"},
           {EField::Prezdivka, " , ,"},
           {EField::TitulPred, "+"},
           {EField::Email, "a,b;c@x"},
           {EField::Narozeniny, "5.12345"},
           {EField::Svatek, "29.02."},
           {EField::Ulice1, cz("\xC2\xA0")},
           {EField::Psc1, " \t "},
           {EField::Stat3, cz("Slovensko")},
           {EField::Misto2, cz("Žďár\r\nnad Sázavou")},
           {PhoneField(1, 0), " 4 2 1"},
           {PhoneField(1, 1), "(2)"},
           {PhoneField(1, 2), "  00 421  905\t123 "},
           {PhoneField(1, 3), "12"},
           {PhoneField(2, 0), "4\"2,0"},
           {PhoneField(2, 1), "\x02" "5"},
           {PhoneField(2, 2), "+420 602 \"x\""},
           {PhoneField(3, 2), "=1+2"},
           {PhoneField(4, 2), "-5"},
           {PhoneField(5, 2), "0"},
           {PhoneField(6, 2), "00"},
           {PhoneField(7, 2), "001"},
           {PhoneField(8, 2), "8"},
           {PhoneField(8, 3), "9"},
           {PhoneField(9, 2), "+ 9"}},
          "a\r\rb\r\n\r\n\r", {3, 4, 5, 7});
    QByteArray fold;
    for (int i = 0; i < 40; ++i)
        fold += cz("žluťoučký");
    entry({{EField::NazevPolozky, "=SUM(A1)"},
           {EField::Narozeniny, "31.12.9999"},
           {EField::Svatek, "0.1."},
           {EField::Http, "@x"},
           {EField::Ulice1, "Ulice"},
           {EField::Ulice2, "Druha"},
           {EField::Ulice3, "Treti"},
           {PhoneField(1, 2), "  "},
           {PhoneField(1, 3), "5"},
           {PhoneField(9, 2), "+420 1 ext. 2"}},
          fold, {});
    entry({{EField::NazevPolozky, "-1 234\n"}, {EField::Jmeno, "X"}, {EField::Narozeniny, "05.03.0000"}, {EField::Svatek, "x"}},
          "\r\n", {1});
    entry({{EField::NazevPolozky, "+1 ext. 5"}, {EField::Prijmeni, "Y"}, {EField::Narozeniny, "1.1.0999"}, {EField::Svatek, "31.04."}},
          {}, {});
    entry({{EField::NazevPolozky, "-12 ext. "}, {EField::Prijmeni, "Z"}, {EField::Narozeniny, "29.02.1900"},
           {EField::Svatek, "1.1"}, {EField::Vzdelani, " \x81\x83\x88\x90\x98 "}},
          "\x81" "x", {2});
    entry({{EField::NazevPolozky, cz("@\xC2\xA0")}, {EField::Jmeno, "W"}, {EField::Narozeniny, cz("12.\xC2\xA0" "3.\xC2\xA0" "1999")},
           {EField::Svatek, "12 .3."}, {EField::Zamestnani, "\"quoted\", text"}},
          "\"", {});
    entry({{EField::NazevPolozky, "Y Z"}, {EField::Jmeno, "Z"}, {EField::Prijmeni, "Y"}, {EField::Narozeniny, "1.13."},
           {EField::Svatek, "5.3.2000x"}, {EField::Ico, "\t-3"}, {EField::Dic, "1,5"}},
          {}, {});
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

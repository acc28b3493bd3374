#pragma once

// What the sync tests share: the people they put in books and on servers, a reading of
// cards that does not use the program's own reader, the book read and written through
// BookFile, and `vorlink-cli sync` run in-process with its summary taken apart.

#include "DavServers.h"
#include "TestBook.h"

#include "book/Book.h"
#include "book/BookFile.h"
#include "book/BookLabels.h"
#include "cli/Command.h"
#include "util/Cp1250.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QTextStream>

namespace SyncFixture {

// ---- cards ------------------------------------------------------------------------------

struct TProp
{
    QByteArray Name; // upper case, without its group
    QByteArray Params;
    QByteArray Value; // as written, escapes and all
};

inline QList<TProp> ParseCard(QByteArray text)
{
    text.replace("\r\n", "\n");
    text.replace("\n ", "");
    text.replace("\n\t", "");
    QList<TProp> props;
    for (const QByteArray &line : text.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        // The value starts at the first colon outside a quoted parameter.
        bool quoted = false;
        qsizetype colon = -1;
        for (qsizetype i = 0; i < line.size() && colon < 0; ++i) {
            if (line[i] == '"')
                quoted = !quoted;
            else if (line[i] == ':' && !quoted)
                colon = i;
        }
        if (colon < 0)
            continue;
        const QByteArray head = line.left(colon);
        const qsizetype semi = head.indexOf(';');
        QByteArray name = (semi < 0 ? head : head.left(semi)).toUpper();
        if (const qsizetype dot = name.indexOf('.'); dot >= 0)
            name = name.mid(dot + 1);
        props.append(TProp {name, semi < 0 ? QByteArray() : head.mid(semi + 1), line.mid(colon + 1)});
    }
    return props;
}

inline QString Unescape(const QByteArray &value)
{
    const QString v = QString::fromUtf8(value);
    QString out;
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == QLatin1Char('\\') && i + 1 < v.size()) {
            const QChar c = v[++i];
            out += (c == QLatin1Char('n') || c == QLatin1Char('N')) ? QChar(QLatin1Char('\n')) : c;
        } else {
            out += v[i];
        }
    }
    return out;
}

// The unescaped values of every property of that name, in card order.
inline QStringList Values(const QList<TProp> &card, const QByteArray &name)
{
    QStringList values;
    for (const TProp &p : card)
        if (p.Name == name)
            values << Unescape(p.Value);
    return values;
}

inline QString Value(const QList<TProp> &card, const QByteArray &name) { return Values(card, name).join(QLatin1Char(',')); }

// A field of a structured value (N, ADR) split at unescaped semicolons.
inline QStringList Parts(const QByteArray &value)
{
    QStringList parts {QString()};
    const QString v = QString::fromUtf8(value);
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == QLatin1Char('\\') && i + 1 < v.size())
            parts.last() += v[++i];
        else if (v[i] == QLatin1Char(';'))
            parts << QString();
        else
            parts.last() += v[i];
    }
    return parts;
}

inline QString Digits(const QString &s)
{
    QString d;
    for (QChar c : s)
        if (c.isDigit())
            d += c;
    return d;
}

// Cards of a collection by their FN.
inline QMap<QString, QString> HrefsByName(const DavServers::TCards &cards)
{
    QMap<QString, QString> hrefs;
    for (auto it = cards.cbegin(); it != cards.cend(); ++it)
        hrefs.insert(Value(ParseCard(it->Text), "FN"), it.key());
    return hrefs;
}

inline QStringList CardNames(const DavServers::TCards &cards)
{
    QStringList names;
    for (const DavServers::TCard &c : cards)
        names << Value(ParseCard(c.Text), "FN");
    names.sort();
    return names;
}

// ---- the people -------------------------------------------------------------------------

inline void Set(TContactRecord &r, EField f, const char *utf8) { r.SetText(f, TestBook::Cp(utf8)); }

inline QString Field(const TContactRecord &r, EField f) { return FromCp1250(r.Text(f)); }

// A small base64 JPEG a phone keeps with its contact.
inline QByteArray Photo()
{
    return "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw8UHRofHh0aHBwgJCUgIiwjHBwoNyksMDE0NDQfJzk9ODI8LjM0Mv/Z";
}

// Entries of the book, by name.
inline TContactRecord Person(const QString &name)
{
    TContactRecord r;
    r.SetText(EField::NazevPolozky, ToCp1250(name));
    if (name == QStringLiteral("Novák Jan")) {
        Set(r, EField::Prijmeni, "Novák");
        Set(r, EField::Jmeno, "Jan");
        Set(r, PhoneField(9, 0), "420");
        Set(r, PhoneField(9, 2), "602 123 456");
        Set(r, EField::Svatek, "24.06.");
        Set(r, EField::Narozeniny, "05.03.1961");
        Set(r, EField::Email, "jan.novak@example.cz");
        Set(r, AddressField(1, 0), "Dlouhá 5");
        Set(r, AddressField(1, 1), "Praha 1");
        Set(r, AddressField(1, 2), "Česko");
        Set(r, AddressField(1, 3), "110 00");
    } else if (name == QStringLiteral("Svobodová Eva")) {
        Set(r, EField::Prijmeni, "Svobodová");
        Set(r, EField::Jmeno, "Eva");
        Set(r, PhoneField(1, 0), "420");
        Set(r, PhoneField(1, 1), "2");
        Set(r, PhoneField(1, 2), "24681357");
        Set(r, EField::Svatek, "24.12.");
        r.SetNote(TestBook::Cp("Sestřenice; volat večer,\r\npo 18. hodině"));
    } else if (name == QStringLiteral("Dvořák Petr")) {
        Set(r, EField::Prijmeni, "Dvořák");
        Set(r, EField::Jmeno, "Petr");
        Set(r, PhoneField(3, 0), "420");
        Set(r, PhoneField(3, 2), "545 111 222");
        Set(r, PhoneField(3, 3), "12");
        Set(r, EField::Narozeniny, "17.09.");
    }
    return r;
}

// Cards as a phone writes them, with what the program has no field for.
inline QByteArray PhoneCard(const QString &name)
{
    if (name == QStringLiteral("Černá Marie"))
        return "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Telefon//Kontakty 2.1//CS\r\n"
               "UID:6f1c2a9e-4b7d-4e55-9d1a-0c3b2f7e8a11\r\n"
               "FN:\xc4\x8c" "ern\xc3\xa1 Marie\r\nN:\xc4\x8c" "ern\xc3\xa1;Marie;;;\r\n"
               "TEL;TYPE=CELL:+420 777 888 999\r\n"
               "X-VORLINK-NAMEDAY:15.08.\r\n"
               "PHOTO;ENCODING=b;TYPE=JPEG:" + Photo() + "\r\n"
               "IMPP:xmpp:marie@example.cz\r\n"
               "X-PHONE-THING:ringtone=7\r\n"
               "END:VCARD\r\n";
    if (name == QStringLiteral("Horák Tomáš"))
        return "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Telefon//Kontakty 2.1//CS\r\n"
               "UID:0b9d51c4-22aa-4f0e-8c1e-5d2f6a7b8c90\r\n"
               "FN:Hor\xc3\xa1k Tom\xc3\xa1\xc5\xa1\r\nN:Hor\xc3\xa1k;Tom\xc3\xa1\xc5\xa1;;;\r\n"
               "TEL;TYPE=HOME:+420 2 11112222\r\n"
               "EMAIL;TYPE=INTERNET:tomas@example.cz\r\n"
               "BDAY:1975-11-30\r\n"
               "END:VCARD\r\n";
    return {};
}

inline QString UidOf(const QByteArray &card) { return Value(ParseCard(card), "UID"); }

// ---- the book ---------------------------------------------------------------------------

inline bool WriteBook(const QString &path, const QList<TContactRecord> &records)
{
    return TestBook::WriteFile(path, TestBook::FileBytes(TBookLabels::Defaults(), records));
}

inline QList<TContactRecord> ReadBook(const QString &path, bool *ok = nullptr)
{
    TContactRecord header;
    TBook book;
    const bool read = BookFile::Read(path, header, book) == TBookFileError::None;
    if (ok)
        *ok = read;
    QList<TContactRecord> records;
    for (qsizetype i = 0; i < book.RecordCount(); ++i)
        records << book.Record(i);
    return records;
}

inline QStringList BookNames(const QList<TContactRecord> &records)
{
    QStringList names;
    for (const TContactRecord &r : records)
        names << FromCp1250(r.Name());
    names.sort();
    return names;
}

inline const TContactRecord *Find(const QList<TContactRecord> &records, const QString &name)
{
    for (const TContactRecord &r : records)
        if (FromCp1250(r.Name()) == name)
            return &r;
    return nullptr;
}

// The international digits of a telephone group, the extension after them.
inline QString GroupDigits(const TContactRecord &r, int g)
{
    if (Field(r, PhoneField(g, 2)).isEmpty())
        return {};
    return Digits(Field(r, PhoneField(g, 0)) + Field(r, PhoneField(g, 1)) + Field(r, PhoneField(g, 2))
                  + Field(r, PhoneField(g, 3)));
}

// Where an entry and its card say different things about what the vCard mapping carries;
// empty when they agree. Numbers are compared by their digits (the card's international
// form against the group's codes and number), dates by their digits in order.
inline QString Disagreement(const TContactRecord &r, const QList<TProp> &card)
{
    QStringList diffs;
    const auto same = [&](const char *what, const QString &book, const QString &server) {
        if (book != server)
            diffs << QStringLiteral("%1: book \"%2\", card \"%3\"").arg(QLatin1String(what), book, server);
    };
    same("FN", FromCp1250(r.Name()), Value(card, "FN"));
    const QList<TProp> n = [&] {
        QList<TProp> found;
        for (const TProp &p : card)
            if (p.Name == "N")
                found << p;
        return found;
    }();
    const QStringList nParts = n.isEmpty() ? QStringList() : Parts(n.first().Value);
    same("N surname", Field(r, EField::Prijmeni), nParts.value(0));
    same("N first name", Field(r, EField::Jmeno), nParts.value(1));
    same("X-VORLINK-NAMEDAY", Field(r, EField::Svatek), Value(card, "X-VORLINK-NAMEDAY"));
    same("EMAIL", Field(r, EField::Email), Value(card, "EMAIL"));
    QStringList bookTels, cardTels;
    for (int g = 1; g <= 9; ++g)
        if (const QString d = GroupDigits(r, g); !d.isEmpty())
            bookTels << d;
    for (const QString &t : Values(card, "TEL"))
        cardTels << Digits(t);
    bookTels.sort();
    cardTels.sort();
    same("TEL", bookTels.join(QLatin1Char(' ')), cardTels.join(QLatin1Char(' ')));
    // BDAY 1961-03-05 / 19610305 against 05.03.1961; a day without its year against --0917
    // or the 1604 of the omitted-year mark.
    QString bday = Digits(Value(card, "BDAY"));
    if (bday.startsWith(QLatin1String("1604")))
        bday = bday.mid(4);
    const QString birthday = Field(r, EField::Narozeniny);
    const QStringList dmy = birthday.split(QLatin1Char('.'));
    const QString bookBday = birthday.isEmpty() ? QString() : Digits(dmy.value(2) + dmy.value(1) + dmy.value(0));
    same("BDAY", bookBday, bday);
    QStringList bookAdr, cardAdr;
    for (int a = 1; a <= 3; ++a) {
        QStringList parts;
        for (int part : {0, 1, 3, 2})
            parts << Field(r, AddressField(a, part));
        if (!parts.join(QString()).isEmpty())
            bookAdr << parts.join(QLatin1Char('|'));
    }
    for (const TProp &p : card)
        if (p.Name == "ADR") {
            const QStringList a = Parts(p.Value);
            cardAdr << QStringList {a.value(2), a.value(3), a.value(5), a.value(6)}.join(QLatin1Char('|'));
        }
    bookAdr.sort();
    cardAdr.sort();
    same("ADR", bookAdr.join(QLatin1Char(' ')), cardAdr.join(QLatin1Char(' ')));
    return diffs.join(QStringLiteral("; "));
}

// ---- the command ------------------------------------------------------------------------

struct TRun
{
    int Status = -1;
    QString Out, Err;
    QList<int> Counts; // the five numbers of the last line, empty when it has not five
};

inline QList<int> SummaryCounts(const QString &out)
{
    QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return {};
    static const QRegularExpression number(QStringLiteral("\\b\\d+\\b"));
    QList<int> counts;
    for (auto it = number.globalMatch(lines.last()); it.hasNext();)
        counts << it.next().captured().toInt();
    return counts.size() == 5 ? counts : QList<int>();
}

inline TRun RunSync(const QStringList &args)
{
    TRun run;
    QTextStream outs(&run.Out), errs(&run.Err);
    run.Status = RunCli(QStringList {QStringLiteral("vorlink-cli"), QStringLiteral("sync")} + args, outs, errs);
    outs.flush();
    errs.flush();
    run.Counts = SummaryCounts(run.Out);
    return run;
}

inline QList<int> Counts(const QString &fiveNumbers)
{
    QList<int> counts;
    for (const QString &n : fiveNumbers.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        counts << n.toInt();
    return counts;
}

// Every file below a folder with its bytes, to see that nothing was written there.
inline QMap<QString, QByteArray> FolderSnapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path.mid(folder.size()), TestBook::ReadFile(path));
    }
    return files;
}

} // namespace SyncFixture

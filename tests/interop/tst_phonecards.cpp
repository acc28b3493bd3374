#include "TestBook.h"

#include "book/BookFile.h"
#include "interop/CardText.h"
#include "interop/InteropFile.h"
#include "util/Cp1250.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

// Cards as phones write them (item groups with their labels, a grouped address's country
// code, the firm mark, a phone's identifiers and phonetic names, a photo; a 4.0 card),
// read into entries and merged back after one edit in the book: what the book did not
// change goes back exactly as the phone wrote it.
class TestPhoneCards : public QObject
{
    Q_OBJECT

private slots:
    void download_data();
    void download();
    void merge_data();
    void merge();
};

namespace {

const QDateTime kStamp(QDate(2026, 2, 3), QTime(4, 5, 6), Qt::UTC);

// A fixture's name, or the card itself.
QByteArray Card(const QString &card)
{
    if (!card.endsWith(QLatin1String(".vcf")))
        return card.toUtf8();
    QFile f(QStringLiteral(VORLINK_SOURCE_DIR "/tests/interop/golden/phone/") + card);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The card's properties as its text has them, each with its folds.
QList<QByteArray> Properties(const QByteArray &card)
{
    QList<QByteArray> out;
    for (const QByteArray &l : card.split('\n')) {
        if ((l.startsWith(' ') || l.startsWith('\t')) && !out.isEmpty())
            out.last() += '\n' + l;
        else if (!l.isEmpty())
            out << l;
    }
    return out;
}

QByteArray Unfolded(QByteArray property)
{
    return property.replace("\r\n ", "").replace("\r\n\t", "").replace("\r", "");
}

// "Field=text", "flagN=1" or "note=text" ("\n" a line break); the note's text as the
// editor keeps it.
void Edit(TContactRecord &r, const QString &edit)
{
    const qsizetype eq = edit.indexOf(QLatin1Char('='));
    const QString what = edit.left(eq);
    const QByteArray value = ToCp1250(edit.mid(eq + 1).replace(QLatin1String("\n"), QLatin1String("\r\n")));
    if (what == QLatin1String("note"))
        r.SetNote(value);
    else if (what.startsWith(QLatin1String("flag")))
        r.SetFlag(what.mid(4).toInt(), value == "1");
    else
        r.SetText(EField(FieldIndexByName(what.toLatin1())), value);
}

QString Note(const TContactRecord &r) { return FromCp1250(r.Note()).replace(QLatin1String("\r\n"), QLatin1String("\n")); }

} // namespace

void TestPhoneCards::download_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("note");
    QTest::newRow("a person with titles: named as the book names, no internals in the note")
        << "person.vcf" << QString::fromUtf8("Šťastný Řehoř")
        << QString::fromUtf8("Potkali jsme se na veletrhu.\nVolat po deváté.\nEMAIL: stastny@dilny.example\n"
                             "Dílna: +420 603 333 444\nORG: Dílny Šťastný s.r.o.");
    QTest::newRow("a firm: its name, its organisation not in its note")
        << "firm.vcf" << QString::fromUtf8("Pekárna U Mostu s.r.o.")
        << QString::fromUtf8("Rozvoz jen ve středu.\nDílna: +420 777 123 456");
    QTest::newRow("4.0") << "v4.vcf" << QString::fromUtf8("Malá Kateřina") << QString::fromUtf8("Alergie na ořechy.\nCATEGORIES: Sousedé");
    QTest::newRow("a name given in the book says more than N")
        << QString::fromUtf8("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Dvořák Petr ml.\r\nN:Dvořák;Petr;;;\r\nEND:VCARD\r\n")
        << QString::fromUtf8("Dvořák Petr ml.") << QString();
    QTest::newRow("N alone") << QString::fromUtf8("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Nováková;Jana Marie;;;\r\nEND:VCARD\r\n")
                             << QString::fromUtf8("Nováková Jana Marie") << QString();
}

void TestPhoneCards::download()
{
    QFETCH(QString, card);
    QFETCH(QString, name);
    QFETCH(QString, note);
    const TBookLabels labels = TBookLabels::Defaults();
    const QByteArray text = Card(card);
    TContactRecord entry;
    QVERIFY(CardText::CardEntry(text, labels, entry));
    QCOMPARE(FromCp1250(entry.Name()), name);
    QCOMPARE(Note(entry), note);

    // A file of the same card imports as the same entry.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("karta.vcf"));
    QVERIFY(TestBook::WriteFile(path, text));
    TBook book;
    TVCardImportStats stats;
    QCOMPARE(ImportVCardFile(path, book, labels, {}, stats, BookFile::kMaxRecords), TInteropError::None);
    QCOMPARE(book.RecordCount(), 1);
    QVERIFY(book.Record(0) == entry);
}

void TestPhoneCards::merge_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QStringList>("edits");
    // The merged card's lines that the server's card did not have, and the reverse (the
    // revision aside).
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("removed");
    // The note of the merged card read back; empty: the edited entry's.
    QTest::addColumn<QString>("noteBack");
    const auto u = [](const char *s) { return QString::fromUtf8(s); };
    const auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
    row("person, unchanged") << "person.vcf" << QStringList() << QStringList() << QStringList() << QString();
    row("firm, unchanged") << "firm.vcf" << QStringList() << QStringList() << QStringList() << QString();
    row("4.0, unchanged") << "v4.vcf" << QStringList() << QStringList() << QStringList() << QString();

    row("home street: the grouped address in its place, with its country code")
        << "person.vcf" << QStringList {u("Ulice1=Na Ořechovce 14")}
        << QStringList {u("item4.ADR;type=HOME;type=pref:;;Na Ořechovce 14;Praha 6;;162 00;Česko")}
        << QStringList {u("item4.ADR;type=HOME;type=pref:;;Na Ořechovce 12;Praha 6;;162 00;Česko")} << QString();
    row("work country: the country code goes")
        << "person.vcf" << QStringList {u("Stat2=Slovensko")}
        << QStringList {u("item5.ADR;type=WORK:;;Průmyslová 1a;Kolín;;280 02;Slovensko")}
        << QStringList {u("item5.ADR;type=WORK:;;Průmyslová 1a;Kolín;;280 02;Česko"), u("item5.X-ABADR:cz")} << QString();
    row("labelled address cleared: its group goes")
        << "person.vcf" << QStringList {u("Ulice3="), u("Misto3="), u("Psc3="), u("Stat3=")} << QStringList()
        << QStringList {u("item6.ADR:;;U Lesa 3;Jevany;;281 66;Česko"), u("item6.X-ABLabel:Chata"), u("item6.X-ABADR:cz")}
        << QString();
    row("labelled number: label and type kept, no note line added")
        << "person.vcf" << QStringList {u("Telefon2=603 333 555")} << QStringList {u("item3.TEL:+420 603 333 555")}
        << QStringList {u("item3.TEL:+420 603 333 444")}
        << u("Potkali jsme se na veletrhu.\nVolat po deváté.\nEMAIL: stastny@dilny.example\nDílna: +420 603 333 555\n"
             "ORG: Dílny Šťastný s.r.o.");
    row("number with an area code the text cannot tell")
        << "person.vcf" << QStringList {u("VMista1=2"), u("Telefon1=2123 4567")}
        << QStringList {u("TEL;type=HOME;type=VOICE;X-VORLINK-CODES=\"420,2\":+420 2 2123 4567")}
        << QStringList {u("TEL;type=HOME;type=VOICE:+420 221 234 567")} << QString();
    row("home e-mail keeps its types") << "person.vcf" << QStringList {u("Email=rehor@novy.example")}
                                       << QStringList {u("EMAIL;type=INTERNET;type=HOME;type=pref:rehor@novy.example")}
                                       << QStringList {u("EMAIL;type=INTERNET;type=HOME;type=pref:rehor@example.cz")} << QString();
    row("first name: N alone") << "person.vcf" << QStringList {u("Jmeno=Řehoř Jan")}
                               << QStringList {u("N:Šťastný;Řehoř Jan;;Ing.;CSc.")}
                               << QStringList {u("N:Šťastný;Řehoř;;Ing.;CSc.")} << QString();
    row("renamed: FN alone") << "person.vcf" << QStringList {u("NazevPolozky=Šťastný Řehoř st.")}
                             << QStringList {u("FN:Šťastný Řehoř st.")} << QStringList {u("FN:Ing. Řehoř Šťastný CSc.")}
                             << QString();
    row("flag set: a category added") << "person.vcf" << QStringList {u("flag8=1")} << QStringList {u("CATEGORIES:Známý")}
                                      << QStringList() << QString();
    row("firm flag set: a category and the phone's firm mark")
        << "person.vcf" << QStringList {u("flag9=1")} << QStringList {u("CATEGORIES:Firma"), u("X-ABShowAs:COMPANY")}
        << QStringList() << QString();
    row("flag cleared: its category goes, the others stay as written")
        << "v4.vcf" << QStringList {u("flag8=0")} << QStringList {u("CATEGORIES:Sousedé")}
        << QStringList {u("CATEGORIES:známý,Sousedé")} << QString();
    row("new number in an empty group")
        << "person.vcf" << QStringList {u("VStatu3=420"), u("Telefon3=266 111 222")}
        << QStringList {u("TEL;TYPE=work;X-VORLINK-SLOT=3;X-VORLINK-CODES=\"420,\":+420 266 111 222")} << QStringList() << QString();
    row("note of an old download: its internals never reach the phone")
        << "person.vcf"
        << QStringList {u("note=Potkali jsme se na veletrhu.\nVolat po deváté.\nX-PHONETIC-FIRST-NAME: Rzehorz\n"
                          "X-PHONETIC-LAST-NAME: Stastny\nEMAIL: stastny@dilny.example\nDílna: +420 603 333 444\n"
                          "X-ABADR: cz\nX-ABADR: cz\nChata: cz\nX-ABUID: 2E4F7A10-1C2B-4D5E-9F00-ABCDEF012345:ABPerson\n"
                          "ORG: Dílny Šťastný s.r.o.,\nZavolat v pondělí.")}
        << QStringList {u("NOTE:Potkali jsme se na veletrhu.\\nVolat po deváté.\\nZavolat v pondělí.")}
        << QStringList {u("NOTE:Potkali jsme se na veletrhu.\\nVolat po deváté.")}
        << u("Potkali jsme se na veletrhu.\nVolat po deváté.\nZavolat v pondělí.\nEMAIL: stastny@dilny.example\n"
             "Dílna: +420 603 333 444\nORG: Dílny Šťastný s.r.o.");
    row("firm's main number keeps its type") << "firm.vcf" << QStringList {u("Telefon1=311 222 444")}
                                             << QStringList {u("TEL;type=MAIN:+420 311 222 444")}
                                             << QStringList {u("TEL;type=MAIN:+420 311 222 333")} << QString();
    row("firm renamed: FN and its organisation, still a firm")
        << "firm.vcf" << QStringList {u("NazevPolozky=Pekárna Na Mostě s.r.o.")}
        << QStringList {u("FN:Pekárna Na Mostě s.r.o."), u("ORG:Pekárna Na Mostě s.r.o.;")}
        << QStringList {u("FN:Pekárna U Mostu s.r.o."), u("ORG:Pekárna U Mostu s.r.o.;")} << QString();
    row("firm's note of an old download")
        << "firm.vcf"
        << QStringList {u("note=Rozvoz jen ve čtvrtek.\nDílna: +420 777 123 456\nX-ABADR: cz\n"
                          "X-ABUID: 99AA00BB-1122-3344-5566-77889900AABB:ABPerson\nORG: Pekárna U Mostu s.r.o.,")}
        << QStringList {u("NOTE:Rozvoz jen ve čtvrtek.")} << QStringList {u("NOTE:Rozvoz jen ve středu.")}
        << u("Rozvoz jen ve čtvrtek.\nDílna: +420 777 123 456");
    row("an address in quoted-printable: its other parts decoded")
        << u("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Jan Novák\r\nN:Novák;Jan;;;\r\n"
             "ADR;TYPE=home;ENCODING=QUOTED-PRINTABLE:;;Dlouh=C3=A1 5;Praha;;110 00;\r\nEND:VCARD\r\n")
        << QStringList {u("Psc1=110 01")} << QStringList {u("ADR;TYPE=home:;;Dlouhá 5;Praha;;110 01;")}
        << QStringList {u("ADR;TYPE=home;ENCODING=QUOTED-PRINTABLE:;;Dlouh=C3=A1 5;Praha;;110 00;")} << QString();
    row("4.0 mobile: a text number in the uri's place")
        << "v4.vcf" << QStringList {u("Telefon9=724 555 667")} << QStringList {u("TEL;TYPE=\"cell,voice\";PREF=1:+420 724 555 667")}
        << QStringList {u("TEL;VALUE=uri;TYPE=\"cell,voice\";PREF=1:tel:+420-724-555-666")} << QString();
    row("4.0 postcode: the address's old label goes")
        << "v4.vcf" << QStringList {u("Psc1=110 01")} << QStringList {u("ADR;TYPE=home:;;Lipová 7;Praha 1;;110 01;Česko")}
        << QStringList {u("ADR;TYPE=home;LABEL=\"Lipová 7\\n110 00 Praha 1\":;;Lipová 7;Praha 1;;110 00;Česko")} << QString();
    row("4.0 birthday with its year") << "v4.vcf" << QStringList {u("Narozeniny=12.06.1990")} << QStringList {u("BDAY:19900612")}
                                      << QStringList {u("BDAY:--0612")} << QString();
    row("4.0 name day added") << "v4.vcf" << QStringList {u("Svatek=25.11.")} << QStringList {u("X-VORLINK-NAMEDAY:25.11.")}
                              << QStringList() << QString();
}

void TestPhoneCards::merge()
{
    QFETCH(QString, card);
    QFETCH(QStringList, edits);
    QFETCH(QStringList, added);
    QFETCH(QStringList, removed);
    QFETCH(QString, noteBack);
    const TBookLabels labels = TBookLabels::Defaults();
    TExportOptions options;
    options.Stamp = kStamp;
    const QByteArray server = Card(card);
    TContactRecord entry;
    QVERIFY(CardText::CardEntry(server, labels, entry));
    for (const QString &e : edits)
        Edit(entry, e);
    const QByteArray merged = CardText::MergedCard(server, entry, labels, options);
    if (edits.isEmpty()) {
        QCOMPARE(QString::fromUtf8(merged), QString::fromUtf8(server));
        return;
    }

    // Every other property byte for byte and in its place; the revision is the merge's.
    QList<QByteArray> before = Properties(server), after = Properties(merged);
    const auto isRev = [](const QByteArray &p) { return p.startsWith("REV:"); };
    const qsizetype revs = std::count_if(before.cbegin(), before.cend(), isRev);
    before.removeIf(isRev);
    QStringList gone, fresh;
    for (const QByteArray &p : before)
        if (!after.contains(p))
            gone << QString::fromUtf8(Unfolded(p));
    QList<QByteArray> stamped;
    for (const QByteArray &p : after)
        if (isRev(p))
            stamped << p;
        else if (!before.contains(p))
            fresh << QString::fromUtf8(Unfolded(p));
    QCOMPARE(fresh, added);
    QCOMPARE(gone, removed);
    before.removeIf([&](const QByteArray &p) { return gone.contains(QString::fromUtf8(Unfolded(p))); });
    after.removeIf([&](const QByteArray &p) { return isRev(p) || fresh.contains(QString::fromUtf8(Unfolded(p))); });
    QCOMPARE(after, before);
    QCOMPARE(stamped.size(), revs);
    // A group's lines stay together.
    QByteArray group;
    QSet<QByteArray> ended;
    for (const QByteArray &p : Properties(merged)) {
        const qsizetype dot = p.indexOf('.'), colon = p.indexOf(':');
        const QByteArray g = dot >= 0 && dot < colon && !p.left(dot).contains(';') ? p.left(dot) : QByteArray();
        if (g != group)
            ended.insert(group);
        QVERIFY2(g.isEmpty() || g == group || !ended.contains(g), p.constData());
        group = g;
    }
    for (const QByteArray &p : stamped)
        QVERIFY2(p == "REV:2026-02-03T04:05:06Z\r" || p == "REV:20260203T040506Z\r", p.constData());

    // Read back, the card is the edited entry; but a new first name or the firm flag
    // leaves the phone's FN as it was, and that names the entry read back.
    TContactRecord back;
    QVERIFY(CardText::CardEntry(merged, labels, back));
    const bool newName = edits.first().startsWith(QLatin1String("Jmeno=")) || edits.first() == QLatin1String("flag9=1");
    for (int f = 0; f < kTextFieldCount; ++f)
        QVERIFY2(back.Text(EField(f)) == entry.Text(EField(f)) || (newName && f == int(EField::NazevPolozky)), FieldInfo(f).Name);
    for (int f = 1; f <= kFlagCount; ++f)
        QCOMPARE(back.Flag(f), entry.Flag(f));
    QCOMPARE(Note(back), noteBack.isEmpty() ? Note(entry) : noteBack);
}

QTEST_GUILESS_MAIN(TestPhoneCards)
#include "tst_phonecards.moc"

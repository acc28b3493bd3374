#include "InteropFixtures.h"
#include "TestBook.h"

#include "interop/VCardReader.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

using namespace InteropFixtures;

Q_DECLARE_METATYPE(TInteropFormat)

class TestInteropFiles : public QObject
{
    Q_OBJECT

private slots:
    void golden_data();
    void golden();
    void roundTrip_data();
    void roundTrip();
    void controlCharacters();
    void formulaCells_data();
    void formulaCells();
    void exportedNumbers_data();
    void exportedNumbers();
    void import_data();
    void import();
    void uniqueNames();
    void uniqueNamesAmongThousands();
    void inPartsAsWhole_data();
    void inPartsAsWhole();
    void failedWriteKeepsOldFile();

private:
    QTemporaryDir m_dir;
};

void TestInteropFiles::golden_data()
{
    QTest::addColumn<QString>("book");
    QTest::addColumn<TInteropFormat>("format");
    QTest::addColumn<bool>("cp1250");
    QTest::addColumn<int>("alarm");
    QTest::addColumn<QString>("golden");
    for (const char *book : {"ukazka", "plna"}) {
        const QString b = QLatin1String(book);
        QTest::addRow("%s vcard3", book) << b << TInteropFormat::VCard3 << false << -1 << b + QStringLiteral(".3.vcf");
        QTest::addRow("%s vcard4", book) << b << TInteropFormat::VCard4 << false << -1 << b + QStringLiteral(".4.vcf");
        QTest::addRow("%s google", book) << b << TInteropFormat::CsvGoogle << false << -1 << b + QStringLiteral(".google.csv");
        QTest::addRow("%s outlook", book) << b << TInteropFormat::CsvOutlook << false << -1 << b + QStringLiteral(".outlook.csv");
        QTest::addRow("%s outlook 1250", book) << b << TInteropFormat::CsvOutlook << true << -1
                                               << b + QStringLiteral(".outlook-1250.csv");
        QTest::addRow("%s ics", book) << b << TInteropFormat::Ics << false << 3 << b + QStringLiteral(".ics");
    }
    const QString e = QStringLiteral("krajni");
    QTest::addRow("krajni vcard3") << e << TInteropFormat::VCard3 << false << -1 << e + QStringLiteral(".3.vcf");
    QTest::addRow("krajni vcard4") << e << TInteropFormat::VCard4 << false << -1 << e + QStringLiteral(".4.vcf");
    QTest::addRow("krajni google") << e << TInteropFormat::CsvGoogle << false << -1 << e + QStringLiteral(".google.csv");
    QTest::addRow("krajni outlook") << e << TInteropFormat::CsvOutlook << false << -1 << e + QStringLiteral(".outlook.csv");
    QTest::addRow("krajni outlook 1250") << e << TInteropFormat::CsvOutlook << true << -1
                                         << e + QStringLiteral(".outlook-1250.csv");
    QTest::addRow("krajni ics") << e << TInteropFormat::Ics << false << 0 << e + QStringLiteral(".ics");
    QTest::addRow("krajni ics without alarm") << e << TInteropFormat::Ics << false << -1
                                              << e + QStringLiteral(".noalarm.ics");
}

// Whole outputs against golden files (VORLINK_UPDATE_GOLDEN=1 rewrites them); every
// physical line of a vCard or calendar stays within 75 octets and whole UTF-8.
void TestInteropFiles::golden()
{
    QFETCH(QString, book);
    QFETCH(TInteropFormat, format);
    QFETCH(bool, cp1250);
    QFETCH(int, alarm);
    QFETCH(QString, golden);
    TBook b;
    if (book == QLatin1String("ukazka"))
        QVERIFY(LoadSample(b));
    else if (book == QLatin1String("krajni"))
        EdgeBook(b);
    else
        FullBook(b);
    TExportOptions o = Options(format);
    o.OutlookCp1250 = cp1250;
    o.AlarmDays = alarm;
    const QString out = m_dir.filePath(golden);
    const TExportResult r = ExportRecords(out, All(b), b.Labels, o);
    QCOMPARE(r.Error, TInteropError::None);
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const QString goldenPath = QStringLiteral(VORLINK_SOURCE_DIR "/tests/interop/golden/") + golden;
    if (qEnvironmentVariableIsSet("VORLINK_UPDATE_GOLDEN")) {
        QFile g(goldenPath);
        QVERIFY(g.open(QIODevice::WriteOnly));
        g.write(bytes);
    }
    QFile g(goldenPath);
    QVERIFY2(g.open(QIODevice::ReadOnly), qPrintable(goldenPath));
    QCOMPARE(bytes, g.readAll());
    if (format == TInteropFormat::VCard3 || format == TInteropFormat::VCard4 || format == TInteropFormat::Ics) {
        QVERIFY(bytes.endsWith("\r\n"));
        for (const QByteArray &line : bytes.split('\n')) {
            QVERIFY2(line.isEmpty() || line.endsWith('\r'), line.constData());
            QVERIFY2(line.size() <= 76, line.constData());
            QVERIFY(line.isEmpty() || (uchar(line[0]) & 0xC0) != 0x80);
            QStringDecoder utf8(QStringDecoder::Utf8);
            (void)utf8.decode(line);
            QVERIFY2(!utf8.hasError(), line.constData());
        }
    }
}

void TestInteropFiles::roundTrip_data()
{
    QTest::addColumn<QString>("book");
    QTest::addColumn<TInteropFormat>("format");
    for (const char *book : {"ukazka", "plna"}) {
        QTest::addRow("%s vcard3", book) << QString::fromLatin1(book) << TInteropFormat::VCard3;
        QTest::addRow("%s vcard4", book) << QString::fromLatin1(book) << TInteropFormat::VCard4;
    }
}

// Book → vCard → new book keeps every text field (each number and address in its own
// group, whatever the captions), the note and the flags.
void TestInteropFiles::roundTrip()
{
    QFETCH(QString, book);
    QFETCH(TInteropFormat, format);
    TBook b;
    if (book == QLatin1String("ukazka"))
        QVERIFY(LoadSample(b));
    else if (book == QLatin1String("krajni"))
        EdgeBook(b);
    else
        FullBook(b);
    const QString vcf = m_dir.filePath(book + QStringLiteral(".rt.vcf"));
    QCOMPARE(ExportRecords(vcf, All(b), b.Labels, Options(format)).Error, TInteropError::None);
    TBook back;
    TBookLabels labels = b.Labels;
    TVCardImportStats stats;
    QCOMPARE(ImportVCardFile(vcf, back, labels, {}, stats, BookFile::kMaxRecords), TInteropError::None);
    QCOMPARE(stats.Contacts, b.RecordCount());
    QCOMPARE(stats.Truncated + stats.Replaced + stats.BadLines, 0);
    QCOMPARE(back.RecordCount(), b.RecordCount());
    for (qsizetype i = 0; i < b.RecordCount(); ++i) {
        const TContactRecord &was = b.Record(i);
        const TContactRecord &is = back.Record(i);
        for (int f = 0; f < kTextFieldCount; ++f)
            QVERIFY2(is.Text(EField(f)) == was.Text(EField(f)).trimmed(),
                     qPrintable(QStringLiteral("%1 %2: %3 / %4")
                                    .arg(i)
                                    .arg(QLatin1String(FieldInfo(f).Name), FromCp1250(is.Text(EField(f))),
                                         FromCp1250(was.Text(EField(f))))));
        QCOMPARE(FromCp1250(is.Note()), FromCp1250(was.Note()).trimmed());
        for (int flag = 1; flag <= 10; ++flag)
            QCOMPARE(is.Flag(flag), was.Flag(flag));
    }
    // And card → book → card: the book read back writes the very same cards.
    const QString again = m_dir.filePath(book + QStringLiteral(".rt2.vcf"));
    QCOMPARE(ExportRecords(again, All(back), labels, Options(format)).Error, TInteropError::None);
    QFile first(vcf), second(again);
    QVERIFY(first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly));
    QCOMPARE(second.readAll(), first.readAll());
}

// Control characters typed into codes, names and notes never reach a parameter or a
// value raw: every line stays whole, nothing below a space but the line ends, no DEL;
// the number still comes back into its group.
void TestInteropFiles::controlCharacters()
{
    TBook b;
    b.Labels = TBookLabels::Defaults();
    TContactRecord r;
    r.SetText(EField::NazevPolozky, "Zl\x1b[31my\x7f");
    r.SetText(EField::Narozeniny, "01.02.1990");
    r.SetText(PhoneField(3, 0), "4\r2\n0");
    r.SetText(PhoneField(3, 1), "\"2\x01,");
    r.SetText(PhoneField(3, 2), "123\x7f 456");
    r.SetNote("a\x07b\r\nc\x7f");
    b.AppendRecord(r);
    for (const TInteropFormat f : {TInteropFormat::VCard3, TInteropFormat::VCard4, TInteropFormat::Ics}) {
        const QString out = m_dir.filePath(QStringLiteral("ridici.out"));
        QCOMPARE(ExportRecords(out, All(b), b.Labels, Options(f)).Error, TInteropError::None);
        const QByteArray bytes = TestBook::ReadFile(out);
        for (const QByteArray &line : bytes.split('\n')) {
            if (line.isEmpty())
                continue;
            QVERIFY(line.endsWith('\r'));
            for (const char c : line.chopped(1))
                QVERIFY2(uchar(c) >= 0x20 && uchar(c) != 0x7F, line.constData());
        }
        if (f == TInteropFormat::Ics)
            continue;
        TBook back;
        TVCardImportStats stats;
        QCOMPARE(ImportVCardFile(out, back, b.Labels, {}, stats, BookFile::kMaxRecords), TInteropError::None);
        QCOMPARE(stats.BadLines, 0);
        QCOMPARE(back.Record(0).Text(PhoneField(3, 0)), QByteArray("420"));
        QCOMPARE(back.Record(0).Text(PhoneField(3, 1)), QByteArray("2"));
        QCOMPARE(back.Record(0).Text(PhoneField(3, 2)), QByteArray("123 456"));
    }
}

void TestInteropFiles::formulaCells_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("cell"); // as the table holds it
    QTest::newRow("a call") << QByteArray("=HYPERLINK(\"x\")") << QByteArray("\"'=HYPERLINK(\"\"x\"\")\"");
    QTest::newRow("plus") << QByteArray("+cmd|'/C calc'!A0") << QByteArray("'+cmd|'/C calc'!A0");
    QTest::newRow("minus") << QByteArray("-2+3+cmd|'/C c'!A0") << QByteArray("'-2+3+cmd|'/C c'!A0");
    QTest::newRow("at") << QByteArray("@SUM(1+1)") << QByteArray("'@SUM(1+1)");
    QTest::newRow("a number stays") << QByteArray("+420 602 123 456") << QByteArray("+420 602 123 456");
    QTest::newRow("text with = inside stays") << QByteArray("A=B") << QByteArray("A=B");
}

// Cells a spreadsheet would run as formulas are neutralised in both tables.
void TestInteropFiles::formulaCells()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, cell);
    TBook b;
    b.Labels = TBookLabels::Defaults();
    TContactRecord r;
    r.SetText(EField::NazevPolozky, name);
    r.SetText(EField::Prijmeni, name);
    b.AppendRecord(r);
    for (const TInteropFormat f : {TInteropFormat::CsvGoogle, TInteropFormat::CsvOutlook}) {
        const QString out = m_dir.filePath(QStringLiteral("vzorce.csv"));
        QCOMPARE(ExportRecords(out, All(b), b.Labels, Options(f)).Error, TInteropError::None);
        const QByteArray row = TestBook::ReadFile(out).split('\n').value(1);
        QVERIFY2(row.startsWith(cell + ',') || row.contains(',' + cell + ','), row.constData());
    }
}

void TestInteropFiles::exportedNumbers_data()
{
    QTest::addColumn<QStringList>("group"); // country, area, number, extension
    QTest::addColumn<QString>("expected");
    QTest::newRow("00 with spaces") << QStringList {{}, {}, QStringLiteral("00421 905 123 456"), {}} << QStringLiteral("+421 905 123 456");
    QTest::newRow("00 with hyphens") << QStringList {{}, {}, QStringLiteral("00-1-212-555-7777"), {}} << QStringLiteral("+1-212-555-7777");
    QTest::newRow("00 and a country code of the group")
        << QStringList {QStringLiteral("420"), {}, QStringLiteral("0049 30 1234567"), {}} << QStringLiteral("+49 30 1234567");
    QTest::newRow("plus") << QStringList {{}, {}, QStringLiteral("+49 30 1234567"), QStringLiteral("12")} << QStringLiteral("+49 30 1234567 ext. 12");
    QTest::newRow("own country") << QStringList {{}, {}, QStringLiteral("602 123 456"), {}} << QStringLiteral("+420 602 123 456");
    QTest::newRow("group's codes") << QStringList {QStringLiteral("421"), QStringLiteral("2"), QStringLiteral("5555 1234"), {}}
                                   << QStringLiteral("+421 2 5555 1234");
}

// A number goes out the same in vCard and both tables: in international form, nothing
// put before a number that already has its country.
void TestInteropFiles::exportedNumbers()
{
    QFETCH(QStringList, group);
    QFETCH(QString, expected);
    TBook b;
    b.Labels = TBookLabels::Defaults();
    TContactRecord r;
    r.SetText(EField::NazevPolozky, "Číslo");
    for (int part = 0; part < 4; ++part)
        r.SetText(PhoneField(9, part), ToCp1250(group.at(part)));
    b.AppendRecord(r);
    for (const TInteropFormat f : {TInteropFormat::VCard3, TInteropFormat::VCard4, TInteropFormat::CsvGoogle, TInteropFormat::CsvOutlook}) {
        const QString out = m_dir.filePath(QStringLiteral("cislo.out"));
        QCOMPARE(ExportRecords(out, All(b), b.Labels, Options(f)).Error, TInteropError::None);
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll()).remove(QStringLiteral("\r\n "));
        QVERIFY2(text.contains(QLatin1Char(':') + expected + QStringLiteral("\r\n")) || text.contains(QLatin1Char(',') + expected + QLatin1Char(',')),
                 qPrintable(InteropFormat::Name(f) + QStringLiteral(": ") + text));
    }
}

void TestInteropFiles::import_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected"); // field=value (UTF-8), checked on the first entry
    QTest::addColumn<QString>("summary");
    QTest::newRow("2.1 quoted-printable windows-1250")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=WINDOWS-1250;ENCODING=QUOTED-PRINTABLE:Nov=E1k;Jan\r\n"
                      "FN;CHARSET=WINDOWS-1250;QUOTED-PRINTABLE:Jan Nov=E1k\r\n"
                      "TEL;CELL;VOICE:+420 602 111 222\r\nTEL;WORK:02/24681357\r\n"
                      "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:=C5=99=C3=A1dek 1=0D=0A=\r\n"
                      "=C5=99=C3=A1dek 2\r\nX-FOO:bar\r\nEND:VCARD\r\n")
        << QStringList {QStringLiteral("NazevPolozky=Novák Jan"), QStringLiteral("Prijmeni=Novák"),
                        QStringLiteral("VStatu9=420"), QStringLiteral("Telefon9=602 111 222"),
                        QStringLiteral("Telefon3=02/24681357"),
                        QString::fromUtf8("Poznamka=řádek 1\r\nřádek 2\r\nX-FOO: bar")}
        << QStringLiteral("1 kontakt načten, 0 textů zkráceno, 0 znaků nahrazeno");
    QTest::newRow("3.0 of a phone, folded")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:Žofie Dlouhá-Krátká\nN:Dlouhá-Krátká;Žofie;;;\n"
                      "ORG:Firma\\, s.r.o.;Účtárna\nEMAIL;TYPE=INTERNET,HOME:zofie@example.c\n z\n"
                      "ADR;TYPE=WORK:;;Dlouhá 1;Praha;;110 00;Česko\nBDAY:1980-02-29\n"
                      "CATEGORIES:Známý,Rodina\nPHOTO;ENCODING=b;TYPE=JPEG:AAAA\nEND:VCARD\n")
        << QStringList {QString::fromUtf8("Jmeno=Žofie"), QStringLiteral("Email=zofie@example.cz"),
                        QStringLiteral("Zamestnani="), QString::fromUtf8("Ulice2=Dlouhá 1"),
                        QStringLiteral("Psc2=110 00"), QStringLiteral("Narozeniny=29.02.1980"),
                        QString::fromUtf8("Poznamka=CATEGORIES: Rodina\r\nORG: Firma, s.r.o., Účtárna"), QStringLiteral("Log8=1")}
        << QStringLiteral("1 kontakt načten, 0 textů zkráceno, 0 znaků nahrazeno, 1 fotografie vynechána");
    QTest::newRow("4.0 tel uri, no year, too long, emoji")
        << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Anna 😀 Veliká\r\nN:Velikáááááááááááááááááááá;Anna;;;\r\n"
                      "TEL;VALUE=uri;TYPE=\"voice,home\":tel:+49-30-1234567;ext=12\r\nBDAY:--0315\r\nEND:VCARD\r\n")
        << QStringList {QStringLiteral("NazevPolozky=Anna ? Veliká"), QString::fromUtf8("Prijmeni=Velikááááááááááááááá"),
                        QStringLiteral("VStatu1=49"), QStringLiteral("Telefon1=30-1234567"), QStringLiteral("Linka1=12"),
                        QStringLiteral("Narozeniny=15.03.")}
        << QStringLiteral("1 kontakt načten, 1 text zkrácen, 1 znak nahrazen");
    QTest::newRow("groups by the most specific kind; labels never rename captions")
        << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Skupiny\r\nTEL;TYPE=FAX,WORK:+420 111\r\n"
                      "TEL;TYPE=CELL,WORK:+420 222\r\nTEL;TYPE=CELL,HOME:+420 333\r\n"
                      "item1.TEL:+420 444\r\nitem1.X-ABLabel:_$!<HomeFAX>!$_\r\n"
                      "item2.TEL;TYPE=VOICE:+1 212 555 0100\r\nitem2.X-ABLabel:GRAND_CENTRAL\r\n"
                      "TEL;TYPE=WORK:+420 666\r\nitem3.TEL:+420 777\r\nitem3.X-ABLabel:mobile\r\n"
                      "item4.ADR:;;Chata 1;Lhota;;;\r\nitem4.X-ABLabel:_$!<Work>!$_\r\nEND:VCARD\r\n")
        << QStringList {QStringLiteral("Telefon6=111"), QStringLiteral("Telefon9=222"), QStringLiteral("Telefon8=333"),
                        QStringLiteral("Telefon7=444"), QStringLiteral("VStatu1=1"), QStringLiteral("Telefon1=212 555 0100"),
                        QStringLiteral("Telefon3=666"), QStringLiteral("Telefon2=777"), QStringLiteral("Ulice2=Chata 1"),
                        QStringLiteral("Poznamka=GRAND_CENTRAL: +1 212 555 0100")}
        << QString::fromUtf8("1 kontakt načten, 0 textů zkráceno, 0 znaků nahrazeno");
    QTest::newRow("4.0 variants: the one Windows-1250 holds")
        << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nFN;ALTID=1;LANGUAGE=ja:\xE5\xB1\xB1\xE7\x94\xB0\r\n"
                      "FN;ALTID=1;LANGUAGE=cs:Jamada Tar\xC5\x8D\r\nFN;ALTID=1;LANGUAGE=en:Taro Yamada\r\n"
                      "N;ALTID=2;LANGUAGE=en:Yamada;Taro;;;\r\nN;ALTID=2;LANGUAGE=ja:\xE5\xB1\xB1;\xE7\x94\xB0;;;\r\nEND:VCARD\r\n")
        << QStringList {QStringLiteral("NazevPolozky=Yamada Taro"), QStringLiteral("Prijmeni=Yamada"), QStringLiteral("Jmeno=Taro"),
                        QStringLiteral("Poznamka=FN (ja): ??\r\nFN (cs): Jamada Tar?\r\nN (ja): ? ?")}
        << QString::fromUtf8("1 kontakt načten, 0 textů zkráceno, 5 znaků nahrazeno");
    QTest::newRow("labels of other properties, nicknames, backslashes, a colon in a parameter")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Nov\xC3\xA1k;Jan\r\nFN:Jan Nov\xC3\xA1k\r\n"
                      "NICKNAME:m\xC3\xA1ma,Mom\r\nNOTE:C:\\Data\\dopisy\\; druh\xC3\xBD\r\n"
                      "ADR;TYPE=work;LABEL=Brno: centrum;X-FLOOR=2:;;Masarykova 5;Brno;;602 00;\xC4\x8C" "esko\r\n"
                      "item3.X-ABDATE:2010-06-12\r\nitem3.X-ABLabel:_$!<Anniversary>!$_\r\n"
                      "item4.X-ABRELATEDNAMES:Jana\r\nitem4.X-ABLabel:_$!<Spouse>!$_\r\nEND:VCARD\r\n")
        << QStringList {QString::fromUtf8("Prezdivka=máma, Mom"), QStringLiteral("Ulice2=Masarykova 5"), QStringLiteral("Misto2=Brno"),
                        QStringLiteral("Psc2=602 00"), QString::fromUtf8("Stat2=Česko"),
                        QString::fromUtf8("Poznamka=C:\\Data\\dopisy; druhý\r\nAnniversary: 2010-06-12\r\nSpouse: Jana")}
        << QString::fromUtf8("1 kontakt načten, 0 textů zkráceno, 0 znaků nahrazeno");
    QTest::newRow("a firm: its organisation is its name, the title its occupation")
        << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:org\r\nORG:Acme s.r.o.\r\nTITLE:dodavatel\r\n"
                      "ROLE:velkoobchod\r\nX-VORLINK-EDUCATION:SP\xC5\xA0\r\nEND:VCARD\r\n")
        << QStringList {QStringLiteral("NazevPolozky=Acme s.r.o."), QStringLiteral("Zamestnani=dodavatel"),
                        QString::fromUtf8("Vzdelani=SPŠ"), QStringLiteral("Poznamka=ROLE: velkoobchod")}
        << QString::fromUtf8("1 kontakt načten, 0 textů zkráceno, 0 znaků nahrazeno");
    const QString one = QString::fromUtf8("1 kontakt načten, 0 textů zkráceno, 0 znaků nahrazeno");
    const QString card = QString::fromUtf8("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Šárka\r\nTEL:+420 1\r\n 23\r\nEND:VCARD\r\n");
    const QStringList fields {QString::fromUtf8("NazevPolozky=Šárka"), QStringLiteral("VStatu1=420"), QStringLiteral("Telefon1=123")};
    QTest::newRow("UTF-8 byte-order mark") << "\xEF\xBB\xBF" + card.toUtf8() << fields << one;
    for (const auto &[name, encoding] : {std::pair {"UTF-16LE", QStringConverter::Utf16LE}, std::pair {"UTF-16BE", QStringConverter::Utf16BE}}) {
        QStringEncoder encode(encoding, QStringConverter::Flag::WriteBom);
        QTest::addRow("%s with its mark", name) << QByteArray(encode(card)) << fields << one;
    }
    QTest::newRow("lines ended by CR alone") << QString(card).replace(QStringLiteral("\r\n"), QStringLiteral("\r")).toUtf8() << fields << one;
    QByteArray folded = "BEGIN:VCARD\r\nFN:Foto 2\r\nitem1.PHOTO;ENCODING=b:";
    for (int i = 0; i < 5000; ++i)
        folded += QByteArray(74, 'B') + "\r\n ";
    folded += "B\r\nEND:VCARD\r\n";
    QTest::newRow("a photo beyond the line limit, whole and folded")
        << QByteArray("BEGIN:VCARD\r\nFN:Foto\r\nPHOTO;ENCODING=b;TYPE=JPEG:" + QByteArray(300000, 'A') + "\r\nEND:VCARD\r\n" + folded)
        << QStringList {QStringLiteral("NazevPolozky=Foto")}
        << QString::fromUtf8("2 kontakty načteny, 0 textů zkráceno, 0 znaků nahrazeno, 2 fotografie vynechány");
    QTest::newRow("bad lines")
        << QByteArray("garbage before\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nno colon here\r\n:no name\r\nFN:Ok\r\n"
                      "BEGIN:VCARD\r\nFN:agent\r\nEND:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:Useknutá\r\n")
        << QStringList {QStringLiteral("NazevPolozky=Ok")}
        << QString::fromUtf8("2 kontakty načteny, 0 textů zkráceno, 0 znaků nahrazeno, 4 chybné řádky vynechány");
}

// Foreign cards of every version: the mapping, the counts of cut and replaced texts, and
// bad lines skipped, never fatal.
void TestInteropFiles::import()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    const QString path = m_dir.filePath(QStringLiteral("in.vcf"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();
    TBook b;
    TBookLabels labels = TBookLabels::Defaults();
    TVCardImportStats stats;
    QCOMPARE(ImportVCardFile(path, b, labels, {}, stats, BookFile::kMaxRecords), TInteropError::None);
    QTEST(InteropText::Summary(stats), "summary");
    const TContactRecord &r = b.Record(0);
    for (const QString &e : expected) {
        const QString field = e.section(QLatin1Char('='), 0, 0);
        const QString value = e.section(QLatin1Char('='), 1);
        QString got;
        if (field == QLatin1String("Poznamka"))
            got = FromCp1250(r.Note());
        else if (field.startsWith(QLatin1String("Log")))
            got = r.Flag(field.mid(3).toInt()) ? QStringLiteral("1") : QStringLiteral("0");
        else
            got = FromCp1250(r.Text(EField(FieldIndexByName(field.toLatin1()))));
        QCOMPARE(got, value);
    }
}

// Clashing names get " (2)", " (3)" against the open book and one another, within the
// field's 50 characters.
void TestInteropFiles::uniqueNames()
{
    const QString path = m_dir.filePath(QStringLiteral("twice.vcf"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QByteArray longName(50, 'L');
    f.write("BEGIN:VCARD\nFN:Novák Jan\nEND:VCARD\nBEGIN:VCARD\nFN:Novák Jan\nEND:VCARD\n"
            "BEGIN:VCARD\nFN:" + longName + "\nEND:VCARD\nBEGIN:VCARD\nFN:" + longName + "\nEND:VCARD\n");
    f.close();
    TBook b;
    TBookLabels labels = TBookLabels::Defaults();
    TVCardImportStats stats;
    const auto taken = [](QByteArrayView n) { return n == ToCp1250(QString::fromUtf8("Novák Jan")); };
    QCOMPARE(ImportVCardFile(path, b, labels, taken, stats, BookFile::kMaxRecords), TInteropError::None);
    QCOMPARE(b.RecordCount(), 4);
    QCOMPARE(FromCp1250(b.Record(0).Name()), QString::fromUtf8("Novák Jan (2)"));
    QCOMPARE(FromCp1250(b.Record(1).Name()), QString::fromUtf8("Novák Jan (3)"));
    QCOMPARE(b.Record(2).Name(), longName);
    QCOMPARE(b.Record(3).Name(), QByteArray(46, 'L') + " (2)");
}

namespace {

QByteArray Card(const QByteArray &name, const QByteArray &extra = {})
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\nN:" + name + ";Jan;;;\r\nTEL;TYPE=CELL:+420 602 "
           + QByteArray::number(qHash(name) % 1000000) + "\r\nNOTE:Pozn\u00E1mka " + name + "\\nna dva \u0159\u00E1dky\r\n" + extra
           + "END:VCARD\r\n";
}

QByteArray Cards(int count, const QByteArray &name = {})
{
    QByteArray all;
    for (int i = 0; i < count; ++i)
        all += Card(name.isEmpty() ? "Nov\u00E1k " + QByteArray::number(i) : name);
    return all;
}

} // namespace

// A file read in two halves at once gives what reading it whole gives: the same entries
// byte for byte, the same names made unique in file order, the same counts and error;
// and where the halves cannot stand alone, it is read whole.
void TestInteropFiles::inPartsAsWhole_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qint64>("maxRecords");
    QTest::addColumn<int>("parts");
    QTest::newRow("cards with names of their own") << Cards(40) << qint64(BookFile::kMaxRecords) << 2;
    // Every name the same: the second half's suffixes go on from the first's.
    QTest::newRow("one name throughout, and one taken") << Cards(40, "Nov\u00E1k Jan") << qint64(BookFile::kMaxRecords) << 2;
    QByteArray bad = Cards(20) + "nesmysl bez dvojte\u010Dky\r\n" + Cards(20).replace("TEL;TYPE=CELL:", "TEL;TYPE=CELL;;;:");
    bad += "BEGIN:VCARD\r\nFN:Ut\u0159\u017Een\u00E1\r\n";
    QTest::newRow("bad lines, a card broken off at the end") << bad << qint64(BookFile::kMaxRecords) << 2;
    QTest::newRow("more cards than the book takes") << Cards(40) << qint64(30) << 1;
    // Quoted-printable's soft break takes END:VCARD into the note: the card goes on past
    // the place that looks like the end of one.
    QByteArray soft = Cards(19) + "BEGIN:VCARD\r\nFN:M\u011Bkk\u00FD\r\nNOTE;ENCODING=QUOTED-PRINTABLE:konec=\r\nEND:VCARD\r\n";
    soft += "BEGIN:VCARD\r\nFN:Uvnit\u0159\r\nEND:VCARD\r\nEND:VCARD\r\n" + Cards(19);
    QTest::newRow("a soft line break before END:VCARD") << soft << qint64(BookFile::kMaxRecords) << 1;
    // Two cards of a 2.1 card's agents one after the other, across the middle.
    QByteArray agents = Card("Prvn\u00ED") + "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Agenti\r\nAGENT:\r\nBEGIN:VCARD\r\nFN:A1\r\nNOTE:"
                        + QByteArray(3000, 'x') + "\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:A2\r\nEND:VCARD\r\nEND:VCARD\r\n" + Card("Posledn\u00ED");
    QTest::newRow("nested cards across the middle") << agents << qint64(BookFile::kMaxRecords) << 1;
    QTest::newRow("old Mac line ends") << Cards(40).replace("\r\n", "\r") << qint64(BookFile::kMaxRecords) << 1;
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray wide = utf16(QString::fromUtf8(Cards(40)));
    QTest::newRow("UTF-16") << wide << qint64(BookFile::kMaxRecords) << 1;
    QTest::newRow("byte-order mark of UTF-8") << QByteArray("\xEF\xBB\xBF") + Cards(40) << qint64(BookFile::kMaxRecords) << 2;
    QTest::newRow("no card at all") << QByteArray("nic\r\nnic\r\nEND:VCARD\r\nBEGIN:VCARDX\r\nnic\r\n") << qint64(BookFile::kMaxRecords) << 1;
}

void TestInteropFiles::inPartsAsWhole()
{
    QFETCH(QByteArray, file);
    QFETCH(qint64, maxRecords);
    const QString path = m_dir.filePath(QStringLiteral("parts.vcf"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(file);
    f.close();
    const auto taken = [](QByteArrayView n) { return n == ToCp1250(QString::fromUtf8("Nov\u00E1k Jan (3)")); };
    TBook whole, inParts;
    TVCardImportStats wholeStats, partsStats;
    int wholeParts = 0, parts = 0;
    const TInteropError wholeError = ImportVCardFileInParts(path, whole, TBookLabels::Defaults(), taken, wholeStats, maxRecords, {},
                                                            std::numeric_limits<qint64>::max(), &wholeParts);
    QList<qint64> progress;
    const TInteropError partsError = ImportVCardFileInParts(
        path, inParts, TBookLabels::Defaults(), taken, partsStats, maxRecords,
        [&](qint64 done, qint64 total) { progress << done << total; }, 0, &parts);
    QCOMPARE(wholeParts, 1);
    QTEST(parts, "parts");
    QCOMPARE(partsError, wholeError);
    QCOMPARE(InteropText::Summary(partsStats), InteropText::Summary(wholeStats));
    QCOMPARE(partsStats.Photos, wholeStats.Photos);
    QCOMPARE(inParts.RecordCount(), whole.RecordCount());
    for (qsizetype i = 0; i < whole.RecordCount(); ++i)
        QVERIFY2(std::memcmp(inParts.Record(i).Data(), whole.Record(i).Data(), kRecordSize) == 0,
                 qPrintable(QStringLiteral("entry %1: %2 / %3").arg(i).arg(FromCp1250(inParts.Record(i).Name()), FromCp1250(whole.Record(i).Name()))));
    // Progress ends at the whole file and never goes back.
    if (partsError == TInteropError::None) {
        QVERIFY(progress.size() >= 2);
        QCOMPARE(progress.mid(progress.size() - 2), (QList<qint64> {file.size(), file.size()}));
        for (qsizetype i = 2; i < progress.size(); i += 2)
            QVERIFY(progress[i] >= progress[i - 2]);
    }
}

// The names given so far are found however many came before: a repeat of the first, a
// middle and the last of 3,000 names, and the first once more.
void TestInteropFiles::uniqueNamesAmongThousands()
{
    const QString path = m_dir.filePath(QStringLiteral("thousands.vcf"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QList<int> order;
    for (int i = 0; i < 3000; ++i)
        order << i;
    order << 0 << 1500 << 2999 << 0;
    for (int i : order)
        f.write("BEGIN:VCARD\nFN:N" + QByteArray::number(i) + "\nEND:VCARD\n");
    f.close();
    TBook b;
    TVCardImportStats stats;
    QCOMPARE(ImportVCardFile(path, b, TBookLabels::Defaults(), {}, stats, BookFile::kMaxRecords), TInteropError::None);
    QCOMPARE(b.RecordCount(), 3004);
    QCOMPARE(b.Record(2999).Name(), QByteArray("N2999"));
    QCOMPARE(b.Record(3000).Name(), QByteArray("N0 (2)"));
    QCOMPARE(b.Record(3001).Name(), QByteArray("N1500 (2)"));
    QCOMPARE(b.Record(3002).Name(), QByteArray("N2999 (2)"));
    QCOMPARE(b.Record(3003).Name(), QByteArray("N0 (3)"));
}

// A target that cannot be written (a folder in its place) fails and leaves no file.
void TestInteropFiles::failedWriteKeepsOldFile()
{
    TBook b;
    FullBook(b);
    const QString dir = m_dir.filePath(QStringLiteral("adresar.vcf"));
    QVERIFY(QDir().mkpath(dir));
    QCOMPARE(ExportRecords(dir, All(b), b.Labels, Options(TInteropFormat::VCard3)).Error, TInteropError::Open);
    QVERIFY(QFileInfo(dir).isDir());
}

QTEST_GUILESS_MAIN(TestInteropFiles)
#include "tst_interopfiles.moc"

#include "cli/Command.h"
#include "book/BookFile.h"
#include "book/BookLabels.h"
#include "interop/InteropFile.h"
#include "session/AddressBook.h"

#include "FakePrompt.h"
#include "TestBook.h"

#include <QTemporaryDir>
#include <QTest>

using TestBook::Entry;

namespace {

int Run(const QStringList &args, QString *out = nullptr, QString *err = nullptr)
{
    QString o, e;
    QTextStream outs(&o), errs(&e);
    const int status = RunCli(QStringList {QStringLiteral("vorlink-cli")} + args, outs, errs);
    outs.flush();
    errs.flush();
    if (out)
        *out = o;
    if (err)
        *err = e;
    return status;
}

QList<QByteArray> Names(const QByteArray &bookBytes)
{
    QList<QByteArray> names;
    for (qsizetype at = kRecordSize; at + kRecordSize <= bookBytes.size(); at += kRecordSize)
        names << TContactRecord::FromBytes(bookBytes.constData() + at).Name();
    return names;
}

} // namespace

class TestInteropCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exportFormats_data();
    void exportFormats();
    void commandMatchesWindow_data();
    void commandMatchesWindow();
    void importVcf();
    void failures_data();
    void failures();

private:
    QString P(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir m_dir;
};

void TestInteropCli::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    TContactRecord c = Entry("C", 0b01);
    c.SetText(EField::Narozeniny, "01.02.1990");
    c.SetText(EField::Svatek, "03.04.");
    TestBook::WriteFile(P("kniha.WDT"), TestBook::FileBytes(TBookLabels::Defaults(), {c, Entry("B", 0b10), Entry("A", 0b01)}));
}

void TestInteropCli::exportFormats_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QByteArray>("starts");
    QTest::addColumn<int>("itemCount"); // of the first line of "starts" in the file
    QTest::newRow("vcard3 masked, list order")
        << QStringList {QStringLiteral("--format"), QStringLiteral("vcard3"), QStringLiteral("--mask"), QStringLiteral("AFFFFFFFFF")}
        << QString::fromUtf8("2 kontakty zapsány") << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Vorlink//Vorlink//CS\r\nUID:vorlink-6dcd4ce23d88e2ee9568ba54\r\nX-ABShowAs:COMPANY\r\nFN:A\r\n") << 2;
    QTest::newRow("vcard4") << QStringList {QStringLiteral("--format"), QStringLiteral("VCARD4")}
                            << QString::fromUtf8("3 kontakty zapsány") << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\n") << 3;
    QTest::newRow("google") << QStringList {QStringLiteral("--format"), QStringLiteral("csv-google")}
                            << QString::fromUtf8("3 kontakty zapsány") << QByteArray("Name,Given Name,Additional Name,Family Name,Name Prefix,Name Suffix,Nickname,Birthday,Notes,Group Membership,E-mail 1 - Type,E-mail 1 - Value,Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,Phone 3 - Type,Phone 3 - Value,Phone 4 - Type,Phone 4 - Value,Phone 5 - Type,Phone 5 - Value,Phone 6 - Type,Phone 6 - Value,Phone 7 - Type,Phone 7 - Value,Phone 8 - Type,Phone 8 - Value,Phone 9 - Type,Phone 9 - Value,Address 1 - Type,Address 1 - Street,Address 1 - City,Address 1 - Postal Code,Address 1 - Country,Address 2 - Type,Address 2 - Street,Address 2 - City,Address 2 - Postal Code,Address 2 - Country,Address 3 - Type,Address 3 - Street,Address 3 - City,Address 3 - Postal Code,Address 3 - Country,Organization 1 - Name,Organization 1 - Title,Website 1 - Type,Website 1 - Value,Custom Field 1 - Type,Custom Field 1 - Value\r\nA,,,,,,,,,Nutn\xc3\xa9 blahop\xc5\x99\xc3\xa1t ::: * myContacts,") << 1;
    QTest::newRow("outlook 1250") << QStringList {QStringLiteral("--format"), QStringLiteral("csv-outlook"), QStringLiteral("--encoding"), QStringLiteral("windows-1250")}
                                  << QString::fromUtf8("3 kontakty zapsány") << QByteArray("Title,First Name,") << 1;
    QTest::newRow("ics with alarm") << QStringList {QStringLiteral("--format"), QStringLiteral("ics"), QStringLiteral("--alarm-days"), QStringLiteral("7")}
                                    << QString::fromUtf8("2 události zapsány") << QByteArray("BEGIN:VCALENDAR\r\n") << 1;
}

// Each format from the command line: the count said, the file written, the mask and the
// list's order respected.
void TestInteropCli::exportFormats()
{
    QFETCH(QStringList, options);
    const QString target = P("out.bin");
    QString out, err;
    QCOMPARE(Run(QStringList {QStringLiteral("export"), P("kniha.WDT"), QStringLiteral("-o"), target} + options, &out, &err), 0);
    QTEST(out.trimmed(), "said");
    const QByteArray bytes = TestBook::ReadFile(target);
    QFETCH(QByteArray, starts);
    QVERIFY2(bytes.startsWith(starts), bytes.left(200).constData());
    const qsizetype firstLine = starts.indexOf('\n');
    QTEST(int(bytes.count(firstLine < 0 ? starts : starts.left(firstLine + 1))), "itemCount");
    if (options.contains(QStringLiteral("windows-1250")))
        QVERIFY(bytes.contains(TestBook::Cp("1.2.1990,Svátek: 03.04.,Nutné blahopřát,,,\r\n")));
    if (options.contains(QStringLiteral("ics")))
        QCOMPARE(bytes.count("TRIGGER:-P7D"), 2);
}

void TestInteropCli::commandMatchesWindow_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("mask");
    QTest::newRow("vcard3") << QStringLiteral("vcard3") << QString();
    QTest::newRow("google masked") << QStringLiteral("csv-google") << QStringLiteral("AFFFFFFFFF");
}

// The command sorts the names of a book it never loads; the window sorts its list. Names
// equal but for case or accents, duplicates and an empty name must come out the same.
void TestInteropCli::commandMatchesWindow()
{
    QFETCH(QString, format);
    QFETCH(QString, mask);
    QList<TContactRecord> entries;
    const char *names[] = {"\xC8" "ech", "cech", "Cech", "Ch", "H", "cech", "\xC1" "bel", "abel", "", "Abel", "\xE8" "ech"};
    for (int i = 0; i < int(std::size(names)); ++i)
        entries << Entry(names[i], unsigned(i % 3 == 0 ? 0b10 : 0b01));
    TestBook::WriteFile(P("poradi.WDT"), TestBook::FileBytes(TBookLabels::Defaults(), entries));
    QStringList args {QStringLiteral("export"), P("poradi.WDT"), QStringLiteral("--format"), format, QStringLiteral("-o"), P("prikaz.out")};
    if (!mask.isEmpty())
        args << QStringLiteral("--mask") << mask;
    QCOMPARE(Run(args), 0);

    TFakePrompt prompt;
    TAddressBook window(prompt);
    TContactRecord header;
    QCOMPARE(BookFile::Read(P("poradi.WDT"), header, window), TBookFileError::None);
    window.Labels = TBookLabels::FromHeader(header);
    if (mask.isEmpty()) {
        window.RefillList();
    } else {
        window.Mask.Active = true;
        window.Mask.RequireSet[0] = true;
        window.RefillListWithMask();
    }
    TExportOptions o;
    QVERIFY(InteropFormat::FromName(format, o.Format));
    QCOMPARE(ExportRecords(P("okno.out"), window.ListedRecords(), window.Labels, o).Error, TInteropError::None);
    QCOMPARE(TestBook::ReadFile(P("prikaz.out")), TestBook::ReadFile(P("okno.out")));
}

// A vCard file into a new book and then added to it: names made unique, the summary said.
void TestInteropCli::importVcf()
{
    TestBook::WriteFile(P("in.vcf"), "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:Z\r\nEND:VCARD\r\n");
    QString out;
    QCOMPARE(Run({QStringLiteral("import"), P("in.vcf"), P("nova.WDT")}, &out), 0);
    QCOMPARE(out.trimmed(), QString::fromUtf8("2 kontakty načteny, 0 textů zkráceno, 0 znaků nahrazeno"));
    QCOMPARE(Names(TestBook::ReadFile(P("nova.WDT"))), (QList<QByteArray> {"A", "Z"}));
    QCOMPARE(Run({QStringLiteral("import"), P("in.vcf"), P("nova.WDT"), QStringLiteral("--append")}, &out), 0);
    QCOMPARE(Names(TestBook::ReadFile(P("nova.WDT"))), (QList<QByteArray> {"A", "Z", "A (2)", "Z (2)"}));
}

void TestInteropCli::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString keep = m_dir.filePath(QStringLiteral("keep.out"));
    const QString book = m_dir.filePath(QStringLiteral("kniha.WDT"));
    QTest::newRow("unknown format") << QStringList {QStringLiteral("export"), book, QStringLiteral("--format"), QStringLiteral("ldif"), QStringLiteral("-o"), keep}
                                    << QString::fromUtf8("Neznámý formát");
    QTest::newRow("no -o") << QStringList {QStringLiteral("export"), book, QStringLiteral("--format"), QStringLiteral("ics")}
                           << QString::fromUtf8("cílový soubor (-o)");
    QTest::newRow("bad days") << QStringList {QStringLiteral("export"), book, QStringLiteral("--format"), QStringLiteral("ics"), QStringLiteral("--alarm-days"), QStringLiteral("-3"), QStringLiteral("-o"), keep}
                              << QString::fromUtf8("Neplatný počet dní");
    QTest::newRow("missing vcf") << QStringList {QStringLiteral("import"), m_dir.filePath(QStringLiteral("nic.vcf")), keep, QStringLiteral("--force")}
                                 << QString::fromUtf8("Soubor neexistuje");
    QTest::newRow("existing target") << QStringList {QStringLiteral("import"), m_dir.filePath(QStringLiteral("in.vcf")), keep}
                                     << QString::fromUtf8("Soubor již existuje");
    QTest::newRow("no card in the file") << QStringList {QStringLiteral("import"), m_dir.filePath(QStringLiteral("tabulka.csv")), keep, QStringLiteral("--force")}
                                         << QString::fromUtf8("Soubor neobsahuje žádnou vizitku");
    QTest::newRow("vCard over a book") << QStringList {QStringLiteral("export"), book, QStringLiteral("--format"), QStringLiteral("vcard3"), QStringLiteral("-o"), book}
                                       << QString::fromUtf8("Soubor je adresář vorlinku");
    QTest::newRow("calendar over a book named otherwise") << QStringList {QStringLiteral("export"), book, QStringLiteral("--format"), QStringLiteral("ics"), QStringLiteral("-o"), m_dir.filePath(QStringLiteral("kopie.ics"))}
                                                          << QString::fromUtf8("Soubor je adresář vorlinku");
    QTest::newRow("append to nothing") << QStringList {QStringLiteral("import"), m_dir.filePath(QStringLiteral("in.vcf")), m_dir.filePath(QStringLiteral("nic.WDT")), QStringLiteral("--append")}
                                       << QString::fromUtf8("Soubor neexistuje");
}

void TestInteropCli::failures()
{
    QFETCH(QStringList, args);
    TestBook::WriteFile(P("keep.out"), "kept");
    TestBook::WriteFile(P("tabulka.csv"), "Name,Phone\r\nA,123\r\n");
    const QByteArray bookBytes = TestBook::ReadFile(P("kniha.WDT"));
    TestBook::WriteFile(P("kopie.ics"), bookBytes);
    QString err;
    QCOMPARE(Run(args, nullptr, &err), 1);
    QFETCH(QString, message);
    QVERIFY2(err.contains(message), qPrintable(err));
    QCOMPARE(TestBook::ReadFile(P("keep.out")), QByteArray("kept"));
    QCOMPARE(TestBook::ReadFile(P("kniha.WDT")), bookBytes);
    QCOMPARE(TestBook::ReadFile(P("kopie.ics")), bookBytes);
}

QTEST_GUILESS_MAIN(TestInteropCli)
#include "tst_interopcli.moc"

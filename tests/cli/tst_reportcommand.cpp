#include "cli/Command.h"
#include "reports/ReportCommands.h"

#include "SessionFixture.h"
#include "TestBook.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TContactRecord)

namespace {

int Run(const QStringList &args, QString *errText = nullptr)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = RunCli(QStringList {QStringLiteral("vorlink-cli"), QStringLiteral("report")} + args, o, e);
    e.flush();
    if (errText)
        *errText = err;
    return status;
}

const QString kSource = QStringLiteral(VORLINK_SOURCE_DIR);

TContactRecord Numbered(const char *name, const char *number, unsigned flags = 0)
{
    TContactRecord r = TestBook::Entry(name, flags);
    r.SetText(EField::Telefon1, number);
    return r;
}

class TNoPorts : public IReportDialogs, public ITextEditorLauncher
{
public:
    QString AskTemplate() override { return {}; }
    bool StartEditor(const QString &) override { return false; }
};

// The window's report of a book opened from the command line, the entry chosen as a
// click on its line would: the walk the command line's in-place walk must match.
QByteArray WindowReport(const QString &tpl, const QString &book, const QByteArray &entry, const QString &out)
{
    TSessionFixture f;
    if (!book.isEmpty())
        f.Docs->StartUp(book);
    TAddressBook &b = f.S->Book;
    if (!entry.isNull()) {
        b.CurrentIndex = b.List.Names().indexOf(entry);
        b.Current = b.RecordOfLine(b.CurrentIndex);
        f.Editor->ShowCurrent();
    }
    TNoPorts ports;
    TReportCommands reports(*f.S, *f.Editor, *f.Docs, ports, ports);
    if (reports.Run(tpl, out) != TReportOutcome::Written)
        return "not written";
    return TestBook::ReadFile(out);
}

} // namespace

class TestReportCommand : public QObject
{
    Q_OBJECT

private slots:
    void shippedTemplates_data();
    void shippedTemplates();
    void options();
    void inPlaceAsTheWindow_data();
    void inPlaceAsTheWindow();

private:
    QTemporaryDir m_dir;
};

// Every shipped template over the sample book, byte for byte.
void TestReportCommand::shippedTemplates_data()
{
    QTest::addColumn<QString>("name");
    const QStringList templates = QDir(kSource + QStringLiteral("/data/templates")).entryList({QStringLiteral("*.WDR")});
    QCOMPARE(templates.size(), 5);
    for (const QString &t : templates)
        QTest::newRow(qPrintable(t)) << t.chopped(4);
}

void TestReportCommand::shippedTemplates()
{
    QFETCH(QString, name);
    const QString out = m_dir.filePath(name + QStringLiteral(".txt"));
    QString err;
    QCOMPARE(Run({kSource + QStringLiteral("/data/templates/") + name + QStringLiteral(".WDR"),
                  kSource + QStringLiteral("/data/ukazka.WDT"), QStringLiteral("--now"),
                  QStringLiteral("2026-12-07T10:15:00"), QStringLiteral("-o"), out},
                 &err),
             0);
    QCOMPARE(err, QString::fromUtf8("Sestava byla zapsana do ") + out + QLatin1Char('\n'));
    QCOMPARE(TestBook::ReadFile(out),
             TestBook::ReadFile(kSource + QStringLiteral("/tests/data/reports/") + name + QStringLiteral(".txt")));
}

void TestReportCommand::options()
{
    const QString book = kSource + QStringLiteral("/data/ukazka.WDT");
    const QString tpl = m_dir.filePath(QStringLiteral("t.wdr"));
    const QString out = m_dir.filePath(QStringLiteral("o.txt"));
    // Single entry: the one asked for, else the first listed.
    TestBook::WriteFile(tpl, "<\"VORLINK|1|W|" + QFile::encodeName(out) + "\">\r\n<\"DATA\">\r\n<\"NAZEV|0|L\">\r\n<\"/DATA\">\r\n");
    QCOMPARE(Run({tpl, book, QStringLiteral("--entry"), QString::fromUtf8("Šimek Tomáš")}), 0);
    QCOMPARE(TestBook::ReadFile(out), TestBook::Cp("Šimek Tomáš\r\n"));
    QCOMPARE(Run({tpl, book}), 0);
    QCOMPARE(TestBook::ReadFile(out), TestBook::Cp("Adámek Vojtěch\r\n"));
    QCOMPARE(Run({tpl, book, QStringLiteral("--entry"), QStringLiteral("nikdo")}), 1);
    // Without a book the template must bring its own through a file tag.
    QCOMPARE(Run({tpl}), 1);
    TestBook::WriteFile(tpl, "<\"VORLINK|9|W|" + QFile::encodeName(out) + "\">\r\n<\"SOUBOR|" + QFile::encodeName(book)
                                 + "|FFFFFFFFFA\">\r\n<\"DATA\">\r\n<\"NAZEV|0|L\">\r\n<\"/DATA\">\r\n");
    QCOMPARE(Run({tpl}), 0);
    QCOMPARE(TestBook::ReadFile(out), TestBook::Cp("Adámek Vojtěch\r\nHorák Jiří\r\n"));
    QString err;
    QCOMPARE(Run({tpl, QStringLiteral("--now"), QStringLiteral("včera")}, &err), 1);
    QVERIFY(!err.isEmpty());
    QCOMPARE(Run({tpl, m_dir.filePath(QStringLiteral("chybi.wdt"))}), 1);
}

void TestReportCommand::inPlaceAsTheWindow_data()
{
    QTest::addColumn<QList<TContactRecord>>("entries"); // the book
    QTest::addColumn<QByteArray>("body"); // after the header; BOOK2 names the second book
    QTest::addColumn<QByteArray>("entry"); // --entry, when not null
    QTest::addColumn<QByteArray>("expected");
    const QList<TContactRecord> repeated {Numbered("b", "1"), Numbered("B", "2"), Numbered("a", "3"),
                                          Numbered("b", "4"), Numbered("", "5"), Numbered("", "6")};
    const QByteArray all = "<\"VORLINK|9|W|x\">\n";
    const QByteArray single = "<\"VORLINK|1|W|x\">\n";
    const QByteArray line = "<\"DATA\">\n<\"NAZEV|0|L\">=<\"TELCISLO1|0|L\">\n<\"/DATA\">\n";
    QTest::newRow("repeated and unnamed entries") << repeated << all + line << QByteArray()
                                                  << QByteArray("=5\r\n=6\r\na=3\r\nb=1\r\nB=2\r\nb=4\r\n");
    QTest::newRow("a repeated name chosen") << repeated << single + line << QByteArray("b") << QByteArray("b=1\r\n");
    QTest::newRow("block end before a block")
        << repeated << all + "<\"TELCISLO1|0|L\">\n<\"/DATA\">\n" << QByteArray("B")
        << QByteArray("<\"TELCISLO1|0|L\">\r\n").repeated(2);
    QTest::newRow("empty book") << QList<TContactRecord> {} << all + line << QByteArray() << QByteArray("=\r\n");
    QTest::newRow("empty book, one entry") << QList<TContactRecord> {} << single + line << QByteArray()
                                           << QByteArray("=\r\n");
    // The first line, found without sorting: of names equal but for case the first in the
    // book; accents count after the letters.
    QTest::newRow("first of equal names")
        << QList<TContactRecord> {Numbered("c", "1"), Numbered("B", "2"), Numbered("b", "3"), Numbered("ch", "4")}
        << single + line << QByteArray() << QByteArray("B=2\r\n");
    QTest::newRow("first before accents")
        << QList<TContactRecord> {Numbered("á", "1"), Numbered("b", "2"), Numbered("a", "3")} << single + line
        << QByteArray() << QByteArray("a=3\r\n");
    // Lines of a repeated name stand for the entries the tag's mask passes.
    QTest::newRow("file tag over repeated names")
        << repeated << all + "<\"SOUBOR|BOOK2|AFFFFFFFFF\">\n" + line << QByteArray()
        << QByteArray("m=9\r\nn=8\r\n");
}

void TestReportCommand::inPlaceAsTheWindow()
{
    QFETCH(QList<TContactRecord>, entries);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, entry);
    const QString book = m_dir.filePath(QStringLiteral("kniha.wdt"));
    const QString second = m_dir.filePath(QStringLiteral("druha.wdt"));
    const QString tpl = m_dir.filePath(QStringLiteral("t.wdr"));
    QVERIFY(TestBook::WriteFile(book, TestBook::FileBytes(TBookLabels::Defaults(), entries)));
    QVERIFY(TestBook::WriteFile(second, TestBook::FileBytes(TBookLabels::Defaults(),
                                                            {Numbered("n", "7"), Numbered("m", "9", 1),
                                                             Numbered("n", "8", 1)})));
    QVERIFY(TestBook::WriteFile(tpl, QByteArray(body).replace("BOOK2", QFile::encodeName(second))));
    const QString out = m_dir.filePath(QStringLiteral("cli.txt"));
    QStringList args {tpl, book, QStringLiteral("-o"), out};
    if (!entry.isNull())
        args << QStringLiteral("--entry") << QString::fromLatin1(entry);
    QString err;
    QCOMPARE(Run(args, &err), 0);
    QTEST(TestBook::ReadFile(out), "expected");
    QTEST(WindowReport(tpl, book, entry, m_dir.filePath(QStringLiteral("window.txt"))), "expected");
}

QTEST_GUILESS_MAIN(TestReportCommand)
#include "tst_reportcommand.moc"

#include "reports/ReportCommands.h"

#include "FileFaults.h"
#include "SessionFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QQueue>
#include <QScopeGuard>
#include <QTest>

using TestBook::Cp;
using TestBook::Entry;

namespace {

class TFakeReportPorts : public IReportDialogs, public ITextEditorLauncher
{
public:
    QQueue<QString> Templates;
    QStringList Started;
    bool Prepares = true;
    QString AskTemplate() override { return Templates.isEmpty() ? QString() : Templates.dequeue(); }
    bool StartEditor(const QString &path) override
    {
        Started.append(path);
        return Prepares;
    }
};

// Surname and flags; the entry name is "surname first".
TContactRecord Person(const char *surname, const char *first, unsigned flags = 0)
{
    TContactRecord r = Entry((QByteArray(surname) + ' ' + first).constData(), flags);
    r.SetText(EField::Prijmeni, Cp(surname));
    r.SetText(EField::Jmeno, Cp(first));
    return r;
}

const QList<TContactRecord> kPeople = {Person("Šťastný", "Petr", 1), Person("Čermák", "Jan"),
                                       Person("Adam", "Eva", 1), Person("Novák", "Jan")};

} // namespace

class TestReportCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void walk_data();
    void walk();
    void failures_data();
    void failures();
    void outputCap_data();
    void outputCap();
    void longReportStreamed();
    void fileSections();
    void setup();
    void relativeOutputNamedInFull_data();
    void relativeOutputNamedInFull();

private:
    QString Template(const QByteArray &body, const QByteArray &header = "<\"VORLINK|9|W|OUT\">");
    TReportOutcome RunTemplate(const QString &path) { return m_cmd->Run(path); }

    std::unique_ptr<TSessionFixture> m_f;
    TFakeReportPorts m_ports;
    std::unique_ptr<TReportCommands> m_cmd;
    QString m_out;
};

void TestReportCommands::init()
{
    m_f = std::make_unique<TSessionFixture>();
    m_ports = {};
    m_cmd = std::make_unique<TReportCommands>(*m_f->S, *m_f->Editor, *m_f->Docs, m_ports, m_ports);
    m_out = m_f->Path("out.txt");
    m_f->Open(kPeople);
}

QString TestReportCommands::Template(const QByteArray &body, const QByteArray &header)
{
    const QString path = m_f->Path("t.wdr");
    QList<QByteArray> pieces = body.split('\0'); // Cp reads up to a NUL
    for (QByteArray &piece : pieces)
        piece = Cp(piece.constData());
    QByteArray text = QByteArray(header).replace("OUT", QFile::encodeName(m_out)) + "\r\n" + pieces.join('\0');
    TestBook::WriteFile(path, text.replace("BOOK", QFile::encodeName(m_f->Path("second.wdt"))));
    return path;
}

void TestReportCommands::walk_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray all = "<\"VORLINK|9|W|OUT\">";
    const QByteArray single = "<\"VORLINK|1|W|OUT\">";
    QTest::newRow("all entries in list order")
        << all << QByteArray("#c\n<\"DATA\">\n<\"PRIJMENI|8|L\"><\"JMENO|0|L\">\n<\"/DATA\">\nend")
        << Cp("Adam    Eva\r\nČermák  Jan\r\nNovák   Jan\r\nŠťastný Petr\r\nend\r\n");
    QTest::newRow("single entry") << single << QByteArray("top\n<\"DATA\">\n<\"JMENO|0|L\"><\"NEXTIF|JMENO|Eva\">\n<\"/DATA\">")
                                  << QByteArray("top\r\nEva<\"NEXTIF|JMENO|Eva\">\r\n");
    QTest::newRow("last entry skipped")
        << all << QByteArray("<\"DATA\">\n<\"NEXTIF|LOGIKA1|X\">\n<\"JMENO|0|L\">\n<\"/DATA\">\nend")
        << QByteArray("\r\nJan\r\n\r\nJan\r\nend\r\n");
    QTest::newRow("skip on the second line")
        << all << QByteArray("<\"DATA\">\n<\"JMENO|0|L\">\n<\"NEXTIFNOT|LOGIKA1|X\">-\n<\"/DATA\">")
        << QByteArray("Eva\r\n-\r\nJan\r\nJan\r\nPetr\r\n-\r\n");
    QTest::newRow("block end outside a block")
        << all << QByteArray("<\"JMENO|0|L\">\n<\"/DATA\">") << QByteArray("<\"JMENO|0|L\">\r\n").repeated(4);
    QTest::newRow("second block once")
        << all << QByteArray("<\"DATA\">\n<\"JMENO|0|L\">\n<\"/DATA\">\n<\"DATA\">\n<\"NEXTIF|JMENO|Petr\">!\n<\"/DATA\">")
        << QByteArray("Eva\r\nJan\r\nJan\r\nPetr\r\n<\"NEXTIF|JMENO|Petr\">!\r\n");
    const QByteArray cz = "<\"DATA\">\n<\"NEXTIFNOT|JMENO|Jan\"><\"PRIJMENI|0|L\">\n<\"/DATA\">";
    QTest::newRow("Kamenicky") << QByteArray("<\"VORLINK|9|K|OUT\">") << cz << QByteArray("\x80" "erm\xa0k\r\nNov\xa0k\r\n");
    QTest::newRow("Latin 2") << QByteArray("<\"VORLINK|9|L|OUT\">") << cz << QByteArray("\xac" "erm\xa0k\r\nNov\xa0k\r\n");
    QTest::newRow("437 plain") << QByteArray("<\"VORLINK|9|X|OUT\">") << cz << QByteArray("Cermak\r\nNovak\r\n");
    QTest::newRow("Windows") << QByteArray("<\"VORLINK|9|W|OUT\">") << cz << Cp("Čermák\r\nNovák\r\n");
}

void TestReportCommands::walk()
{
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, body);
    m_f->S->Book.CurrentIndex = 0;
    m_f->S->Book.FindRecordForListItem(0);
    QCOMPARE(RunTemplate(Template(body, header.constData())), TReportOutcome::Written);
    QTEST(TestBook::ReadFile(m_out), "expected");
    QCOMPARE(m_f->Prompt.Texts(), QStringList {QString::fromUtf8("Sestava byla zapsana do ") + m_out});
    // The list and the editor show the entry the walk stopped at.
    TAddressBook &b = m_f->S->Book;
    QCOMPARE(b.List.Selected(), b.CurrentIndex);
    QCOMPARE(m_f->S->Editor.Text(EField::NazevPolozky), b.Current->Name());
}

void TestReportCommands::failures_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QList<TContactRecord>>("second");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("messages");
    const QString generation = QString::fromUtf8("Chyba generování vybrané sestavy");
    QTest::newRow("no alignment") << QByteArray("<\"DATA\">\n<\"JMENO|0\">\n<\"/DATA\">") << QList<TContactRecord> {} << 0
                                  << QStringList {generation};
    QTest::newRow("file tag, no file") << QByteArray("<\"SOUBOR|BOOK-none||\">\n<\"DATA\">\nx\n<\"/DATA\">")
                                       << QList<TContactRecord> {} << 0 << QStringList {QString::fromUtf8("Chyba při otevírání souboru")};
    QTest::newRow("file tag, empty book") << QByteArray("<\"SOUBOR|BOOK||\">\n<\"DATA\">\nx\n<\"/DATA\">")
                                          << QList<TContactRecord> {} << 0 << QStringList {QString::fromUtf8("Problém s vyhledáním dat")};
    QTest::newRow("file tag, nothing passes") << QByteArray("<\"SOUBOR|BOOK|AA\">\n<\"DATA\">\nx\n<\"/DATA\">")
                                              << QList<TContactRecord> {Entry("a", 3)} << 0 << QStringList {generation};
    QTest::newRow("file tag, changes kept") << QByteArray("<\"SOUBOR|BOOK||\">\n<\"DATA\">\nx\n<\"/DATA\">")
                                            << QList<TContactRecord> {Entry("a")} << kHlaskaNe
                                            << QStringList {QString::fromUtf8("Nejsou uloženy změny. Chcete pokračovat")};
    QTest::newRow("file tag, NUL in the name") << QByteArray("<\"SOUBOR|BOOK") + '\0' + ".old||\">\n<\"DATA\">\nx\n<\"/DATA\">"
                                               << QList<TContactRecord> {Entry("a")} << 0
                                               << QStringList {QString::fromUtf8("Chyba při otevírání souboru")};
}

void TestReportCommands::failures()
{
    QFETCH(QByteArray, body);
    QFETCH(QList<TContactRecord>, second);
    QFETCH(int, answer);
    TestBook::WriteFile(m_f->Path("second.wdt"), TestBook::FileBytes(TBookLabels::Defaults(), second));
    TestBook::WriteFile(m_out, "older report");
    TAddressBook &b = m_f->S->Book;
    if (answer) {
        m_f->Editor->EditText(EField::Jmeno, "Jana");
        m_f->Prompt.Answers.enqueue(answer);
        m_f->Prompt.Reset();
    }
    const QString name = b.FileName;
    QCOMPARE(RunTemplate(Template(body)), TReportOutcome::Stopped);
    QTEST(m_f->Prompt.Texts(), "messages");
    QCOMPARE(TestBook::ReadFile(m_out), QByteArray("older report"));
    // The program goes on with the book it had.
    QCOMPARE(b.FileName, name);
    QCOMPARE(b.RecordCount(), kPeople.size());
    QCOMPARE(b.Changed, answer != 0);
    QCOMPARE(m_f->S->Editor.Text(EField::Jmeno), QByteArray(answer ? "Jana" : b.Current->Text(EField::Jmeno)));
}

// The report may hold `limit` bytes: one that fits is written whole; a line that would
// pass the cap, in a block or outside, stops the run before it is built, and nothing is
// written.
void TestReportCommands::outputCap_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("note"); // of every entry
    QTest::addColumn<qsizetype>("limit");
    QTest::addColumn<QByteArray>("written"); // empty when stopped
    const QByteArray names = "<\"DATA\">\n<\"JMENO|0|L\">\n<\"/DATA\">";
    QTest::newRow("exactly at the cap") << names << QByteArray() << qsizetype(21) << QByteArray("Eva\r\nJan\r\nJan\r\nPetr\r\n");
    QTest::newRow("a byte past the cap") << names << QByteArray() << qsizetype(20) << QByteArray();
    QTest::newRow("a line break past the cap") << QByteArray("<\"DATA\">\n\n<\"/DATA\">") << QByteArray() << qsizetype(7)
                                               << QByteArray();
    QTest::newRow("a plain line past the cap") << QByteArray("<\"DAT\"><\"DAT\"><\"DAT\">") << QByteArray() << qsizetype(31)
                                               << QByteArray();
    QTest::newRow("wide fields over every entry") << QByteArray("<\"DATA\">\n<\"NAZEV|4096|L\">\n<\"/DATA\">") << QByteArray()
                                                  << qsizetype(10000) << QByteArray();
    // 500 notes a line, each bringing 111 flag tags of 4 KB: 227 MB from one entry.
    QTest::newRow("one entry's line far past the cap")
        << "<\"DATA\">\n" + QByteArray("<\"POZNAMKA|0|L\">").repeated(500) + "\n<\"/DATA\">"
        << QByteArray("<\"LOGIKA1|4096|L\">").repeated(111) << qsizetype(1 << 20) << QByteArray();
}

void TestReportCommands::outputCap()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, note);
    QFETCH(qsizetype, limit);
    QFETCH(QByteArray, written);
    QList<TContactRecord> people = kPeople;
    for (TContactRecord &r : people)
        r.SetNote(note);
    m_f->Open(people);
    TestBook::WriteFile(m_out, "older report");
    m_cmd->SetOutputLimit(limit);
    TAddressBook &b = m_f->S->Book;
    const QString name = b.FileName;
    const TReportOutcome outcome = RunTemplate(Template(body));
    if (!written.isEmpty()) {
        QCOMPARE(outcome, TReportOutcome::Written);
        QCOMPARE(TestBook::ReadFile(m_out), written);
        return;
    }
    QCOMPARE(outcome, TReportOutcome::Stopped);
    QCOMPARE(m_f->Prompt.Texts(), QStringList {QString::fromUtf8("Chyba generování vybrané sestavy")});
    QCOMPARE(TestBook::ReadFile(m_out), QByteArray("older report"));
    QCOMPARE(b.FileName, name);
    QCOMPARE(b.RecordCount(), kPeople.size());
    QVERIFY(!b.Changed);
}

// A report longer than what is held in memory goes to its file as it is made: whole when
// all went through; on a disk that fills midway, the older report stays and nothing is
// left beside it.
void TestReportCommands::longReportStreamed()
{
    QList<TContactRecord> many;
    for (int i = 0; i < 20000; ++i)
        many.append(Entry(QByteArray::number(100000 + i).constData()));
    m_f->Open(many);
    const QByteArray body = "<\"DATA\">\n<\"NAZEV|100|L\">\n<\"/DATA\">";
    QCOMPARE(RunTemplate(Template(body)), TReportOutcome::Written);
    const QByteArray whole = TestBook::ReadFile(m_out);
    QCOMPARE(whole.size(), 20000 * 102);
    QVERIFY(whole.startsWith("100000 "));
    QVERIFY(whole.endsWith("119999" + QByteArray(94, ' ') + "\r\n"));

    const QString disk = m_f->Path("disk");
    if (!FileFaults::MountTiny(disk, "1m"))
        QSKIP("cannot mount a small tmpfs here (needs root)");
    auto unmount = qScopeGuard([&] { FileFaults::Unmount(disk); });
    m_out = disk + QStringLiteral("/out.txt");
    TestBook::WriteFile(m_out, "older report");
    m_f->Prompt.Reset();
    QCOMPARE(RunTemplate(Template(body)), TReportOutcome::Stopped);
    QCOMPARE(m_f->Prompt.Texts(), QStringList {QString::fromUtf8("Chyba při zápisu vybrané sestavy")});
    QCOMPARE(TestBook::ReadFile(m_out), QByteArray("older report"));
    QCOMPARE(QDir(disk).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("out.txt")});
}

void TestReportCommands::fileSections()
{
    TestBook::WriteFile(m_f->Path("second.wdt"),
                        TestBook::FileBytes(TBookLabels::Defaults(), {Entry("b", 1), Entry("c"), Entry("a", 1)}));
    const QString path = Template("<\"DATA\">\n<\"NAZEV|0|L\">\n<\"/DATA\">\n<\"SOUBOR|BOOK|AFFFFFFFFF\">\n"
                                  "<\"DATA\">\n<\"NAZEV|0|L\">\n<\"/DATA\">");
    QCOMPARE(RunTemplate(path), TReportOutcome::Written);
    QCOMPARE(TestBook::ReadFile(m_out), Cp("Adam Eva\r\nČermák Jan\r\nNovák Jan\r\nŠťastný Petr\r\na\r\nb\r\n"));
    TAddressBook &b = m_f->S->Book;
    QCOMPARE(b.FileName, m_f->Path("second.wdt"));
    QCOMPARE(b.List.Names(), (QList<QByteArray> {"a", "b"}));
    QVERIFY(m_f->Docs->SaveEnabled() && !b.Changed);

    // Without a header nothing is done or said; an empty name fails the write, and so
    // does a name with a NUL, which the system would take as the name before it.
    m_f->Prompt.Reset();
    QCOMPARE(RunTemplate(Template("x", "no header")), TReportOutcome::NotReport);
    QCOMPARE(RunTemplate(Template("x", "<\"VORLINK|9|W|")), TReportOutcome::Stopped);
    // Refused before any file call: a write through the name's bytes would cut it.
    QTest::failOnWarning("Broken filename passed to function");
    QCOMPARE(RunTemplate(Template("x", QByteArray("<\"VORLINK|9|W|OUT") + '\0' + ".txt\">")), TReportOutcome::Stopped);
    const QString written = QString::fromUtf8("Chyba při zápisu vybrané sestavy");
    QCOMPARE(m_f->Prompt.Texts(), (QStringList {written, written}));
    QCOMPARE(TestBook::ReadFile(m_out), Cp("Adam Eva\r\nČermák Jan\r\nNovák Jan\r\nŠťastný Petr\r\na\r\nb\r\n"));
}

void TestReportCommands::setup()
{
    m_cmd->INastaveniTiskuClick();
    QVERIFY(m_ports.Started.isEmpty());
    m_ports.Templates.append({QStringLiteral("/a b/T.WDR"), QStringLiteral("/c/U.WDR")});
    m_cmd->INastaveniTiskuClick();
    m_ports.Prepares = false;
    m_cmd->INastaveniTiskuClick();
    QCOMPARE(m_ports.Started, (QStringList {QStringLiteral("/a b/T.WDR"), QStringLiteral("/c/U.WDR")}));
    QCOMPARE(m_f->Prompt.Texts(), QStringList {QString::fromUtf8("Chyba úpravy vybrané sestavy")});
}

void TestReportCommands::relativeOutputNamedInFull_data()
{
    QTest::addColumn<QString>("output"); // as the template or the caller names it
    QTest::addColumn<QString>("written"); // under the folder the program runs in
    QTest::newRow("file name") << QStringLiteral("telefony.txt") << QStringLiteral("telefony.txt");
    QTest::newRow("sub-folder") << QStringLiteral("sestavy/../sestavy/telefony.txt")
                                << QStringLiteral("sestavy/telefony.txt");
}

// The message tells where a relative name went: the folder the program was started in.
void TestReportCommands::relativeOutputNamedInFull()
{
    QFETCH(QString, output);
    QFETCH(QString, written);
    QVERIFY(QDir(m_f->Dir.path()).mkpath(QStringLiteral("sestavy")));
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_f->Dir.path()));
    auto back = qScopeGuard([&] { QDir::setCurrent(before); });
    const QString path = m_f->Path("t.wdr");
    TestBook::WriteFile(path, "<\"VORLINK|9|W|" + QFile::encodeName(output) + "\">\r\n<\"JMENO|0|L\">");
    QCOMPARE(m_cmd->Run(path), TReportOutcome::Written);
    const QString full = QDir(m_f->Dir.path()).filePath(written);
    QVERIFY(QFileInfo::exists(full));
    QCOMPARE(m_f->Prompt.Texts(),
             QStringList {QString::fromUtf8("Sestava byla zapsana do ") + QDir::toNativeSeparators(full)});
}

QTEST_GUILESS_MAIN(TestReportCommands)
#include "tst_reportcommands.moc"

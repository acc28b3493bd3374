#include "cli/CliSupport.h"
#include "cli/Command.h"
#include "cli/TerminalDevice.h"
#include "book/BookLabels.h"
#include "util/Cp1250.h"
#include "session/Messages.h"

#include "TestBook.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

using TestBook::Cp;
using TestBook::Entry;

namespace {

struct TRun
{
    int Status = 0;
    QString Out;
    QString Err;
};

TRun Run(const QStringList &args)
{
    TRun r;
    QTextStream out(&r.Out);
    QTextStream err(&r.Err);
    r.Status = RunCli(QStringList {QStringLiteral("vorlink-cli")} + args, out, err);
    out.flush();
    err.flush();
    return r;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void listInCzechOrder();
    void listConvertsEveryByte();
    void dumpHasEveryField();
    void dumpIsTheJsonDocument_data();
    void dumpIsTheJsonDocument();
    void failures_data();
    void failures();
    void help();
    void controlCharactersShownOnTerminal();
    void bookNamedNotInUtf8();
    void outputThatCannotBeWritten_data();
    void outputThatCannotBeWritten();
    void terminalSafeErrors_data();
    void terminalSafeErrors();
    void terminalSafeErrorsOnATerminal();
    void outputToStandardOutput();

private:
    QTemporaryDir m_dir;
};

void TestCli::listInCzechOrder()
{
    const QString path = m_dir.filePath(QStringLiteral("a.wdt"));
    QList<TContactRecord> records;
    for (const char *n : {"Chrudim", "Horák", "Čermák", "Cibulka", "novák", "Novák", "Ivan"})
        records.append(Entry(n));
    QVERIFY(TestBook::WriteFile(path, TestBook::FileBytes(TBookLabels::Defaults(), records)));
    const TRun r = Run({QStringLiteral("list"), path});
    QCOMPARE(r.Status, 0);
    QCOMPARE(r.Out, QString::fromUtf8("Cibulka\nČermák\nHorák\nChrudim\nIvan\nnovák\nNovák\n"));
}

// Every byte of a name reaches the output as its character, whether it starts, ends or
// straddles the eight-byte steps of the conversion.
void TestCli::listConvertsEveryByte()
{
    QList<QByteArray> names;
    for (int k = 0; k <= 17; ++k)
        names.append(QByteArray(k, 'a') + "\x8a\xe8" + QByteArray(17 - k, 'b'));
    for (int from = 1; from < 256; from += 40) {
        QByteArray n = "x";
        for (int b = from; b < qMin(256, from + 40); ++b)
            n += b == '\n' ? ' ' : char(b);
        names.append(n);
    }
    QList<TContactRecord> records;
    QStringList expected;
    for (const QByteArray &n : names) {
        TContactRecord r;
        r.SetText(EField::NazevPolozky, n);
        records.append(r);
        expected.append(FromCp1250(n));
    }
    const QString path = m_dir.filePath(QStringLiteral("bytes.wdt"));
    QVERIFY(TestBook::WriteFile(path, TestBook::FileBytes(TBookLabels::Defaults(), records)));
    const TRun r = Run({QStringLiteral("list"), path});
    QCOMPARE(r.Status, 0);
    QStringList lines = r.Out.split(QLatin1Char('\n'));
    QCOMPARE(lines.takeLast(), QString());
    lines.sort();
    expected.sort();
    QCOMPARE(lines, expected);
}

void TestCli::dumpHasEveryField()
{
    const QString path = m_dir.filePath(QStringLiteral("d.wdt"));
    TContactRecord r = Entry("Nováková Jana", 0b1000000001);
    r.SetText(EField::Telefon9, "777 123 456");
    r.SetText(EField::Svatek, "24.05.");
    r.SetNote(Cp("Řádek 1\r\nŘádek 2"));
    TBookLabels labels = TBookLabels::Defaults();
    labels.ReminderFlags[2] = true;
    QVERIFY(TestBook::WriteFile(path, TestBook::FileBytes(labels, {r, Entry("Druhý")})));
    const TRun run = Run({QStringLiteral("dump"), path});
    QCOMPARE(run.Status, 0);
    const QJsonObject root = QJsonDocument::fromJson(run.Out.toUtf8()).object();
    QCOMPARE(root.value(QStringLiteral("file")).toString(), path);
    const QJsonObject l = root.value(QStringLiteral("labels")).toObject();
    QCOMPARE(l.value(QStringLiteral("PhoneCaptions")).toArray().size(), 9);
    QCOMPARE(l.value(QStringLiteral("FlagCaptions")).toArray().at(9).toString(), QString::fromUtf8("Potápěč"));
    QCOMPARE(l.value(QStringLiteral("ReminderFlags")).toArray().at(2).toBool(), true);
    const QJsonArray entries = root.value(QStringLiteral("entries")).toArray();
    QCOMPARE(entries.size(), 2);
    const QJsonObject e = entries.at(0).toObject();
    QCOMPARE(e.size(), kTextFieldCount + 1 + kFlagCount);
    QCOMPARE(e.value(QStringLiteral("NazevPolozky")).toString(), QString::fromUtf8("Nováková Jana"));
    QCOMPARE(e.value(QStringLiteral("Telefon9")).toString(), QStringLiteral("777 123 456"));
    QCOMPARE(e.value(QStringLiteral("Poznamka")).toString(), QString::fromUtf8("Řádek 1\r\nŘádek 2"));
    QCOMPARE(e.value(QStringLiteral("Log1")).toBool(), true);
    QCOMPARE(e.value(QStringLiteral("Log2")).toBool(), false);
    QCOMPARE(e.value(QStringLiteral("Log10")).toBool(), true);
    QCOMPARE(entries.at(1).toObject().value(QStringLiteral("NazevPolozky")).toString(), QString::fromUtf8("Druhý"));
}

void TestCli::dumpIsTheJsonDocument_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<QByteArray>("note");
    QByteArray every;
    for (int b = 0; b < 256; ++b)
        every += char(b);
    QTest::newRow("none") << 0 << every;
    QTest::newRow("one") << 1 << every;
    QTest::newRow("three") << 3 << every;
    QTest::newRow("past a megabyte of output") << 600 << every;
    // Plain runs go out eight bytes at a time: each other byte at each place of a run.
    QByteArray placed;
    for (int b = 1; b < 256; ++b)
        placed += QByteArray(b % 9, 'p') + char(b);
    QTest::newRow("every byte at every place of a run") << 1 << placed;
}

// The streamed text is, byte for byte, what a JSON document of the whole book gives.
void TestCli::dumpIsTheJsonDocument()
{
    QFETCH(int, entries);
    QFETCH(QByteArray, note);
    QList<TContactRecord> records;
    for (int i = 0; i < entries; ++i) {
        TContactRecord r = Entry("Nováková \"Jana\"", 0b1010000001u >> (i % 10));
        r.SetText(EField::Email, "a\\b\t\x01\x7f");
        r.SetNote(note);
        records.append(r);
    }
    TBookLabels labels = TBookLabels::Defaults();
    labels.ReminderFlags[1] = true;
    const QString path = m_dir.filePath(QStringLiteral("json.wdt"));
    QVERIFY(TestBook::WriteFile(path, TestBook::FileBytes(labels, records)));

    auto texts = [](const auto &list) {
        QJsonArray a;
        for (const QByteArray &t : list)
            a.append(FromCp1250(t));
        return a;
    };
    QJsonArray all;
    for (const TContactRecord &r : records) {
        QJsonObject o;
        for (int i = 0; i < kTextFieldCount; ++i)
            o.insert(QLatin1String(FieldInfo(i).Name), FromCp1250(r.TextView(EField(i))));
        o.insert(QStringLiteral("Poznamka"), FromCp1250(r.Note()));
        for (int i = 1; i <= kFlagCount; ++i)
            o.insert(QStringLiteral("Log") + QString::number(i), r.Flag(i));
        all.append(o);
    }
    QJsonArray reminders;
    for (bool on : labels.ReminderFlags)
        reminders.append(on);
    const QJsonObject root {{QStringLiteral("file"), path},
                            {QStringLiteral("labels"),
                             QJsonObject {{QStringLiteral("PhoneCaptions"), texts(labels.PhoneCaptions)},
                                          {QStringLiteral("AddressCaptions"), texts(labels.AddressCaptions)},
                                          {QStringLiteral("FlagCaptions"), texts(labels.FlagCaptions)},
                                          {QStringLiteral("ReminderFlags"), reminders}}},
                            {QStringLiteral("entries"), all}};
    const TRun run = Run({QStringLiteral("dump"), path});
    QCOMPARE(run.Status, 0);
    QCOMPARE(run.Out, QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented)));
}

void TestCli::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString shortFile = m_dir.filePath(QStringLiteral("short.wdt"));
    TestBook::WriteFile(shortFile, QByteArray(1000, 'x'));
    const QString missing = m_dir.filePath(QStringLiteral("none.wdt"));
    QTest::newRow("list short") << QStringList {QStringLiteral("list"), shortFile} << Msg::HeaderReadFailed();
    QTest::newRow("dump short") << QStringList {QStringLiteral("dump"), shortFile} << Msg::HeaderReadFailed();
    QTest::newRow("export short") << QStringList {QStringLiteral("export"), shortFile, QStringLiteral("--format"), QStringLiteral("vcard3"), QStringLiteral("-o"), m_dir.filePath(QStringLiteral("nic.vcf"))} << Msg::HeaderReadFailed();
    // A header and half a record: no book, whatever the first record would have said.
    const QString halfFile = m_dir.filePath(QStringLiteral("half.wdt"));
    TestBook::WriteFile(halfFile, QByteArray(kRecordSize + kRecordSize / 2, '\0'));
    QTest::newRow("export half a record") << QStringList {QStringLiteral("export"), halfFile, QStringLiteral("--format"), QStringLiteral("csv-google"), QStringLiteral("-o"), m_dir.filePath(QStringLiteral("nic.csv"))} << Msg::ReadFailed();
    QTest::newRow("list half a record") << QStringList {QStringLiteral("list"), halfFile} << Msg::ReadFailed();
    QTest::newRow("missing") << QStringList {QStringLiteral("list"), missing} << QString::fromUtf8("Soubor neexistuje");
    QTest::newRow("no file") << QStringList {QStringLiteral("dump")} << QString::fromUtf8("Zadejte právě jeden");
    QTest::newRow("unknown command") << QStringList {QStringLiteral("tisk")} << QString::fromUtf8("Neznámý příkaz");
    QTest::newRow("unknown option") << QStringList {QStringLiteral("list"), QStringLiteral("--xyz")} << QStringLiteral("xyz");
}

void TestCli::failures()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const TRun r = Run(args);
    QCOMPARE(r.Status, 1);
    QVERIFY2(r.Err.contains(message), qPrintable(r.Err));
    QVERIFY(r.Out.isEmpty());
}

void TestCli::help()
{
    const TRun top = Run({QStringLiteral("--help")});
    QCOMPARE(top.Status, 0);
    QVERIFY(top.Out.contains(QStringLiteral("dump")));
    const TRun list = Run({QStringLiteral("list"), QStringLiteral("--help")});
    QCOMPARE(list.Status, 0);
    QVERIFY(list.Out.contains(QStringLiteral("kniha")));
}

void TestCli::controlCharactersShownOnTerminal()
{
    const QString path = m_dir.filePath(QStringLiteral("esc.wdt"));
    QVERIFY(TestBook::WriteFile(path, TestBook::FileBytes(TBookLabels::Defaults(),
                                                          {Entry("Pan\x1b]0;x\x07\x01 Novák")})));
    CliText::TerminalOutput = true;
    const TRun shown = Run({QStringLiteral("list"), path});
    CliText::TerminalOutput = false;
    QCOMPARE(shown.Out, QString::fromUtf8("Pan\\x1b]0;x\\x07\\x01 Novák\n"));
    // Into a file or a pipe the name goes as it is.
    QCOMPARE(Run({QStringLiteral("list"), path}).Out, QString::fromUtf8("Pan\x1b]0;x\x07\x01 Novák\n"));
}

// The program's arguments are taken by their bytes: a book named in an old 8-bit
// encoding opens.
void TestCli::bookNamedNotInUtf8()
{
    const QByteArray file = QFile::encodeName(m_dir.path()) + "/kniha-\xE8.wdt";
    const QByteArray bytes = TestBook::FileBytes(TBookLabels::Defaults(), {Entry("Adam"), Entry("Bára")});
    const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    ::close(fd);
    auto remove = qScopeGuard([&] { ::unlink(file.constData()); });
    QProcess p;
    // The shell builds the name's bytes; a QString argument would be sent as UTF-8.
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exec \"$0\" list \"$1/kniha-$(printf '\\350').wdt\""),
                                         QStringLiteral(VORLINK_CLI_PROGRAM), m_dir.path()});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QString());
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8("Adam\nBára\n"));
}

void TestCli::outputThatCannotBeWritten_data()
{
    QTest::addColumn<QStringList>("args"); // BOOK stands for the book of the test
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("sizeLimit"); // RLIMIT_FSIZE in bytes, 0 for none
    const QString limited = m_dir.filePath(QStringLiteral("out.txt"));
    const QList<QPair<const char *, QStringList>> commands {
        {"dump", {QStringLiteral("dump"), QStringLiteral("BOOK")}},
        {"list", {QStringLiteral("list"), QStringLiteral("BOOK")}},
        {"anniversaries", {QStringLiteral("anniversaries"), QStringLiteral("BOOK"), QStringLiteral("--days"), QStringLiteral("366"),
                           QStringLiteral("--since"), QStringLiteral("2026-01-01"), QStringLiteral("--today"), QStringLiteral("2026-01-01")}},
        {"export to -", {QStringLiteral("export"), QStringLiteral("BOOK"), QStringLiteral("--format"), QStringLiteral("vcard3"),
                         QStringLiteral("-o"), QStringLiteral("-")}},
        {"report to -", {QStringLiteral("report"), QStringLiteral(VORLINK_SOURCE_DIR "/data/templates/telefony.WDR"),
                         QStringLiteral("BOOK"), QStringLiteral("-o"), QStringLiteral("-")}},
    };
    for (const auto &[name, args] : commands) {
        QTest::addRow("%s, full device", name) << args << QStringLiteral("/dev/full") << 0;
        // To "-" the output passes through a file of the program's own, which the limit
        // stops first (with the save's message).
        if (!args.contains(QStringLiteral("-")))
            QTest::addRow("%s, file-size limit", name) << args << limited << 4096;
    }
    QTest::newRow("help, full device") << QStringList {QStringLiteral("--help")} << QStringLiteral("/dev/full") << 0;
    // Output smaller than the buffer of the standard output's file, which would only
    // fail once the program had ended.
    for (const auto &[name, args] : commands)
        QTest::addRow("%s of one entry, full device", name)
            << QStringList(args).replaceInStrings(QStringLiteral("BOOK"), QStringLiteral("SMALL"))
            << QStringLiteral("/dev/full") << 0;
}

// Every command whose output cannot be written fails with one message instead of
// claiming success or being killed by the file-size signal.
void TestCli::outputThatCannotBeWritten()
{
    QFETCH(QStringList, args);
    QFETCH(QString, target);
    QFETCH(int, sizeLimit);
    if (!QFileInfo::exists(target) && target.startsWith(QLatin1String("/dev/")))
        QSKIP("no /dev/full here");
    const bool small = args.contains(QStringLiteral("SMALL"));
    const QString path = m_dir.filePath(small ? QStringLiteral("small.wdt") : QStringLiteral("big.wdt"));
    if (!QFileInfo::exists(path)) {
        QList<TContactRecord> records;
        for (int i = 0; i < (small ? 1 : 2000); ++i) {
            TContactRecord r = Entry(QByteArray::number(i).constData(), 1);
            r.SetText(EField::Narozeniny, QByteArray::number(1 + i % 28).rightJustified(2, '0') + ".05.1970");
            r.SetText(PhoneField(1, 2), "602 123 456");
            records.append(r);
        }
        TBookLabels labels = TBookLabels::Defaults();
        labels.ReminderFlags[0] = true;
        QVERIFY(TestBook::WriteFile(path, TestBook::FileBytes(labels, records)));
    }
    args.replaceInStrings(small ? QStringLiteral("SMALL") : QStringLiteral("BOOK"), path);
    QProcess p;
    p.setStandardOutputFile(target);
#ifdef Q_OS_UNIX
    if (sizeLimit > 0) {
        p.setChildProcessModifier([sizeLimit] {
            const rlimit limit {rlim_t(sizeLimit), rlim_t(sizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
#endif
    p.start(QStringLiteral(VORLINK_CLI_PROGRAM), args);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 1);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(err.count(QString::fromUtf8("Výstup se nepodařilo zapsat")), 1);
}

void TestCli::terminalSafeErrors_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("escape sequence") << QByteArray("a\x1b[2Jb\n") << QByteArray("a\\x1b[2Jb\n");
    QTest::newRow("NUL, bell, DEL") << QByteArray("x\0\a\x7fy", 5) << QByteArray("x\\x00\\x07\\x7fy");
    QTest::newRow("C1 code, Czech letters kept") << QByteArray("\xc2\x9b" "31m \xc5\x99\xc3\xad \xc2\xa0\t") << QByteArray("\\x9b31m \xc5\x99\xc3\xad \xc2\xa0\t");
    QTest::newRow("lead byte at the end") << QByteArray("z\xc2") << QByteArray("z");
}

// Names from books and templates on standard error cannot act on the terminal.
void TestCli::terminalSafeErrors()
{
    QFETCH(QByteArray, bytes);
    bool pending = false;
    QTEST(TTerminalDevice::Shown(bytes, pending), "shown");
    QCOMPARE(pending, bytes.endsWith('\xc2'));
}

// The same through a real terminal: `script` gives the program one.
void TestCli::terminalSafeErrorsOnATerminal()
{
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (script.isEmpty())
        QSKIP("script (bsdutils) is not installed");
    const QString name = m_dir.filePath(QString::fromUtf8("zl\x1b[31mý.wdt"));
    QProcess p;
    p.start(script, {QStringLiteral("-qec"), QStringLiteral("'%1' list '%2'").arg(QStringLiteral(VORLINK_CLI_PROGRAM), name),
                     QStringLiteral("/dev/null")});
    QVERIFY(p.waitForFinished(30000));
    const QByteArray seen = p.readAllStandardOutput();
    QVERIFY2(seen.contains("zl\\x1b[31m\xc3\xbd.wdt"), seen.constData());
    QVERIFY(!seen.contains("\x1b[31m"));
}

// "-o -" sends an export or a report to standard output, whole.
void TestCli::outputToStandardOutput()
{
    const QString path = m_dir.filePath(QStringLiteral("std.wdt"));
    TContactRecord alfa = Entry("Alfa"), beta = Entry("Beta");
    alfa.SetText(PhoneField(1, 2), "111 222 333");
    beta.SetText(PhoneField(1, 2), "444 555 666");
    QVERIFY(TestBook::WriteFile(path, TestBook::FileBytes(TBookLabels::Defaults(), {alfa, beta})));
    const TRun vcard = Run({QStringLiteral("export"), path, QStringLiteral("--format"), QStringLiteral("vcard4"), QStringLiteral("-o"), QStringLiteral("-")});
    QCOMPARE(vcard.Status, 0);
    QCOMPARE(vcard.Out.count(QStringLiteral("BEGIN:VCARD")), 2);
    QVERIFY(vcard.Out.endsWith(QStringLiteral("END:VCARD\r\n")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("-")));
    const TRun report = Run({QStringLiteral("report"), QStringLiteral(VORLINK_SOURCE_DIR "/data/templates/telefony.WDR"), path,
                             QStringLiteral("-o"), QStringLiteral("-")});
    QCOMPARE(report.Status, 0);
    QVERIFY2(report.Out.contains(QStringLiteral("Alfa")) && report.Out.contains(QStringLiteral("Beta")), qPrintable(report.Out));
    QVERIFY2(report.Err.isEmpty(), qPrintable(report.Err));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"

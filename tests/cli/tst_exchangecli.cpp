#include "cli/Command.h"
#include "book/BookLabels.h"
#include "session/Messages.h"

#include "../exchange/DtaBuilder.h"
#include "FileFaults.h"
#include "TestBook.h"

#include <sys/wait.h>
#include <unistd.h>

#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using TestBook::Cp;
using TestBook::Entry;

namespace {

int Run(const QStringList &args, QString *err = nullptr)
{
    QString o, e;
    QTextStream out(&o), errs(&e);
    const int status = RunCli(QStringList {QStringLiteral("vorlink-cli")} + args, out, errs);
    errs.flush();
    if (err)
        *err = e;
    return status;
}

} // namespace

class TestExchangeCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void importDta();
    void exportMask();
    void exportMaskInPlace();
    void lockedBook_data();
    void lockedBook();
    void failures_data();
    void failures();

private:
    QString P(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir m_dir;
};

void TestExchangeCli::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The settings store of this run lives in the temporary folder.
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    TDtaRecord header;
    header.Slot(52, "Kamar\xA0" "d");
    TestBook::WriteFile(P("ADRESY.DTA"), header.Bytes + Person("Jan", "Nov\xA0k").Bytes + Person("", "Mal\xA0").Bytes);
    TestBook::WriteFile(P("kniha.WDT"), TestBook::FileBytes(TBookLabels::Defaults(),
                                                            {Entry("A", 0b11), Entry("B", 0b01), Entry("C", 0b10)}));
}

void TestExchangeCli::importDta()
{
    QCOMPARE(Run({QStringLiteral("import"), QStringLiteral("--dta"), P("ADRESY.DTA"), P("out.WDT")}), 0);
    const QByteArray bytes = TestBook::ReadFile(P("out.WDT"));
    QCOMPARE(bytes.size(), 3 * kRecordSize);
    TBookLabels expected = TBookLabels::Defaults();
    for (int i = 1; i < 6; ++i)
        expected.FlagCaptions[size_t(i)].clear();
    expected.FlagCaptions[1] = Cp("Kamarád");
    QCOMPARE(TBookLabels::FromHeader(TContactRecord::FromBytes(bytes.constData())), expected);
    QCOMPARE(TContactRecord::FromBytes(bytes.constData() + kRecordSize).Name(), Cp("Jan Novák"));
    QCOMPARE(TContactRecord::FromBytes(bytes.constData() + 2 * kRecordSize).Name(), Cp("Malá"));
}

void TestExchangeCli::exportMask()
{
    QCOMPARE(Run({QStringLiteral("export"), P("kniha.WDT"), QStringLiteral("--mask"), QStringLiteral("AFFFFFFFFF"),
                  P("vyber.WDT")}), 0);
    const QByteArray bytes = TestBook::ReadFile(P("vyber.WDT"));
    QCOMPARE(bytes, TestBook::FileBytes(TBookLabels::Defaults(), {Entry("A", 0b11), Entry("B", 0b01)}));
    QCOMPARE(Run({QStringLiteral("export"), P("kniha.WDT"), QStringLiteral("--mask"), QStringLiteral("nafffffFFF"),
                  P("vyber2.WDT")}), 0);
    QCOMPARE(TestBook::ReadFile(P("vyber2.WDT")), TestBook::FileBytes(TBookLabels::Defaults(), {Entry("C", 0b10)}));
}

// In a folder the user may not write to, the export replaces the file in place; it says
// how many entries it wrote, once.
void TestExchangeCli::exportMaskInPlace()
{
    if (geteuid() != 0)
        QSKIP("needs root to run as nobody in a folder of root's");
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                  | QFileDevice::ReadOther | QFileDevice::ExeOther));
    const QString target = dir.filePath(QStringLiteral("vyber.WDT"));
    TestBook::WriteFile(target, "old");
    QVERIFY(chown(QFile::encodeName(target).constData(), 65534, 65534) == 0);
    const QString source = dir.filePath(QStringLiteral("kniha.WDT"));
    QVERIFY(QFile::copy(P("kniha.WDT"), source));
    QVERIFY(QFile::setPermissions(source, QFileDevice::ReadOwner | QFileDevice::ReadOther));
    QTemporaryDir settings;
    QVERIFY(chown(QFile::encodeName(settings.path()).constData(), 65534, 65534) == 0);
    const int said = FileFaults::InChild(
        [&] {
            QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
            QString out;
            QTextStream o(&out), e(stderr);
            if (RunCli({QStringLiteral("vorlink-cli"), QStringLiteral("export"), source, QStringLiteral("--mask"),
                        QStringLiteral("AFFFFFFFFF"), target},
                       o, e) != 0)
                return 99;
            o.flush();
            return out.section(QLatin1Char(' '), 0, 0).toInt();
        },
        0, true);
    QCOMPARE(said, 2);
    QCOMPARE(TestBook::ReadFile(target), TestBook::FileBytes(TBookLabels::Defaults(), {Entry("A", 0b11), Entry("B", 0b01)}));
}

void TestExchangeCli::lockedBook_data()
{
    QTest::addColumn<QStringList>("args"); // BOOK is the locked book
    QTest::addColumn<QString>("holder"); // "alive" or "died"
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("advice"); // what the refusal tells the person to do
    const QString force = QStringLiteral("--force");
    const QList<QPair<const char *, QStringList>> commands {
        {"vCard added", {QStringLiteral("import"), QStringLiteral("VCF"), QStringLiteral("BOOK"), QStringLiteral("--append")}},
        {"mask export over it", {QStringLiteral("export"), QStringLiteral("SOURCE"), QStringLiteral("--mask"), QStringLiteral("FFFFFFFFFF"), QStringLiteral("BOOK")}},
    };
    for (const auto &[name, args] : commands) {
        QTest::addRow("%s, held by a running program", name) << args << QStringLiteral("alive") << false << force;
        QTest::addRow("%s, held, --force", name) << (args + QStringList {force}) << QStringLiteral("alive") << true << QString();
        QTest::addRow("%s, left by a program that died", name) << args << QStringLiteral("died") << true << QString();
    }
    // Sync takes no --force; it must not be advised.
    QTest::newRow("sync, held by a running program")
        << QStringList {QStringLiteral("sync"), QStringLiteral("BOOK"), QStringLiteral("--url"), QStringLiteral("http://127.0.0.1:9/kontakty/")}
        << QStringLiteral("alive") << false << QString::fromUtf8("Zavřete jej v okně programu");
}

// A book another running program holds open is not written under it; a lock left behind
// by a program that died is taken over and removed.
void TestExchangeCli::lockedBook()
{
    QFETCH(QStringList, args);
    QFETCH(QString, holder);
    QFETCH(bool, written);
    QFETCH(QString, advice);
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("kniha.WDT"));
    const QByteArray old = TestBook::FileBytes(TBookLabels::Defaults(), {Entry("Stary")});
    TestBook::WriteFile(book, old);
    TestBook::WriteFile(dir.filePath(QStringLiteral("in.vcf")), "BEGIN:VCARD\r\nFN:Nova\r\nEND:VCARD\r\n");
    args.replaceInStrings(QStringLiteral("BOOK"), book);
    args.replaceInStrings(QStringLiteral("VCF"), dir.filePath(QStringLiteral("in.vcf")));
    args.replaceInStrings(QStringLiteral("SOURCE"), P("kniha.WDT"));
    const QString lockName = book + QStringLiteral(".lock");
    QLockFile held(lockName);
    held.setStaleLockTime(0);
    if (holder == QStringLiteral("alive")) {
        QVERIFY(held.tryLock(0));
    } else {
        const pid_t pid = ::fork(); // leaves its lock behind as a crash would
        if (pid == 0) {
            QLockFile lock(lockName);
            ::_exit(lock.tryLock(0) ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(QFileInfo::exists(lockName));
    }
    QString err;
    QCOMPARE(Run(args, &err), written ? 0 : 1);
    QCOMPARE(TestBook::ReadFile(book) != old, written);
    if (!written) {
        QVERIFY2(err.contains(QString::fromUtf8("Soubor je otevřen v jiném spuštěném programu")), qPrintable(err));
        QVERIFY2(err.contains(advice), qPrintable(err));
        if (advice != QLatin1String("--force"))
            QVERIFY2(!err.contains(QLatin1String("--force")), qPrintable(err));
    }
    if (holder == QStringLiteral("died"))
        QVERIFY(!QFileInfo::exists(lockName));
    else
        QVERIFY(QFileInfo::exists(lockName));
}

void TestExchangeCli::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString out = m_dir.filePath(QStringLiteral("keep.WDT"));
    const QString force = QStringLiteral("--force");
    QTest::newRow("short DTA") << QStringList {QStringLiteral("import"), QStringLiteral("--dta"), m_dir.filePath(QStringLiteral("short.DTA")), out, force}
                               << Msg::ReadFailed();
    QTest::newRow("no table") << QStringList {QStringLiteral("import"), QStringLiteral("--firmy"), m_dir.filePath(QStringLiteral("short.DTA")), out, force}
                              << Msg::OpenFailed();
    QTest::newRow("existing target") << QStringList {QStringLiteral("import"), QStringLiteral("--dta"), m_dir.filePath(QStringLiteral("short.DTA")), out}
                                     << QString::fromUtf8("Soubor již existuje");
    QTest::newRow("two kinds") << QStringList {QStringLiteral("import"), QStringLiteral("--dta"), QStringLiteral("--firmy"), QStringLiteral("x"), out}
                               << QString::fromUtf8("Zadejte jednu z voleb");
    QTest::newRow("bad mask") << QStringList {QStringLiteral("export"), m_dir.filePath(QStringLiteral("kniha.WDT")), QStringLiteral("--mask"), QStringLiteral("AAX"), out}
                              << QString::fromUtf8("Neplatná maska");
    QTest::newRow("missing book") << QStringList {QStringLiteral("export"), m_dir.filePath(QStringLiteral("nic.WDT")), QStringLiteral("--mask"), QStringLiteral("FFFFFFFFFF"), out}
                                  << QString::fromUtf8("Soubor neexistuje");
}

void TestExchangeCli::failures()
{
    QFETCH(QStringList, args);
    TestBook::WriteFile(P("short.DTA"), QByteArray(1000, '\0'));
    TestBook::WriteFile(P("keep.WDT"), "kept");
    QString err;
    QCOMPARE(Run(args, &err), 1);
    QFETCH(QString, message);
    QVERIFY2(err.contains(message), qPrintable(err));
    // Nothing half-written: the target is as it was.
    QCOMPARE(TestBook::ReadFile(P("keep.WDT")), QByteArray("kept"));
}

QTEST_GUILESS_MAIN(TestExchangeCli)
#include "tst_exchangecli.moc"

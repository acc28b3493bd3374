#include "book/BookLabels.h"
#include "book/BookMap.h"
#include "cli/CliSupport.h"
#include "cli/Command.h"
#include "FileFaults.h"
#include "TestBook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/sysmacros.h>
#include <unistd.h>

// What may lie at a name the command line is given: FIFOs, devices, folders, link loops,
// huge files. Readers refuse them at once instead of blocking or reading for ever, say
// "missing" only of what is missing, and writers never replace anything but a file.
class TestSpecialFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refused_data();
    void refused();
    void bookCutShortWhileRead();
    void replacedInAFolderOfRoots_data();
    void replacedInAFolderOfRoots();

private:
    QString P(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

namespace {

struct TResult
{
    int Status = -1;
    QString Err;
};

// In a process of its own, so a read that blocks fails the row instead of the run.
TResult Cli(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(VORLINK_CLI_PROGRAM), args);
    TResult r;
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished();
        r.Err = QStringLiteral("<blocked>");
        return r;
    }
    r.Status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.Err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

char Kind(const QString &path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return '-';
    return S_ISFIFO(st.st_mode) ? 'p' : S_ISCHR(st.st_mode) ? 'c' : S_ISDIR(st.st_mode) ? 'd' : S_ISLNK(st.st_mode) ? 'l' : 'f';
}

} // namespace

void TestSpecialFiles::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", P(QStringLiteral("config")).toUtf8());
    TContactRecord r = TestBook::Entry("Alfa");
    r.SetText(PhoneField(1, 2), "111 222 333");
    QVERIFY(TestBook::WriteFile(P(QStringLiteral("kniha.WDT")), TestBook::FileBytes(TBookLabels::Defaults(), {r})));
    QVERIFY(::mkfifo(QFile::encodeName(P(QStringLiteral("fifo"))).constData(), 0666) == 0);
    QVERIFY(QDir().mkpath(P(QStringLiteral("slozka"))));
    QVERIFY(QFile::link(P(QStringLiteral("smycka")), P(QStringLiteral("smycka"))));
    QVERIFY(TestBook::WriteFile(P(QStringLiteral("soubor")), "x"));
    // A template of 17 MiB that takes no room: judged by its size, never read.
    QFile sparse(P(QStringLiteral("velka.WDR")));
    QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(17) << 20));
    if (geteuid() == 0)
        QVERIFY(::mknod(QFile::encodeName(P(QStringLiteral("zarizeni"))).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0);
}

// Another program truncates a book a command reads in place: the command says so and
// fails, instead of dying of a bus error.
void TestSpecialFiles::bookCutShortWhileRead()
{
    const QString book = P(QStringLiteral("kratsi.WDT"));
    QList<TContactRecord> entries;
    for (int i = 0; i < 8; ++i)
        entries << TestBook::Entry("Nov\xE1k");
    QVERIFY(TestBook::WriteFile(book, TestBook::FileBytes(TBookLabels::Defaults(), entries)));
    int pipeFds[2];
    QCOMPARE(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeFds[1], STDERR_FILENO);
        InstallBusErrorGuard();
        TBookMap map;
        if (map.Open(book) != TBookFileError::None)
            ::_exit(3);
        if (::truncate(QFile::encodeName(book).constData(), kRecordSize) != 0)
            ::_exit(4);
        volatile char last = map.RecordBytes(map.RecordCount() - 1)[kRecordSize - 1];
        Q_UNUSED(last);
        ::_exit(0); // a copy that survived the cut (no mapping) is as good
    }
    ::close(pipeFds[1]);
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    char said[256] = {};
    const ssize_t n = ::read(pipeFds[0], said, sizeof said - 1);
    ::close(pipeFds[0]);
    QVERIFY2(WIFEXITED(status), "killed by a signal");
    QCOMPARE(WEXITSTATUS(status), 1);
    QVERIFY(n > 0);
    QCOMPARE(QString::fromUtf8(said, n), QString::fromUtf8("Soubor adresáře se během čtení zkrátil.\n"));
}

void TestSpecialFiles::refused_data()
{
    QTest::addColumn<QStringList>("args"); // names without a slash are in the test folder
    QTest::addColumn<QString>("special"); // the name whose kind must stay
    QTest::addColumn<QString>("said"); // part of the message
    const QString tpl = QStringLiteral(VORLINK_SOURCE_DIR "/data/templates/telefony.WDR");
    const QString cannotOpen = QString::fromUtf8("Problém při otevírání souboru");
    const QString noTemplate = QString::fromUtf8("Šablonu nelze přečíst");
    const QString cannotWrite = QString::fromUtf8("Chyba při zápisu vybrané sestavy");
    QTest::newRow("DTA from a FIFO") << QStringList {"import", "--dta", "fifo", "out1.WDT"} << "fifo" << cannotOpen;
    QTest::newRow("table from a FIFO") << QStringList {"import", "--kontakty", "fifo", "out2.WDT"} << "fifo" << cannotOpen;
    QTest::newRow("vCard from a FIFO") << QStringList {"import", "fifo", "out3.WDT"} << "fifo" << cannotOpen;
    QTest::newRow("DTA from a folder") << QStringList {"import", "--dta", "slozka", "out4.WDT"} << "slozka" << cannotOpen;
    QTest::newRow("DTA through a link loop") << QStringList {"import", "--dta", "smycka", "out5.WDT"} << "smycka" << cannotOpen;
    QTest::newRow("vCard through a link loop") << QStringList {"import", "smycka", "out6.WDT"} << "smycka" << cannotOpen;
    QTest::newRow("table under a file") << QStringList {"import", "--firmy", "soubor/Firmy.DB", "out7.WDT"} << "soubor" << cannotOpen;
    QTest::newRow("template from a FIFO") << QStringList {"report", "fifo", "kniha.WDT"} << "fifo" << noTemplate;
    QTest::newRow("template from a device") << QStringList {"report", "/dev/zero", "kniha.WDT"} << "/dev/zero" << noTemplate;
    QTest::newRow("template of 17 MiB") << QStringList {"report", "velka.WDR", "kniha.WDT"} << "velka.WDR" << noTemplate;
    QTest::newRow("report into a FIFO") << QStringList {"report", tpl, "kniha.WDT", "-o", "fifo"} << "fifo" << cannotWrite;
    QTest::newRow("report into a folder") << QStringList {"report", tpl, "kniha.WDT", "-o", "slozka"} << "slozka" << cannotWrite;
    QTest::newRow("report into a device") << QStringList {"report", tpl, "kniha.WDT", "-o", "zarizeni"} << "zarizeni" << cannotWrite;
    QTest::newRow("vCard into a FIFO") << QStringList {"export", "kniha.WDT", "--format", "vcard3", "-o", "fifo"} << "fifo" << cannotOpen;
    QTest::newRow("vCard from a FIFO") << QStringList {"export", "fifo", "--format", "vcard3", "-o", "out8.vcf"} << "fifo" << cannotOpen;
    QTest::newRow("calendar from a folder") << QStringList {"export", "slozka", "--format", "ics", "-o", "out9.ics"} << "slozka" << cannotOpen;
    QTest::newRow("list of a FIFO") << QStringList {"list", "fifo"} << "fifo" << cannotOpen;
    QTest::newRow("calendar into a device") << QStringList {"export", "kniha.WDT", "--format", "ics", "-o", "zarizeni"} << "zarizeni" << cannotOpen;
}

void TestSpecialFiles::refused()
{
    QFETCH(QStringList, args);
    QFETCH(QString, special);
    QFETCH(QString, said);
    const QString path = special.contains(QLatin1Char('/')) ? special : P(special);
    if (!QFileInfo::exists(path) && Kind(path) == '-')
        QSKIP("needs root to make a device node");
    const char before = Kind(path);
    for (QString &a : args)
        if (!a.startsWith(QLatin1Char('-')) && !a.startsWith(QLatin1Char('/')) && a != QLatin1String("import")
            && a != QLatin1String("report") && a != QLatin1String("export") && a != QLatin1String("list")
            && a != QLatin1String("vcard3") && a != QLatin1String("ics"))
            a = P(a);
    const TResult r = Cli(args);
    QVERIFY2(r.Err != QLatin1String("<blocked>"), "blocked");
    QCOMPARE(r.Status, 1);
    QVERIFY2(r.Err.contains(said), qPrintable(r.Err));
    QVERIFY2(!r.Err.contains(QString::fromUtf8("Soubor neexistuje")), qPrintable(r.Err));
    QCOMPARE(Kind(path), before);
}

void TestSpecialFiles::replacedInAFolderOfRoots_data()
{
    QTest::addColumn<QStringList>("args"); // OUT stands for the file in the folder
    QTest::addColumn<QByteArray>("starts");
    QTest::newRow("vCard") << QStringList {"export", "BOOK", "--format", "vcard3", "-o", "OUT"} << QByteArray("BEGIN:VCARD\r\n");
    QTest::newRow("report") << QStringList {"report", "TEMPLATE", "BOOK", "-o", "OUT"} << QByteArray("TELEFONN");
}

// Where the user may write the file but not its folder, the file is rewritten in place.
void TestSpecialFiles::replacedInAFolderOfRoots()
{
    if (geteuid() != 0)
        QSKIP("needs root to run as nobody in a folder of root's");
    QFETCH(QStringList, args);
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                  | QFileDevice::ReadOther | QFileDevice::ExeOther));
    const QString out = dir.filePath(QStringLiteral("vystup.txt"));
    const QString book = dir.filePath(QStringLiteral("kniha.WDT"));
    QVERIFY(QFile::copy(P(QStringLiteral("kniha.WDT")), book));
    QVERIFY(QFile::setPermissions(book, QFileDevice::ReadOwner | QFileDevice::ReadOther));
    // Everything nobody needs lies in the folder: the checkout may be closed to others.
    const QString tpl = dir.filePath(QStringLiteral("telefony.WDR"));
    QVERIFY(QFile::copy(QStringLiteral(VORLINK_SOURCE_DIR "/data/templates/telefony.WDR"), tpl));
    QVERIFY(QFile::setPermissions(tpl, QFileDevice::ReadOwner | QFileDevice::ReadOther));
    QVERIFY(TestBook::WriteFile(out, QByteArray(100000, 'o')));
    QVERIFY(::chown(QFile::encodeName(out).constData(), 65534, 65534) == 0);
    args.replaceInStrings(QStringLiteral("OUT"), out);
    args.replaceInStrings(QStringLiteral("BOOK"), book);
    args.replaceInStrings(QStringLiteral("TEMPLATE"), tpl);
    QTemporaryDir settings;
    QVERIFY(::chown(QFile::encodeName(settings.path()).constData(), 65534, 65534) == 0);
    const int status = FileFaults::InChild(
        [&] {
            // In this process: the program's file may lie where nobody cannot reach it.
            QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
            QString o, e;
            QTextStream out(&o), err(&e);
            return RunCli(QStringList {QStringLiteral("vorlink-cli")} + args, out, err);
        },
        0, true);
    QCOMPARE(status, 0);
    const QByteArray bytes = TestBook::ReadFile(out);
    QFETCH(QByteArray, starts);
    QVERIFY2(bytes.startsWith(starts), bytes.left(40).constData());
    QVERIFY(bytes.size() < 100000); // cut to its new length
    // Nothing left beside.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList {QStringLiteral("kniha.WDT"), QStringLiteral("telefony.WDR"), QStringLiteral("vystup.txt")}));
}

QTEST_GUILESS_MAIN(TestSpecialFiles)
#include "tst_specialfiles.moc"

#include "about/LinkCommands.h"
#include "app/VorlinkApp.h"
#include "calendar/ui/SoundPlayer.h"
#include "session/DataFiles.h"
#include "session/Session.h"
#include "session/ui/FormMain.h"
#include "util/Clock.h"
#include "util/Version.h"

#include "FakePrompt.h"

#include <QDomDocument>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Runs a program to its end; the exit code, or -1 when it could not run.
int Run(const QString &program, const QStringList &args, QString *output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(120000))
        return -1;
    if (output)
        *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// A manual page's roff source, uncompressed, with "\-" as the "-" it prints.
QString ManSource(const QString &gz)
{
    QString text;
    if (Run(QStringLiteral("gzip"), {QStringLiteral("-dc"), gz}, &text) != 0)
        return {};
    return text.replace(QStringLiteral("\\-"), QStringLiteral("-"));
}

} // namespace

// `cmake --install` into a temporary prefix gives the desktop's layout, and the installed
// program finds its data from bin/ through the XDG data directories.
class TestInstall : public QObject
{
    Q_OBJECT

    QTemporaryDir m_prefix;

    QString P(const char *rel) const { return m_prefix.filePath(QString::fromUtf8(rel)); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        QString out;
        const int rc = Run(QStringLiteral("cmake"), {QStringLiteral("--install"), QStringLiteral(VORLINK_BINARY_DIR),
                                                     QStringLiteral("--prefix"), m_prefix.path()}, &out);
        QVERIFY2(rc == 0, qPrintable(out));
    }

    void layout_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *f : {"bin/vorlink", "bin/vorlink-cli", "share/vorlink/vorlink.sva", "share/vorlink/vorlink.wav",
                              "share/applications/io.github.brevmark.vorlink.desktop", "share/icons/hicolor/scalable/apps/vorlink.svg",
                              "share/icons/hicolor/48x48/apps/vorlink.png", "share/mime/packages/vorlink.xml",
                              "share/metainfo/io.github.brevmark.vorlink.metainfo.xml", "share/man/man1/vorlink.1.gz",
                              "share/man/man1/vorlink-cli.1.gz", "share/man/cs/man1/vorlink.1.gz",
                              "share/man/cs/man1/vorlink-cli.1.gz",
                              "share/bash-completion/completions/vorlink-cli"})
            QTest::newRow(f) << QString::fromUtf8(f);
    }

    void layout()
    {
        QFETCH(QString, file);
        QVERIFY2(QFileInfo(m_prefix.filePath(file)).isFile(), qPrintable(file));
        // Data no longer lies beside the programs.
        QVERIFY(!QFileInfo::exists(P("bin/vorlink.sva")));
        const bool templates = QFileInfo(QStringLiteral(VORLINK_SOURCE_DIR "/data/templates")).isDir();
        QCOMPARE(QFileInfo(P("share/vorlink/templates")).isDir(), templates);
    }

    void programFindsItsData()
    {
        // As the desktop starts it: from bin/, with the prefix among the data directories
        // and an empty working directory.
        QTemporaryDir work;
        qputenv("XDG_DATA_DIRS", P("share").toLocal8Bit());
        const QString bin = P("bin/");
        QCOMPARE(FindDataFile(QStringLiteral("vorlink.sva"), {bin}), P("share/vorlink/vorlink.sva"));
        QCOMPARE(TSoundPlayer::FindSoundFile({work.path(), bin}), P("share/vorlink/vorlink.wav"));
        if (QFileInfo(P("share/vorlink/templates")).isDir())
            QCOMPARE(FindDataDir(QStringLiteral("templates"), {bin}), P("share/vorlink/templates"));
        TFakePrompt prompt;
        TFixedClock clock;
        TVorlinkApp app(prompt, clock, work.filePath(QStringLiteral("settings.ini")));
        app.Start({}, work.path() + QLatin1Char('/'), bin);
        QVERIFY(app.Window().Session().Calendar.Lines().size() > 300);
        // A portable copy beside the program wins over the installed one.
        QFile::copy(P("share/vorlink/vorlink.sva"), work.filePath(QStringLiteral("vorlink.sva")));
        QCOMPARE(FindDataFile(QStringLiteral("vorlink.sva"), {work.path()}), work.filePath(QStringLiteral("vorlink.sva")));
        qunsetenv("XDG_DATA_DIRS");
    }

    void desktopFiles()
    {
        QString out;
        if (QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")).isEmpty())
            QSKIP("desktop-file-validate (desktop-file-utils) is not installed");
        QCOMPARE(Run(QStringLiteral("desktop-file-validate"), {P("share/applications/io.github.brevmark.vorlink.desktop")}, &out), 0);
        QVERIFY2(out.trimmed().isEmpty(), qPrintable(out));
        if (QStandardPaths::findExecutable(QStringLiteral("appstreamcli")).isEmpty())
            QSKIP("appstreamcli (appstream) is not installed");
        QVERIFY2(Run(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                                      QStringLiteral("--pedantic"),
                                                      P("share/metainfo/io.github.brevmark.vorlink.metainfo.xml")}, &out) == 0,
                 qPrintable(out));
    }

    // Both programs print the build's version and end, needing no display: no platform
    // plugin is named and none could connect.
    void versionOutput_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("vorlink") << QStringLiteral("vorlink");
        QTest::newRow("vorlink-cli") << QStringLiteral("vorlink-cli");
    }

    void versionOutput()
    {
        QFETCH(QString, program);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(v));
        p.setProcessEnvironment(env);
        p.start(m_prefix.filePath(QStringLiteral("bin/") + program), {QStringLiteral("--version")});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QString());
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), program + QLatin1Char(' ') + ProgramVersion() + QLatin1Char('\n'));
        // The release, and what a checkout adds, in a form Debian takes as a package version.
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-9][A-Za-z0-9.+~]*$")).match(ProgramVersion()).hasMatch(),
                 qPrintable(ProgramVersion()));
        QVERIFY(ProgramVersion() == QStringLiteral(VORLINK_PROJECT_VERSION)
                || ProgramVersion().startsWith(QStringLiteral(VORLINK_PROJECT_VERSION "+git")));
    }

    // The AppStream id, the desktop entry's name, the homepage and the about box's address
    // name one project; the newest release is the project's version.
    void identity()
    {
        QFile f(P("share/metainfo/io.github.brevmark.vorlink.metainfo.xml"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QDomDocument doc;
        QVERIFY(doc.setContent(&f));
        const QDomElement root = doc.documentElement();
        const QString id = root.firstChildElement(QStringLiteral("id")).text();
        QCOMPARE(id, QStringLiteral("io.github.brevmark.vorlink"));
        QCOMPARE(root.firstChildElement(QStringLiteral("launchable")).text(), id + QStringLiteral(".desktop"));
        QVERIFY(QFileInfo(P("share/applications/") + id + QStringLiteral(".desktop")).isFile());
        const QString homepage = root.firstChildElement(QStringLiteral("url")).text();
        QCOMPARE(homepage, QStringLiteral("https://github.com/brevmark/vorlink"));
        QCOMPARE(TAboutInfo::Program().Web, homepage);
        QVERIFY(root.firstChildElement(QStringLiteral("project_license")).text().endsWith(homepage));
        const QDomElement newest =
            root.firstChildElement(QStringLiteral("releases")).firstChildElement(QStringLiteral("release"));
        QCOMPARE(newest.attribute(QStringLiteral("version")), QStringLiteral(VORLINK_PROJECT_VERSION));
    }

    // Every page renders without a warning, and the pages of vorlink-cli name every command
    // and every option the program's help lists, in both languages.
    void manualPages_data()
    {
        QTest::addColumn<QString>("page");
        for (const char *p : {"share/man/man1/vorlink.1.gz", "share/man/man1/vorlink-cli.1.gz",
                              "share/man/cs/man1/vorlink.1.gz", "share/man/cs/man1/vorlink-cli.1.gz"})
            QTest::newRow(p) << QString::fromUtf8(p);
    }

    void manualPages()
    {
        QFETCH(QString, page);
        if (QStandardPaths::findExecutable(QStringLiteral("man")).isEmpty())
            QSKIP("man (man-db) is not installed");
        QProcess man;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
        man.setProcessEnvironment(env);
        man.start(QStringLiteral("man"), {QStringLiteral("--warnings"), QStringLiteral("-E"), QStringLiteral("UTF-8"),
                                          QStringLiteral("-l"), m_prefix.filePath(page)});
        QVERIFY(man.waitForFinished(60000));
        QCOMPARE(man.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(man.readAllStandardError()), QString());
        QVERIFY(man.readAllStandardOutput().size() > 1000);
        if (!page.endsWith(QStringLiteral("vorlink-cli.1.gz")))
            return;

        const QString source = ManSource(m_prefix.filePath(page));
        QString usage;
        Run(P("bin/vorlink-cli"), {}, &usage);
        static const QRegularExpression commandLine(QStringLiteral("^  ([a-z]+) "), QRegularExpression::MultilineOption);
        static const QRegularExpression option(QStringLiteral("--[a-z][a-z0-9-]*"));
        QStringList missing;
        int commands = 0;
        for (auto c = commandLine.globalMatch(usage); c.hasNext(); ++commands) {
            const QString command = c.next().captured(1);
            if (!source.contains(QStringLiteral(".BI ") + command) && !source.contains(QStringLiteral(".B ") + command))
                missing << command;
            QString help;
            QCOMPARE(Run(P("bin/vorlink-cli"), {command, QStringLiteral("--help")}, &help), 0);
            for (auto o = option.globalMatch(help); o.hasNext();) {
                const QString name = o.next().captured();
                if (!source.contains(name))
                    missing << command + QLatin1Char(' ') + name;
            }
        }
        QCOMPARE(commands, 8);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    }

    void bookFileType()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty())
            QSKIP("update-mime-database (shared-mime-info) is not installed");
        QString out;
        QVERIFY2(Run(QStringLiteral("update-mime-database"), {P("share/mime")}, &out) == 0, qPrintable(out));
        // Read as the file manager reads it: the compiled database of the data directories.
        qputenv("XDG_DATA_DIRS", (P("share") + QStringLiteral(":/usr/share")).toLocal8Bit());
        QMimeDatabase db;
        for (const char *name : {"rodina.wdt", "RODINA.WDT", "Rodina.Wdt"})
            QCOMPARE(db.mimeTypeForFile(QString::fromUtf8(name), QMimeDatabase::MatchExtension).name(),
                     QStringLiteral("application/x-vorlink-book"));
        qunsetenv("XDG_DATA_DIRS");
    }
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"

#include "app/VorlinkApp.h"
#include "calendar/ui/SoundPlayer.h"
#include "session/DataFiles.h"
#include "session/Session.h"
#include "session/ui/FormMain.h"
#include "util/Clock.h"

#include "FakePrompt.h"

#include <QMimeDatabase>
#include <QProcess>
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
                              "share/metainfo/io.github.brevmark.vorlink.metainfo.xml", "share/man/man1/vorlink.1",
                              "share/man/man1/vorlink-cli.1", "share/man/cs/man1/vorlink.1", "share/man/cs/man1/vorlink-cli.1",
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

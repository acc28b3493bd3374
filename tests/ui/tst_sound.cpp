#include "calendar/ui/SoundPlayer.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QSoundEffect>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString SoundSource()
{
    return QStringLiteral(VORLINK_SOURCE_DIR "/data/vorlink.wav");
}

bool Copy(const QString &from, const QString &to)
{
    return QFile::copy(from, to);
}

} // namespace

// The reminder sound: where it is looked for, and that it really reaches an audio
// device (a PulseAudio null sink run for the test).
class TestSound : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void findsFileInOrder();
    void missingFileGivesNoSound();
    void playsOnNullSink();

private:
    QString Pactl(const QStringList &args);

    QTemporaryDir m_dir;
    QProcess m_pulse;
    QString m_server;
    QString m_skipReason;
};

void TestSound::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString pulseaudio = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    if (pulseaudio.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty()) {
        m_skipReason = QStringLiteral("pulseaudio and pactl are not installed");
        return;
    }
    // A private server with only a null sink, its runtime and home in a temporary place.
    const QString runtime = m_dir.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkpath(runtime));
    const QString socket = runtime + QStringLiteral("/native");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("HOME"), m_dir.path());
    m_pulse.setProcessEnvironment(env);
    m_pulse.setProcessChannelMode(QProcess::MergedChannels);
    m_pulse.start(pulseaudio, {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                               QStringLiteral("-n"), QStringLiteral("--disable-shm=yes"),
                               QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=") + socket,
                               QStringLiteral("--load=module-null-sink sink_name=vorlink_test")});
    QVERIFY2(m_pulse.waitForStarted(5000), qPrintable(m_pulse.errorString()));
    m_server = QStringLiteral("unix:") + socket;
    // The media backend connects lazily, so the server is known before its first use.
    qputenv("PULSE_SERVER", m_server.toLocal8Bit());
    QTRY_VERIFY2_WITH_TIMEOUT(Pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sinks")})
                                  .contains(QStringLiteral("vorlink_test")),
                              qPrintable(QString::fromLocal8Bit(m_pulse.readAll())), 10000);
}

void TestSound::cleanupTestCase()
{
    if (m_pulse.state() != QProcess::NotRunning) {
        m_pulse.terminate();
        if (!m_pulse.waitForFinished(3000))
            m_pulse.kill();
        m_pulse.waitForFinished(1000);
    }
}

QString TestSound::Pactl(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PULSE_SERVER"), m_server);
    env.insert(QStringLiteral("HOME"), m_dir.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("pactl"), args);
    if (!p.waitForFinished(3000))
        return {};
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

void TestSound::findsFileInOrder()
{
    QTemporaryDir start, program;
    QCOMPARE(TSoundPlayer::FindSoundFile({start.path(), program.path()}), QString());
    QVERIFY(Copy(SoundSource(), program.filePath(TSoundPlayer::FileName())));
    QCOMPARE(TSoundPlayer::FindSoundFile({start.path(), program.path()}),
             program.filePath(TSoundPlayer::FileName()));
    QVERIFY(Copy(SoundSource(), start.filePath(TSoundPlayer::FileName())));
    QCOMPARE(TSoundPlayer::FindSoundFile({start.path(), program.path()}), start.filePath(TSoundPlayer::FileName()));
    // A directory of that name is no sound file.
    QTemporaryDir other;
    QVERIFY(QDir(other.path()).mkdir(TSoundPlayer::FileName()));
    QCOMPARE(TSoundPlayer::FindSoundFile({other.path(), QString()}), QString());
}

void TestSound::missingFileGivesNoSound()
{
    QTemporaryDir empty;
    TSoundPlayer player;
    QVERIFY(!player.Open(empty.path(), empty.path()));
    QVERIFY(!player.Available());
    player.Play(); // nothing, and no error
    QCOMPARE(player.Effect(), nullptr);
}

void TestSound::playsOnNullSink()
{
    if (!m_skipReason.isEmpty())
        QSKIP(qPrintable(m_skipReason));
    QTRY_VERIFY_WITH_TIMEOUT(!QMediaDevices::audioOutputs().isEmpty(), 10000);

    QTemporaryDir start;
    QVERIFY(Copy(SoundSource(), start.filePath(TSoundPlayer::FileName())));
    TSoundPlayer player;
    QVERIFY(player.Open(start.path(), QString()));
    QCOMPARE(player.Path(), start.filePath(TSoundPlayer::FileName()));
    QTRY_COMPARE_WITH_TIMEOUT(player.Effect()->status(), QSoundEffect::Ready, 10000);

    QElapsedTimer t;
    t.start();
    player.Play();
    // The sound lasts over a second; playing must not wait for it.
    QVERIFY2(t.elapsed() < 500, qPrintable(QString::number(t.elapsed())));
    QTRY_VERIFY_WITH_TIMEOUT(player.Effect()->isPlaying(), 5000);
    // The server really receives a stream while the sound plays.
    QTRY_VERIFY_WITH_TIMEOUT(
        !Pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")}).trimmed().isEmpty(),
        5000);
    // A second call starts it again from the beginning without error.
    player.Play();
    QTRY_VERIFY_WITH_TIMEOUT(player.Effect()->isPlaying(), 5000);
    QVERIFY(player.Available());
}

int main(int argc, char *argv[])
{
    TSoundPlayer::PreferGStreamerBackend();
    QCoreApplication app(argc, argv);
    TestSound test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sound.moc"

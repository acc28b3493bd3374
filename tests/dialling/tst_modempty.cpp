// The call over a real serial line: a socat pseudo-terminal pair, the program's port on
// one end and a scripted modem on the other that logs every byte it receives.

#include "dialling/ModemCall.h"
#include "dialling/ui/QtSerialPort.h"
#include "settings/Settings.h"

#include "FakePrompt.h"
#include "ScriptedPort.h"

#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Answers the initialisation as told: after its echo, in two pieces, in lower case or
// not at all.
class TScriptedModem : public QObject
{
public:
    QSerialPort Line;
    QByteArray Log;
    QString Script;

    bool Open(const QString &device)
    {
        Line.setPortName(device);
        Line.setBaudRate(QSerialPort::Baud19200);
        if (!Line.open(QIODevice::ReadWrite))
            return false;
        connect(&Line, &QSerialPort::readyRead, this, [this] {
            const QByteArray got = Line.readAll();
            Log += got;
            if (!m_answered && Log.contains('\r')) {
                m_answered = true;
                Answer(Log.left(Log.indexOf('\r')));
            }
        });
        return true;
    }

private:
    void Answer(const QByteArray &command)
    {
        if (Script == QLatin1String("echo"))
            Line.write(command + "\r\r\nOK\r\n");
        else if (Script == QLatin1String("split")) {
            Line.write(command + "\r\r\nO");
            Line.flush();
            QTimer::singleShot(100, this, [this] { Line.write("K\r\n"); });
        } else if (Script == QLatin1String("lower"))
            Line.write("\r\nok\r\n");
    }

    bool m_answered = false;
};

struct TLine
{
    QTemporaryDir Dir;
    QProcess Socat;
    QString Near;
    QString Far;

    // False when socat is missing or makes no pair.
    bool Start()
    {
        const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
        if (socat.isEmpty())
            return false;
        // Unique names: the serial port's lock file is named after the device.
        const QString tag = QFileInfo(Dir.path()).fileName();
        Near = Dir.filePath(tag + QStringLiteral("-pc"));
        Far = Dir.filePath(tag + QStringLiteral("-modem"));
        Socat.start(socat, {QStringLiteral("pty,raw,echo=0,link=") + Near, QStringLiteral("pty,raw,echo=0,link=") + Far});
        if (!Socat.waitForStarted(5000))
            return false;
        for (int i = 0; i < 100 && !(QFileInfo::exists(Near) && QFileInfo::exists(Far)); ++i)
            QTest::qWait(50);
        return QFileInfo::exists(Near) && QFileInfo::exists(Far);
    }
    ~TLine()
    {
        Socat.kill();
        Socat.waitForFinished(3000);
    }
};

} // namespace

class TestModemPty : public QObject
{
    Q_OBJECT

private slots:
    void modemReceivesTheCall_data();
    void modemReceivesTheCall();
    void vanishingModemEndsTheCall();
};

void TestModemPty::modemReceivesTheCall_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("received");
    const QByteArray dialled = "ATZ\rATX3DP05,41234567\r+++ATH0\r";
    QTest::newRow("OK after the echo") << "echo" << dialled;
    QTest::newRow("OK in two pieces") << "split" << dialled;
    QTest::newRow("ok in lower case") << "lower" << dialled;
    QTest::newRow("no answer") << "never" << QByteArray("ATZ\r+++ATH0\r");
}

void TestModemPty::modemReceivesTheCall()
{
    QFETCH(QString, script);
    QFETCH(QByteArray, received);
    TLine line;
    if (!line.Start())
        QSKIP("socat is needed for a pseudo-terminal pair (scripts/deps.sh installs it)");
    TScriptedModem modem;
    modem.Script = script;
    QVERIFY(modem.Open(line.Far));

    TSettings settings;
    settings.Hang = QStringLiteral("+++ATH0");
    settings.Port = 3;
    settings.Zarizeni[2] = line.Near;
    TQtSerialPort port;
    TManualTicker ticker;
    TFakePrompt prompt;
    TModemCall call(settings, port, ticker, prompt);
    call.SetLabels({{}, QStringLiteral("05,41234567"), {}, {}});
    call.Start();
    QCOMPARE(prompt.Texts(), QStringList());
    if (script == QLatin1String("never")) {
        QTRY_COMPARE(modem.Log, QByteArray("ATZ\r"));
        QTest::qWait(200);
        QCOMPARE(call.State(), TCallState::WaitingForOk);
        ticker.Advance(60);
    } else {
        QTRY_COMPARE(call.State(), TCallState::Dialled);
        QTRY_VERIFY(modem.Log.endsWith("41234567\r"));
        call.Hangup();
    }
    QCOMPARE(call.State(), TCallState::Closed);
    QTRY_COMPARE(modem.Log, received);
}

void TestModemPty::vanishingModemEndsTheCall()
{
    TLine line;
    if (!line.Start())
        QSKIP("socat is needed for a pseudo-terminal pair (scripts/deps.sh installs it)");
    auto modem = std::make_unique<TScriptedModem>();
    modem->Script = QStringLiteral("echo");
    QVERIFY(modem->Open(line.Far));
    TSettings settings;
    settings.Port = 1;
    settings.Zarizeni[0] = line.Near;
    TQtSerialPort port;
    QSignalSpy lost(&port, &ISerialPort::Lost);
    TManualTicker ticker;
    TFakePrompt prompt;
    TModemCall call(settings, port, ticker, prompt);
    QSignalSpy finished(&call, &TModemCall::Finished);
    call.Start();
    QTRY_COMPARE(call.State(), TCallState::Dialled);
    // The far end goes, as an unplugged modem would.
    modem.reset();
    line.Socat.kill();
    QVERIFY(line.Socat.waitForFinished(3000));
    // The call ends after the message, without "&Zavěsit".
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(call.State(), TCallState::Closed);
    QCOMPARE(prompt.Texts(), QStringList {QString::fromUtf8("Spojení s modemem se přerušilo; hovor je ukončen.")});
    // Closed at the first report: no further one, however long the loop turns.
    QTest::qWait(300);
    QCOMPARE(lost.size(), 1);
    QVERIFY(!ticker.Running);
    call.Hangup();
    QCOMPARE(call.State(), TCallState::Closed);
    QCOMPARE(finished.size(), 1);
}

QTEST_GUILESS_MAIN(TestModemPty)
#include "tst_modempty.moc"

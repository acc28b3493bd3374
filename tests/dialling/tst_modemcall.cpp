#include "dialling/ModemCall.h"
#include "settings/Settings.h"

#include "FakePrompt.h"
#include "ScriptedPort.h"

#include <QSignalSpy>
#include <QTest>

namespace {

struct TCallFixture
{
    TSettings Settings;
    TScriptedPort Port;
    TManualTicker Ticker;
    TFakePrompt Prompt;
    TModemCall Call {Settings, Port, Ticker, Prompt};

    TCallFixture()
    {
        Settings.Hang = QStringLiteral("+++ATH0");
        Call.SetLabels({QString::fromUtf8("Vytáčí se číslo"), QStringLiteral("05,41234567"), {}, {}});
    }

    // "r..." a reply event, "t<n>" n seconds, "h" the button, "x" the modem vanishes.
    void Run(const QStringList &steps)
    {
        for (const QString &s : steps) {
            const QString arg = s.mid(1);
            switch (s.at(0).toLatin1()) {
            case 'r':
                Port.Reply(arg.toLatin1());
                break;
            case 't':
                Ticker.Advance(arg.toInt());
                break;
            case 'h':
                Call.Hangup();
                break;
            case 'x':
                Port.Vanish();
                break;
            }
        }
    }
};

const QByteArray kDial = "ATX3DP05,41234567\r";
const QByteArray kHang = "+++ATH0\r";
const QString kLost = QString::fromUtf8("Spojení s modemem se přerušilo; hovor je ukončen.");

} // namespace

class TestModemCall : public QObject
{
    Q_OBJECT

private slots:
    void call_data();
    void call();
    void countdown_data();
    void countdown();
    void portThatWillNotOpen_data();
    void portThatWillNotOpen();
    void hangingUpWhenTheCallGoes();
};

void TestModemCall::call_data()
{
    QTest::addColumn<QString>("init");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("closes");
    const QStringList none;
    QTest::newRow("OK with the echo") << "ATZ" << QStringList {"rATZ\r\r\nOK\r\n", "t5", "h"}
                                      << "ATZ\r" + kDial + kHang << none << 1;
    QTest::newRow("OK split") << "ATZ" << QStringList {"rATZ\r\r\nO", "rK\r\n", "h"} << "ATZ\r" + kDial + kHang
                              << none << 1;
    QTest::newRow("ok in lower case") << "ATZ" << QStringList {"rok", "h"} << "ATZ\r" + kDial + kHang << none << 1;
    QTest::newRow("O and K apart") << "ATZ" << QStringList {"rO\r\nK", "h"} << "ATZ\r" + kHang << none << 1;
    QTest::newRow("second OK dials nothing") << "ATZ" << QStringList {"rOK", "rOK", "h"} << "ATZ\r" + kDial + kHang
                                             << none << 1;
    QTest::newRow("hang-up while waiting") << "ATZ" << QStringList {"rATZ", "t3", "h", "rOK"} << "ATZ\r" + kHang
                                           << none << 1;
    QTest::newRow("empty init") << "" << QStringList {"r\r\nOK", "h"} << "\r" + kDial + kHang << none << 1;
    QTest::newRow("button pressed twice") << "ATZ" << QStringList {"rOK", "h", "h", "t60"}
                                          << "ATZ\r" + kDial + kHang << none << 1;
    QTest::newRow("modem vanishes after dialling")
        << "ATZ" << QStringList {"rOK", "x", "t60", "rOK", "h"} << "ATZ\r" + kDial << QStringList {kLost} << 0;
    QTest::newRow("modem vanishes while waiting")
        << "ATZ" << QStringList {"x", "x", "h"} << QByteArray("ATZ\r") << QStringList {kLost} << 0;
}

void TestModemCall::call()
{
    QFETCH(QString, init);
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, written);
    QFETCH(QStringList, messages);
    QFETCH(int, closes);
    TCallFixture f;
    f.Settings.Init = init;
    f.Settings.Zarizeni[1] = QStringLiteral("/dev/ttyUSB0");
    QSignalSpy finished(&f.Call, &TModemCall::Finished);
    f.Call.Start();
    QCOMPARE(f.Port.Opened, QStringList {QStringLiteral("/dev/ttyUSB0")});
    QCOMPARE(f.Call.State(), TCallState::WaitingForOk);
    QVERIFY(f.Ticker.Running);
    f.Run(steps);
    QCOMPARE(f.Port.Written, written);
    QCOMPARE(f.Prompt.Texts(), messages);
    QCOMPARE(f.Port.Closes, closes);
    QVERIFY(!f.Port.IsOpen);
    QVERIFY(!f.Ticker.Running);
    QCOMPARE(f.Call.State(), TCallState::Closed);
    QCOMPARE(finished.size(), 1);
}

void TestModemCall::countdown_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("gauge");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<int>("finished");
    QTest::newRow("start") << QStringList {} << 100 << QByteArray("ATZ\r") << 0;
    QTest::newRow("59 left") << QStringList {"t1"} << 98 << QByteArray("ATZ\r") << 0;
    QTest::newRow("30 left") << QStringList {"rOK", "t30"} << 50 << "ATZ\r" + kDial << 0;
    QTest::newRow("1 left") << QStringList {"t59"} << 1 << QByteArray("ATZ\r") << 0;
    QTest::newRow("no OK ever") << QStringList {"rATZ\r\nERROR\r\n", "t60", "t5"} << 0 << "ATZ\r" + kHang << 1;
    QTest::newRow("dialled, time up") << QStringList {"rOK", "t70"} << 0 << "ATZ\r" + kDial + kHang << 1;
}

void TestModemCall::countdown()
{
    QFETCH(QStringList, steps);
    QFETCH(int, gauge);
    QFETCH(QByteArray, written);
    QFETCH(int, finished);
    TCallFixture f;
    QSignalSpy ended(&f.Call, &TModemCall::Finished);
    f.Call.Start();
    f.Run(steps);
    QCOMPARE(f.Call.Gauge(), gauge);
    QCOMPARE(f.Port.Written, written);
    QCOMPARE(ended.size(), finished);
    // A new call starts afresh.
    f.Call.Hangup();
    f.Port.Written.clear();
    f.Call.Start();
    QCOMPARE(f.Call.Gauge(), 100);
    QCOMPARE(f.Call.ReplyBuffer(), QByteArray());
    QCOMPARE(f.Port.Written, QByteArray("ATZ\r"));
}

void TestModemCall::portThatWillNotOpen_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("message");
    const QString first = QString::fromUtf8("Nelze otevřít nastavený COM port ");
    QTest::newRow("no such device") << 3 << int(TPortFailure::NotFound)
                                    << first + QString::fromUtf8("3\nZařízení /dev/ttyS2 neexistuje.");
    QTest::newRow("no permission")
        << 1 << int(TPortFailure::NoPermission)
        << first + QString::fromUtf8("1\nK zařízení /dev/ttyS0 nemáte přístup: uživatel musí být ve skupině dialout.");
    QTest::newRow("in use") << 2 << int(TPortFailure::Busy)
                            << first + QString::fromUtf8("2\nZařízení /dev/ttyS1 právě používá jiný program.");
    QTest::newRow("other") << 4 << int(TPortFailure::Other) << first + QStringLiteral("4");
    QTest::newRow("port 0") << 0 << int(TPortFailure::None) << first + QStringLiteral("0");
    QTest::newRow("port 5") << 5 << int(TPortFailure::None) << first + QStringLiteral("5");
    QTest::newRow("port 255") << 255 << int(TPortFailure::None) << first + QStringLiteral("255");
}

void TestModemCall::portThatWillNotOpen()
{
    QFETCH(int, port);
    QFETCH(int, failure);
    QFETCH(QString, message);
    TCallFixture f;
    f.Settings.Port = quint8(port);
    f.Port.Failure = TPortFailure(failure);
    QSignalSpy finished(&f.Call, &TModemCall::Finished);
    f.Call.Start();
    QCOMPARE(f.Prompt.Shown.size(), 1);
    QCOMPARE(f.Prompt.Shown[0].Text, message);
    QCOMPARE(f.Prompt.Shown[0].Kind, THlaskaKind::Chyba);
    QCOMPARE(f.Port.Opened.size(), port >= 1 && port <= 4 ? 1 : 0);
    QCOMPARE(f.Call.State(), TCallState::PortFailed);
    QCOMPARE(f.Call.Labels(), TDialLabels {});
    QVERIFY(!f.Ticker.Running);
    f.Run({"rOK", "t60"});
    QCOMPARE(finished.size(), 0);
    f.Call.Hangup();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(f.Port.Written, QByteArray());
}

void TestModemCall::hangingUpWhenTheCallGoes()
{
    TSettings settings;
    settings.Hang = QStringLiteral("ATH");
    TScriptedPort port;
    TManualTicker ticker;
    TFakePrompt prompt;
    {
        TModemCall call(settings, port, ticker, prompt);
        call.Start();
        port.Reply("OK");
    }
    QCOMPARE(port.Written, QByteArray("ATZ\rATX3DP\rATH\r"));
    QVERIFY(!port.IsOpen);
    QVERIFY(!ticker.Running);
}

QTEST_GUILESS_MAIN(TestModemCall)
#include "tst_modemcall.moc"

#include "dialling/DiallingCommands.h"
#include "dialling/DiallingDialogs.h"
#include "dialling/ModemCall.h"
#include "dialling/NumberComposition.h"
#include "settings/Settings.h"

#include "ScriptedPort.h"
#include "SessionFixture.h"

#include <QTest>

#include <functional>

namespace {

TSettings Own(const QString &stat = QStringLiteral("420"), const QString &misto = QStringLiteral("2"))
{
    TSettings s;
    s.Stat = stat;
    s.Misto = misto;
    s.VolackaStat = QStringLiteral("00");
    s.VolackaMisto = QStringLiteral("0");
    return s;
}

struct TFakeDialogs : IDiallingDialogs
{
    QList<TDialLabels> Shown;
    std::function<void()> DuringCall;
    std::function<bool(TSettings &)> Edit;
    TModemCall *Call = nullptr;
    void ShowCall() override
    {
        Shown.append(Call->Labels());
        if (DuringCall)
            DuringCall();
    }
    bool EditDialling(TSettings &s) override { return Edit && Edit(s); }
};

struct TFakePhone : IDesktopPhone
{
    bool Handler = true;
    QStringList Urls;
    bool OpenTel(const QString &url) override
    {
        Urls.append(url);
        return Handler;
    }
};

struct TDialFixture : TSessionFixture
{
    TScriptedPort Port;
    TManualTicker Ticker;
    TModemCall Call {S->Settings, Port, Ticker, Prompt};
    TFakeDialogs Dialogs;
    TFakePhone Phone;
    TDiallingCommands Commands {*S, Call, Dialogs, Phone};

    TDialFixture()
    {
        Dialogs.Call = &Call;
        S->Settings = Own();
        S->Settings.Povolit = true;
    }
};

} // namespace

class TestDialling : public QObject
{
    Q_OBJECT

private slots:
    void composeNumber_data();
    void composeNumber();
    void telUrl_data();
    void telUrl();
    void dialNumberRoutes_data();
    void dialNumberRoutes();
    void everyFieldOfAGroupDialsTheGroup();
    void noSecondCallWhileOneRuns();
    void settingsDialogEditsInMemory_data();
    void settingsDialogEditsInMemory();
    void portField_data();
    void portField();
};

void TestDialling::composeNumber_data()
{
    QTest::addColumn<QString>("stat");
    QTest::addColumn<QString>("misto");
    QTest::addColumn<QString>("country");
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("cislo");
    QTest::addColumn<bool>("linka");
    QTest::newRow("local") << "420" << "2" << "420" << "2" << "24681357" << "" << "24681357" << false;
    QTest::newRow("national") << "420" << "2" << "420" << "5" << "41234567" << "" << "05,41234567" << false;
    QTest::newRow("international") << "420" << "2" << "49" << "30" << "1234567" << "12" << "0049,30,1234567" << true;
    QTest::newRow("empty country") << "420" << "2" << "" << "2" << "24681357" << "" << "00,2,24681357" << false;
    QTest::newRow("country with a blank") << "420" << "2" << "420 " << "2" << "1" << "" << "00420 ,2,1" << false;
    QTest::newRow("no own codes") << "" << "" << "" << "" << "24681357" << "" << "24681357" << false;
    QTest::newRow("empty number") << "420" << "2" << "420" << "2" << "" << "" << "" << false;
    QTest::newRow("separators kept") << "420" << "2" << "420" << "5" << "41 23/45-67" << "" << "05,41 23/45-67"
                                     << false;
    QTest::newRow("case counts") << "CZ" << "2" << "cz" << "2" << "1" << "" << "00cz,2,1" << false;
}

void TestDialling::composeNumber()
{
    QFETCH(QString, stat);
    QFETCH(QString, misto);
    QFETCH(QString, country);
    QFETCH(QString, area);
    QFETCH(QString, number);
    QFETCH(QString, extension);
    QFETCH(QString, cislo);
    QFETCH(bool, linka);
    const TDialLabels l = ComposeLabels(Own(stat, misto), country, area, number, extension);
    QCOMPARE(l.TextC, QString::fromUtf8("Vytáčí se číslo"));
    QCOMPARE(l.Cislo, cislo);
    QCOMPARE(l.TextL, linka ? QString::fromUtf8("Po připojení žádejte linku") : QString());
    QCOMPARE(l.Linka, extension);
}

void TestDialling::telUrl_data()
{
    QTest::addColumn<QString>("stat");
    QTest::addColumn<QString>("country");
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("url");
    QTest::newRow("local") << "420" << "420" << "2" << "246 813 57" << "tel:+420224681357";
    QTest::newRow("national") << "420" << "420" << "5" << "41-23-45-67" << "tel:+420541234567";
    QTest::newRow("no area") << "420" << "420" << "" << "777 123 456" << "tel:+420777123456";
    QTest::newRow("international") << "420" << "49" << "(30)" << "123 45/67" << "tel:+49301234567";
    QTest::newRow("empty country is ours") << "420" << "" << "2" << "24681357" << "tel:+420224681357";
    QTest::newRow("typed with plus") << "420" << "49" << "30" << "+420 777 123 456" << "tel:+420777123456";
    QTest::newRow("no own country, local") << "" << "" << "" << "24681357" << "tel:24681357";
    QTest::newRow("no own country, national") << "" << "" << "5" << "41234567" << "tel:0541234567";
    QTest::newRow("no digits") << "420" << "420" << "2" << " - " << "";
}

void TestDialling::telUrl()
{
    QFETCH(QString, stat);
    QFETCH(QString, country);
    QFETCH(QString, area);
    QFETCH(QString, number);
    QFETCH(QString, url);
    QCOMPARE(ComposeTelUrl(Own(stat, stat.isEmpty() ? QString() : QStringLiteral("2")), country, area, number), url);
}

void TestDialling::dialNumberRoutes_data()
{
    QTest::addColumn<bool>("povolit");
    QTest::addColumn<bool>("system");
    QTest::addColumn<bool>("handler");
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("windows");
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    const QStringList url {QStringLiteral("tel:+420541234567")};
    QTest::newRow("disabled") << false << false << true << "41234567" << false << 0 << none << none;
    QTest::newRow("disabled with tel:") << false << true << true << "41234567" << false << 0 << none << none;
    QTest::newRow("modem") << true << false << true << "41234567" << true << 1 << none << none;
    QTest::newRow("modem, empty number") << true << false << true << "" << true << 1 << none << none;
    QTest::newRow("tel:") << true << true << true << "41234567" << true << 0 << url << none;
    QTest::newRow("tel:, no handler") << true << true << false << "41234567" << true << 0 << url
                                      << QStringList {QString::fromUtf8("V systému není žádná aplikace, která volá odkazy tel:.")};
    QTest::newRow("tel:, no number") << true << true << true << "" << true << 0 << none
                                     << QStringList {QString::fromUtf8("Ve skupině není žádné číslo k vytočení.")};
}

void TestDialling::dialNumberRoutes()
{
    QFETCH(bool, povolit);
    QFETCH(bool, system);
    QFETCH(bool, handler);
    QFETCH(QString, number);
    QFETCH(bool, result);
    QFETCH(int, windows);
    QFETCH(QStringList, urls);
    QFETCH(QStringList, messages);
    TDialFixture f;
    f.S->Settings.Povolit = povolit;
    f.S->Settings.VolatPresSystem = system;
    f.Phone.Handler = handler;
    QCOMPARE(f.Commands.DialNumber(QStringLiteral("420"), QStringLiteral("5"), number, QString()), result);
    QCOMPARE(f.Dialogs.Shown.size(), windows);
    if (windows)
        QCOMPARE(f.Dialogs.Shown[0].Cislo, number.isEmpty() ? QStringLiteral("05,") : QStringLiteral("05,41234567"));
    QCOMPARE(f.Phone.Urls, urls);
    QCOMPARE(f.Prompt.Texts(), messages);
    QVERIFY(f.Port.Opened.isEmpty()); // the window starts the call, not the command
}

void TestDialling::everyFieldOfAGroupDialsTheGroup()
{
    TDialFixture f;
    TEditorBuffer &e = f.S->Editor;
    e.SetText(EField::VStatu7, "49");
    e.SetText(EField::VMista7, "30");
    e.SetText(EField::Telefon7, "1234567");
    e.SetText(EField::Linka7, "12");
    for (int part = 0; part < 4; ++part)
        QCOMPARE(PhoneGroupOf(PhoneField(7, part)), 7);
    QCOMPARE(PhoneGroupOf(EField::Linka9), 9);
    QCOMPARE(PhoneGroupOf(EField::Stat1), 0);
    QCOMPARE(PhoneGroupOf(EField(int(EField::Linka9) + 1)), 0);
    f.Commands.TelefonDblClick(7);
    QCOMPARE(f.Dialogs.Shown.size(), 1);
    QCOMPARE(f.Dialogs.Shown[0].Cislo, QStringLiteral("0049,30,1234567"));
    QCOMPARE(f.Dialogs.Shown[0].Linka, QStringLiteral("12"));
    // Nothing listed: no entry to dial from.
    e.SetEnabled(false);
    f.Commands.TelefonDblClick(7);
    QCOMPARE(f.Dialogs.Shown.size(), 1);
}

void TestDialling::noSecondCallWhileOneRuns()
{
    TDialFixture f;
    bool second = true;
    f.Dialogs.DuringCall = [&] {
        f.Call.Start();
        second = f.Commands.DialNumber(QStringLiteral("420"), QStringLiteral("2"), QStringLiteral("9"), {});
        f.Call.Hangup();
    };
    QVERIFY(f.Commands.DialNumber(QStringLiteral("420"), QStringLiteral("2"), QStringLiteral("1"), {}));
    QVERIFY(!second);
    QCOMPARE(f.Dialogs.Shown.size(), 1);
    QCOMPARE(f.Port.Written, QByteArray("ATZ\r+++ATH\r"));
}

void TestDialling::settingsDialogEditsInMemory_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("Použít") << true;
    QTest::newRow("Zrušit") << false;
}

void TestDialling::settingsDialogEditsInMemory()
{
    QFETCH(bool, confirm);
    TDialFixture f;
    f.Dialogs.Edit = [&](TSettings &s) {
        s.Stat = QStringLiteral("420 ");
        s.Povolit = false;
        s.Zarizeni[0] = QStringLiteral("/dev/ttyACM0");
        return confirm;
    };
    f.Commands.IVytaceniClick();
    QCOMPARE(f.S->Settings.Stat, confirm ? QStringLiteral("420 ") : QStringLiteral("420"));
    QCOMPARE(f.S->Settings.Zarizeni[0], confirm ? QStringLiteral("/dev/ttyACM0") : QStringLiteral("/dev/ttyS0"));
    // Off, a double-click does nothing from then on.
    QCOMPARE(f.Commands.DialNumber(QStringLiteral("420"), QStringLiteral("2"), QStringLiteral("1"), {}), !confirm);
}

void TestDialling::portField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port");
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("4") << "4" << 4;
    QTest::newRow("9") << "9" << 4;
    QTest::newRow("0") << "0" << 1;
    QTest::newRow("letter") << "x" << 1;
    QTest::newRow("empty") << "" << 1;
}

void TestDialling::portField()
{
    QFETCH(QString, text);
    QFETCH(int, port);
    QCOMPARE(PortFromText(text), port);
}

QTEST_GUILESS_MAIN(TestDialling)
#include "tst_dialling.moc"

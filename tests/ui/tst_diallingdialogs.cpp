#include "app/VorlinkApp.h"
#include "dialling/ModemCall.h"
#include "dialling/SecondTicker.h"
#include "dialling/ui/QtSerialPort.h"
#include "dialling/ui/FormVytaKonf.h"
#include "dialling/ui/FormVytaceni.h"
#include "dialling/ui/WidgetDiallingDialogs.h"
#include "session/Session.h"
#include "session/ui/EditorPages.h"
#include "session/ui/FormMain.h"

#include "FakePrompt.h"
#include "TestBook.h"
#include "dialling/ScriptedPort.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using TestBook::Entry;

namespace {

// Runs `act` on the next modal dialog once it is the active window.
void OnNextDialog(std::function<void(QDialog *)> act)
{
    QTimer::singleShot(0, [act] {
        QDialog *d = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) && d->isActiveWindow(),
                                 5000);
        act(d);
        QTimer::singleShot(3000, d, [d] {
            if (d->isVisible())
                d->done(-1);
        });
    });
}

// A person who reads a message at once, or who leaves it open for some seconds.
class TSlowPrompt : public TFakePrompt
{
public:
    std::function<void()> WhileShown;
    int Hlaska(const QString &text, THlaskaKind kind) override
    {
        if (WhileShown)
            WhileShown();
        return TFakePrompt::Hlaska(text, kind);
    }
};

} // namespace

class TestDiallingDialogs : public QObject
{
    Q_OBJECT

private slots:
    void doubleClickOpensTheCall_data();
    void doubleClickOpensTheCall();
    void settingsDialog();
    void vanishedModemClosesTheWindow_data();
    void vanishedModemClosesTheWindow();
};

void TestDiallingDialogs::doubleClickOpensTheCall_data()
{
    QTest::addColumn<bool>("frame");
    QTest::newRow("number field") << false;
    QTest::newRow("group frame") << true;
}

// A pseudo-terminal with nothing answering behind it stands for a silent modem.
void TestDiallingDialogs::doubleClickOpensTheCall()
{
    QFETCH(bool, frame);
    const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
    if (socat.isEmpty())
        QSKIP("socat is needed for a pseudo-terminal pair (scripts/deps.sh installs it)");
    QTemporaryDir dir;
    const QString tag = QFileInfo(dir.path()).fileName();
    const QString nearEnd = dir.filePath(tag + QStringLiteral("-pc"));
    QProcess line;
    line.start(socat, {QStringLiteral("pty,raw,echo=0,link=") + nearEnd,
                       QStringLiteral("pty,raw,echo=0,link=") + dir.filePath(tag + QStringLiteral("-modem"))});
    QTRY_VERIFY(QFileInfo::exists(nearEnd));
    auto stop = qScopeGuard([&] {
        line.kill();
        line.waitForFinished(3000);
    });

    TContactRecord r = Entry("Novák");
    r.SetText(EField::VStatu4, "420");
    r.SetText(EField::VMista4, "5");
    r.SetText(EField::Telefon4, "41234567");
    r.SetText(EField::Linka4, "12");
    TestBook::WriteFile(dir.filePath(QStringLiteral("kniha.wdt")), TestBook::FileBytes(TBookLabels::Defaults(), {r}));
    const QString ini = dir.filePath(QStringLiteral("settings.ini"));
    {
        QSettings s(ini, QSettings::IniFormat);
        s.setValue(QStringLiteral("Modem/Povolit"), QStringLiteral("1"));
        s.setValue(QStringLiteral("Modem/Port"), QStringLiteral("4"));
        s.setValue(QStringLiteral("Modem/Zarizeni4"), nearEnd);
    }
    TFakePrompt prompt;
    TFixedClock clock;
    TVorlinkApp app(prompt, clock, ini);
    app.Start({dir.filePath(QStringLiteral("kniha.wdt"))}, dir.path() + QLatin1Char('/'), dir.path() + QLatin1Char('/'));
    TFormMain &w = app.Window();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.Pages()->setCurrentIndex(TEditorPages::PTelefon);

    QString title;
    QStringList labels;
    int gauge = -1;
    OnNextDialog([&](QDialog *d) {
        title = d->windowTitle();
        for (const char *name : {"TextC", "Cislo", "TextL", "Linka"})
            labels.append(d->findChild<QLabel *>(QString::fromLatin1(name))->text());
        QTRY_COMPARE(app.Call().State(), TCallState::WaitingForOk);
        gauge = d->findChild<QProgressBar *>(QStringLiteral("Gauge1"))->value();
        QTest::keyClick(d, Qt::Key_Return); // "&Zavěsit"
    });
    if (frame) {
        QGroupBox *g = w.Pages()->GTelefon(4);
        QTest::mouseDClick(g, Qt::LeftButton, {}, QPoint(2, g->height() / 2));
    } else {
        QTest::mouseDClick(w.Pages()->Edit(EField::Linka4), Qt::LeftButton);
    }
    QCOMPARE(title, QString::fromUtf8("Vytáčení čísla"));
    QCOMPARE(labels, (QStringList {QString::fromUtf8("Vytáčí se číslo"), QStringLiteral("05,41234567"),
                                   QString::fromUtf8("Po připojení žádejte linku"), QStringLiteral("12")}));
    QCOMPARE(gauge, 100);
    QCOMPARE(prompt.Texts(), QStringList());
    QCOMPARE(app.Call().State(), TCallState::Closed);
    QVERIFY(!app.DiallingDialogs().FormVytaceni()->isVisible());
}

void TestDiallingDialogs::settingsDialog()
{
    TSettings settings;
    TQtSerialPort port;
    TSecondTicker ticker;
    TFakePrompt prompt;
    TModemCall call(settings, port, ticker, prompt);
    TWidgetDiallingDialogs dialogs(call);
    TFormVytaKonf *form = dialogs.FormVytaKonf();
    QCOMPARE(form->windowTitle(), QString::fromUtf8("Nastavení vytáčení"));
    const int limits[] = {5, 5, 5, 5, 40, 20, 40};
    for (int i = 0; i < 7; ++i)
        QCOMPARE(form->findChild<QLineEdit *>(QStringLiteral("Edit%1").arg(i + 1))->maxLength(), limits[i]);

    struct TCase
    {
        const char *port;
        Qt::Key key;
        int stored;
    };
    for (const TCase c : {TCase {"9", Qt::Key_Return, 4}, TCase {"0", Qt::Key_Return, 1}, TCase {"x", Qt::Key_Return, 1},
                          TCase {"3", Qt::Key_Escape, 2}}) {
        TSettings s;
        s.Povolit = true;
        OnNextDialog([&](QDialog *d) {
            auto *stat = d->findChild<QLineEdit *>(QStringLiteral("Edit1"));
            stat->selectAll();
            QTest::keyClicks(stat, QStringLiteral("420 "));
            auto *spin = d->findChild<QSpinBox *>(QStringLiteral("SpinEdit1"));
            spin->setFocus();
            spin->selectAll();
            QTest::keyClicks(spin, QString::fromLatin1(c.port));
            auto *device = d->findChild<QLineEdit *>(QStringLiteral("Zarizeni1"));
            device->setText(QStringLiteral("/dev/ttyACM0"));
            QVERIFY(d->findChild<QCheckBox *>(QStringLiteral("cbSystem"))->isEnabled());
            d->findChild<QCheckBox *>(QStringLiteral("cbEnable"))->setChecked(false);
            QVERIFY(!d->findChild<QCheckBox *>(QStringLiteral("cbSystem"))->isEnabled());
            QTest::keyClick(spin, c.key);
        });
        const bool confirmed = c.key == Qt::Key_Return;
        QCOMPARE(form->Edit(s), confirmed);
        QCOMPARE(int(s.Port), c.stored);
        QCOMPARE(s.Stat, confirmed ? QStringLiteral("420 ") : QString());
        QCOMPARE(s.Zarizeni[0], confirmed ? QStringLiteral("/dev/ttyACM0") : QStringLiteral("/dev/ttyS0"));
        QCOMPARE(s.Povolit, !confirmed);
    }
}

void TestDiallingDialogs::vanishedModemClosesTheWindow_data()
{
    QTest::addColumn<int>("unanswered"); // seconds the message stays open
    QTest::newRow("message answered") << 0;
    QTest::newRow("message left open past the countdown") << TModemCall::kSeconds;
}

void TestDiallingDialogs::vanishedModemClosesTheWindow()
{
    QFETCH(int, unanswered);
    TSettings settings;
    settings.Port = 1;
    TScriptedPort port;
    TManualTicker ticker;
    TSlowPrompt prompt;
    TModemCall call(settings, port, ticker, prompt);
    TFormVytaceni form(call);
    call.SetLabels({QString::fromUtf8("Vytáčí se číslo"), QStringLiteral("41234567"), {}, {}});
    bool openDuringMessage = false;
    prompt.WhileShown = [&] {
        openDuringMessage = form.isVisible();
        ticker.Advance(unanswered);
    };
    bool closedByTheCall = false;
    QTimer::singleShot(0, &form, [&] {
        // Whatever fails here, the window must not stay open.
        auto close = qScopeGuard([&] {
            if (form.isVisible())
                form.done(-1);
        });
        QTRY_COMPARE(call.State(), TCallState::WaitingForOk);
        port.Reply("OK");
        ticker.Advance(10);
        port.Vanish();
        QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 2000);
        closedByTheCall = true;
    });
    form.ShowCall();
    QVERIFY(closedByTheCall);
    QVERIFY(openDuringMessage);
    QCOMPARE(prompt.Texts(), QStringList {QString::fromUtf8("Spojení s modemem se přerušilo; hovor je ukončen.")});
    QCOMPARE(call.State(), TCallState::Closed);
    QVERIFY(!ticker.Running);
    QVERIFY(!port.IsOpen);
    QCOMPARE(port.Written, QByteArray("ATZ\rATX3DP41234567\r"));
}

QTEST_MAIN(TestDiallingDialogs)
#include "tst_diallingdialogs.moc"

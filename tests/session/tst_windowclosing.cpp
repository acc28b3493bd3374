#include "session/WindowClosing.h"

#include "SessionFixture.h"

#include <QSettings>
#include <QtTest>

Q_DECLARE_METATYPE(TCloseTrigger)
Q_DECLARE_METATYPE(TCloseResult)

namespace {

class TScriptedWork : public IClosingWork
{
public:
    bool Running() const override { return IsRunning; }
    QString StopQuestion() const override { return QStringLiteral("Zastavit?"); }
    void Stop() override { ++Stops; }
    bool IsRunning = true;
    int Stops = 0;
};

} // namespace

class TestWindowClosing : public QObject
{
    Q_OBJECT

private slots:
    void close_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("lista");
        QTest::addColumn<TCloseTrigger>("trigger");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<TCloseResult>("result");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("listaAfter");
        using T = TCloseTrigger;
        using R = TCloseResult;
        const int ano = kHlaskaAno, ne = kHlaskaNe;
        // tray, Lista, trigger, unsaved, answer -> result, question asked, Lista after
        QTest::newRow("tray, Lista, close button") << true << true << T::Window << true << ano << R::Hidden << false << true;
        QTest::newRow("tray, Lista, Ukoncit") << true << true << T::Ukoncit << false << ano << R::Ends << false << false;
        QTest::newRow("tray, Lista, Ukoncit, unsaved, Ne") << true << true << T::Ukoncit << true << ne << R::Refused << true << false;
        QTest::newRow("tray, Lista, Ukoncit, unsaved, Ano") << true << true << T::Ukoncit << true << ano << R::Ends << true << false;
        QTest::newRow("tray, Lista, Konec") << true << true << T::Konec << false << ano << R::Ends << false << false;
        QTest::newRow("tray, no Lista, close button") << true << false << T::Window << false << ano << R::Ends << false << false;
        QTest::newRow("tray, no Lista, unsaved, Ne") << true << false << T::Window << true << ne << R::Refused << true << false;
        // Without a tray nothing hides: the window would be out of reach.
        QTest::newRow("no tray, Lista, close button") << false << true << T::Window << false << ano << R::Ends << false << true;
        QTest::newRow("no tray, Lista, unsaved, Ne") << false << true << T::Window << true << ne << R::Refused << true << true;
        QTest::newRow("no tray, Lista, Ukoncit") << false << true << T::Ukoncit << true << ano << R::Ends << true << false;
        QTest::newRow("no tray, no Lista, Konec") << false << false << T::Konec << false << ano << R::Ends << false << false;
    }

    void close()
    {
        QFETCH(bool, tray);
        QFETCH(bool, lista);
        QFETCH(TCloseTrigger, trigger);
        QFETCH(bool, changed);
        QFETCH(int, answer);
        QFETCH(TCloseResult, result);
        QFETCH(bool, asked);
        QFETCH(bool, listaAfter);
        TSessionFixture f;
        TWindowClosing closing(*f.S, *f.Docs);
        f.S->Settings.Lista = lista;
        f.S->Book.Changed = changed;
        f.S->Recent.SetFiles({QStringLiteral("/x/a.wdt")});
        f.Prompt.Answers.enqueue(answer);
        QCOMPARE(closing.Close(trigger, tray), result);
        QCOMPARE(f.Prompt.Shown.size(), asked ? 1 : 0);
        QCOMPARE(f.S->Settings.Lista, listaAfter);
        // Only an ending stores the settings and the recent files.
        QSettings ini(f.Path("settings.ini"), QSettings::IniFormat);
        QCOMPARE(ini.contains(QStringLiteral("Historie/Historie0")), result == TCloseResult::Ends);
        // Once agreed, the close that follows passes without a second question.
        if (result == TCloseResult::Ends) {
            f.Prompt.Reset();
            QCOMPARE(closing.Close(TCloseTrigger::Window, tray), TCloseResult::Ends);
            QVERIFY(f.Prompt.Shown.isEmpty());
        }
    }

    void closeDuringWork_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<TCloseTrigger>("trigger");
        QTest::addColumn<int>("answer");
        QTest::addColumn<TCloseResult>("result");
        const int ano = kHlaskaAno, ne = kHlaskaNe;
        QTest::newRow("nothing runs") << false << TCloseTrigger::Window << ano << TCloseResult::Ends;
        QTest::newRow("running, stopped") << true << TCloseTrigger::Window << ano << TCloseResult::Waiting;
        QTest::newRow("running, stopped from the tray") << true << TCloseTrigger::Ukoncit << ano << TCloseResult::Waiting;
        QTest::newRow("running, kept") << true << TCloseTrigger::Window << ne << TCloseResult::Refused;
    }

    // Running work is asked about before anything else; stopped on yes, the close waits
    // for it and is done again as it was asked for. Kept on no, nothing is agreed: the
    // book's own question still comes at the next close.
    void closeDuringWork()
    {
        QFETCH(bool, running);
        QFETCH(TCloseTrigger, trigger);
        QFETCH(int, answer);
        QFETCH(TCloseResult, result);
        TSessionFixture f;
        TWindowClosing closing(*f.S, *f.Docs);
        TScriptedWork work;
        work.IsRunning = running;
        closing.SetWork(&work);
        f.Prompt.Answers.enqueue(answer);
        QCOMPARE(closing.Close(trigger, false), result);
        QCOMPARE(f.Prompt.Texts(), running ? QStringList {QStringLiteral("Zastavit?")} : QStringList());
        QCOMPARE(work.Stops, result == TCloseResult::Waiting ? 1 : 0);
        f.Prompt.Reset();
        if (result == TCloseResult::Waiting) {
            // Closed again while it stops: no second question, no second stop.
            QCOMPARE(closing.Close(TCloseTrigger::Window, false), TCloseResult::Waiting);
            QVERIFY(f.Prompt.Shown.isEmpty());
            QCOMPARE(work.Stops, 1);
            work.IsRunning = false;
            QCOMPARE(closing.WorkStopped(), std::optional<TCloseTrigger>(trigger));
            QCOMPARE(closing.WorkStopped(), std::optional<TCloseTrigger>());
            QCOMPARE(closing.Close(trigger, false), TCloseResult::Ends);
        }
        if (result == TCloseResult::Refused) {
            work.IsRunning = false;
            QCOMPARE(closing.WorkStopped(), std::optional<TCloseTrigger>());
            f.S->Book.Changed = true;
            f.Prompt.Answers.enqueue(kHlaskaNe);
            QCOMPARE(closing.Close(TCloseTrigger::Window, false), TCloseResult::Refused);
            QCOMPARE(f.Prompt.Shown.size(), 1);
        }
    }

    void showAtStart_data()
    {
        QTest::addColumn<bool>("startHidden");
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("shown");
        QTest::newRow("plain start") << false << true << true;
        QTest::newRow("/l with a tray") << true << true << false;
        QTest::newRow("/l without a tray") << true << false << true;
        QTest::newRow("plain start, no tray") << false << false << true;
    }

    void showAtStart()
    {
        QFETCH(bool, startHidden);
        QFETCH(bool, tray);
        QFETCH(bool, shown);
        QCOMPARE(TWindowClosing::ShowAtStart(startHidden, tray), shown);
    }

    void logOff_data()
    {
        QTest::addColumn<bool>("lista");
        QTest::addColumn<bool>("mayAsk");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("agrees");
        QTest::addColumn<bool>("asked");
        QTest::newRow("Lista, unchanged") << true << true << false << int(kHlaskaAno) << true << false;
        QTest::newRow("Lista, unsaved, Ano") << true << true << true << int(kHlaskaAno) << true << true;
        QTest::newRow("Lista, unsaved, Ne") << true << true << true << int(kHlaskaNe) << false << true;
        QTest::newRow("no questions allowed") << false << false << true << int(kHlaskaNe) << true << false;
    }

    void logOff()
    {
        QFETCH(bool, lista);
        QFETCH(bool, mayAsk);
        QFETCH(bool, changed);
        QFETCH(int, answer);
        QFETCH(bool, agrees);
        QFETCH(bool, asked);
        TSessionFixture f;
        TWindowClosing closing(*f.S, *f.Docs);
        f.S->Settings.Lista = lista;
        f.S->Book.Changed = changed;
        f.Prompt.Answers.enqueue(answer);
        QCOMPARE(closing.LogOffQuery(mayAsk), agrees);
        QCOMPARE(f.Prompt.Shown.size(), asked ? 1 : 0);
        // Agreed: the program ends with the system, also with "Lista" on and a tray.
        QCOMPARE(f.S->Settings.Lista, agrees ? false : lista);
        if (agrees) {
            f.Prompt.Reset();
            QCOMPARE(closing.Close(TCloseTrigger::Window, true), TCloseResult::Ends);
            QVERIFY(f.Prompt.Shown.isEmpty());
        }
        // The log-off did not happen and the person is back: "Lista" as before, and a
        // later close decides and asks again.
        closing.Resume();
        QCOMPARE(f.S->Settings.Lista, lista);
        QVERIFY(!closing.Agreed());
        f.Prompt.Answers.enqueue(kHlaskaNe);
        QCOMPARE(closing.Close(TCloseTrigger::Window, true),
                 lista ? TCloseResult::Hidden : (changed ? TCloseResult::Refused : TCloseResult::Ends));
    }
};

QTEST_GUILESS_MAIN(TestWindowClosing)
#include "tst_windowclosing.moc"

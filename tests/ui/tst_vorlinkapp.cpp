#include "app/VorlinkApp.h"
#include "session/Session.h"
#include "session/ui/EditorPages.h"
#include "session/ui/FormMain.h"
#include "session/ui/NameListView.h"

#include "FakePrompt.h"
#include "TestBook.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using TestBook::Cp;
using TestBook::Entry;

namespace {

// Closes the next modal dialog with Escape once it shows; records its title.
void AnswerNextDialog(QString *title, QStringList *listed = nullptr)
{
    QTimer::singleShot(0, [title, listed] {
        QDialog *d = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((d = qobject_cast<QDialog *>(QApplication::activeModalWidget())), 5000);
        *title = d->windowTitle();
        if (listed) {
            if (auto *list = d->findChild<QAbstractItemView *>()) {
                for (int i = 0; i < list->model()->rowCount(); ++i)
                    listed->append(list->model()->index(i, 0).data().toString());
            }
        }
        d->reject();
    });
}

struct TFixture
{
    QTemporaryDir Dir;
    TFakePrompt Prompt;
    TFixedClock Clock;
    std::unique_ptr<TVorlinkApp> App;

    explicit TFixture(const QList<TContactRecord> &records)
    {
        TBookLabels labels = TBookLabels::Defaults();
        labels.ReminderFlags[0] = true;
        TestBook::WriteFile(Dir.filePath(QStringLiteral("kniha.wdt")), TestBook::FileBytes(labels, records));
        TestBook::WriteFile(Dir.filePath(QStringLiteral("vorlink.sva")), Cp("24.06.    Jan\r\n19.03.    Josef\r\n"));
        App = std::make_unique<TVorlinkApp>(Prompt, Clock, Dir.filePath(QStringLiteral("settings.ini")));
        const QString dir = Dir.path() + QLatin1Char('/');
        App->Start({Dir.filePath(QStringLiteral("kniha.wdt"))}, dir, dir);
        App->Window().show();
        App->Window().activateWindow();
        Active = QTest::qWaitForWindowActive(&App->Window());
    }
    bool Active = false;
    TFormMain &W() { return App->Window(); }
    QLineEdit *Edit(EField f) { return W().Pages()->Edit(f); }
};

} // namespace

class TestVorlinkApp : public QObject
{
    Q_OBJECT

private slots:
    void everyBuiltCommandIsReachable_data();
    void everyBuiltCommandIsReachable();
    void leavingDateFieldsNormalisesThem();
    void firstNameOffersItsNameDay();
    void dialogTakingFocusDoesNotLeaveField();
    void clickAfterQuestionKeepsListAndEditorTogether_data();
    void clickAfterQuestionKeepsListAndEditorTogether();
    void anniversarySearchShowsItsWindow();
    void findNextWithoutTextOpensFind();
};

void TestVorlinkApp::everyBuiltCommandIsReachable_data()
{
    QTest::addColumn<QString>("action");
    for (const char *a : {"IMaska", "Zmnitlogiku1", "INajit", "INajitDalsi", "Koprovatzznam1", "Vloitzznam1",
                          "IVyhledat", "IUpozornovani", "IVytaceni"})
        QTest::newRow(a) << QString::fromLatin1(a);
}

void TestVorlinkApp::everyBuiltCommandIsReachable()
{
    QFETCH(QString, action);
    TFixture f({Entry("A")});
    QVERIFY(f.W().Action(action));
    QVERIFY(f.W().Action(action)->isEnabled());
    QVERIFY(f.W().Pages()->ButtonJmeniny()->isEnabled());
}

void TestVorlinkApp::leavingDateFieldsNormalisesThem()
{
    TFixture f({Entry("A"), Entry("B")});
    f.W().Pages()->setCurrentIndex(3);
    QLineEdit *birthday = f.Edit(EField::Narozeniny);
    birthday->setFocus();
    QTRY_VERIFY(birthday->hasFocus());
    birthday->selectAll();
    QTest::keyClicks(birthday, QStringLiteral("5.3.61"));
    f.Edit(EField::Svatek)->setFocus();
    QTRY_COMPARE(birthday->text(), QStringLiteral("05.03.1961"));
    QVERIFY(f.W().findChild<QLabel *>(QStringLiteral("Vek"))->text().startsWith(QStringLiteral("65 let")));
    QTest::keyClicks(f.Edit(EField::Svatek), QStringLiteral("24.6"));
    f.Edit(EField::Ico)->setFocus();
    QTRY_COMPARE(f.Edit(EField::Svatek)->text(), QStringLiteral("24.06."));
    QCOMPARE(f.W().findChild<QLabel *>(QStringLiteral("Jmeniny"))->text(), QStringLiteral("Jan"));
    QVERIFY(f.App->Window().Session().Book.Changed);
}

void TestVorlinkApp::firstNameOffersItsNameDay()
{
    TFixture f({Entry("A")});
    QLineEdit *first = f.Edit(EField::Jmeno);
    first->setFocus();
    QTRY_VERIFY(first->hasFocus());
    QTest::keyClicks(first, QStringLiteral("Josef"));
    f.Edit(EField::Prezdivka)->setFocus();
    QTRY_COMPARE(f.Edit(EField::Svatek)->text(), QStringLiteral("19.03."));
    QCOMPARE(f.Prompt.Texts(), (QStringList {QString::fromUtf8("Chcete vyhledat svátek"),
                                             QString::fromUtf8("Nalezen svátek dne 19.03.")}));
}

void TestVorlinkApp::dialogTakingFocusDoesNotLeaveField()
{
    TFixture f({Entry("A")});
    QVERIFY(f.Active);
    QLineEdit *number = f.Edit(EField::RodneCislo);
    number->setFocus();
    QTRY_VERIFY(number->hasFocus());
    QTest::keyClicks(number, QStringLiteral("806215/0009"));
    // A dialog opened from the keyboard takes the focus; the field is not left by that.
    QString title;
    AnswerNextDialog(&title);
    QTest::keyClick(number, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(title, QString::fromUtf8("Najít"));
    QVERIFY(f.Prompt.Shown.isEmpty());
    f.W().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.W()));
    // Moving to another field is leaving it: the message comes once.
    number->setFocus();
    QTRY_VERIFY2(number->hasFocus(), qPrintable(QApplication::activeWindow() ? QApplication::activeWindow()->objectName() + QLatin1Char('/') + (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString()) : QStringLiteral("none")));
    f.Edit(EField::Prezdivka)->setFocus();
    QTRY_COMPARE(f.Prompt.Shown.size(), 1);
    QCOMPARE(f.Prompt.Last(), QString::fromUtf8("Rodné číslo neodpovídá podmínkám"));
}

void TestVorlinkApp::clickAfterQuestionKeepsListAndEditorTogether_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("name day offered") << QStringLiteral("Josef") << QStringLiteral("B");
    // Without any name the entry cannot be left: the selection goes back to it.
    QTest::newRow("move refused") << QString() << QString();
}

// The question asked while the click takes the focus swallows the button's release; the
// press alone must still move list and editor together.
void TestVorlinkApp::clickAfterQuestionKeepsListAndEditorTogether()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    TFixture f({Entry("A"), Entry("B")});
    QVERIFY(f.Active);
    if (typed.isEmpty()) {
        QLineEdit *name = f.Edit(EField::NazevPolozky);
        name->setFocus();
        name->selectAll();
        QTest::keyClick(name, Qt::Key_Backspace);
    }
    QLineEdit *first = f.Edit(EField::Jmeno);
    first->setFocus();
    QTRY_VERIFY(first->hasFocus());
    QTest::keyClicks(first, typed.isEmpty() ? QStringLiteral("x") : typed);
    if (typed.isEmpty())
        QTest::keyClick(first, Qt::Key_Backspace);
    QAbstractItemView *list = f.W().ListBoxNazev();
    const QPoint row1 = list->visualRect(list->model()->index(1, 0)).center();
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, row1);
    QCOMPARE(f.Prompt.Texts().value(0), QString::fromUtf8("Chcete vyhledat svátek"));
    const TAddressBook &b = f.W().Session().Book;
    QCOMPARE(list->currentIndex().row(), int(b.CurrentIndex));
    QCOMPARE(f.Edit(EField::NazevPolozky)->text(), shown);
    QCOMPARE(b.CurrentIndex, typed.isEmpty() ? 0 : 1);
}

void TestVorlinkApp::anniversarySearchShowsItsWindow()
{
    TContactRecord r = Entry("Nováková Jana", 1);
    r.SetText(EField::Narozeniny, "08.12.1980");
    TFixture f({r});
    QString title;
    QStringList lines;
    AnswerNextDialog(&title, &lines);
    f.W().Action(QStringLiteral("IVyhledat"))->trigger();
    QCOMPARE(title, QString::fromUtf8("Nalezená výročí"));
    QCOMPARE(lines, QStringList {QString::fromUtf8("08.12. - Nováková Jana 46. narozeniny")});
}

void TestVorlinkApp::findNextWithoutTextOpensFind()
{
    TFixture f({Entry("A")});
    QVERIFY(f.Active);
    QString title;
    AnswerNextDialog(&title);
    QTest::keyClick(f.W().ListBoxNazev(), Qt::Key_F3);
    QCOMPARE(title, QString::fromUtf8("Najít"));
}

QTEST_MAIN(TestVorlinkApp)
#include "tst_vorlinkapp.moc"

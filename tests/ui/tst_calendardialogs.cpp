#include "calendar/ui/FormSvatek.h"
#include "calendar/ui/FormUpozKonf.h"
#include "calendar/ui/FormVyroci.h"
#include "calendar/ui/WidgetCalendarDialogs.h"
#include "util/Cp1250.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

QByteArray Cp(const char *utf8)
{
    return ToCp1250(QString::fromUtf8(utf8));
}

// Runs `act` once the modal dialog is up; whatever `act` does, the dialog is closed
// soon after, so a failed step cannot leave exec() waiting.
void WhenShown(QDialog *dialog, std::function<void()> act)
{
    QTimer::singleShot(5000, dialog, [dialog] {
        if (dialog->isVisible())
            dialog->done(-1);
    });
    auto *timer = new QTimer(dialog);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, dialog, [dialog, timer, act] {
        // Keys and focus belong to the active window: wait until the dialog is that.
        if (!dialog->isVisible() || QApplication::activeModalWidget() != dialog || !dialog->isActiveWindow())
            return;
        timer->stop();
        timer->deleteLater();
        act();
        QTimer::singleShot(1000, dialog, [dialog] {
            if (dialog->isVisible())
                dialog->done(-1);
        });
    });
    timer->start();
}

QStringList Rows(QListView *view)
{
    QStringList rows;
    for (int i = 0; i < view->model()->rowCount(); ++i)
        rows.append(view->model()->index(i, 0).data().toString());
    return rows;
}

const QList<QByteArray> kCalendar = {Cp("01.01.    Nový rok"), Cp("02.01.    Karina"), Cp("03.01.    Radmila"),
                                     Cp("19.03.    Josef")};

} // namespace

class TestCalendarDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void controls_data();
    void controls();
    void fixedFrames();
    void pickerKeys_data();
    void pickerKeys();
    void pickerKeepsSelection();
    void anniversaryWindow_data();
    void anniversaryWindow();
    void reminderSettings();
    void reminderSettingsKeys_data();
    void reminderSettingsKeys();

private:
    TWidgetCalendarDialogs *m_dialogs = nullptr;
};

void TestCalendarDialogs::init()
{
    m_dialogs = new TWidgetCalendarDialogs;
}

void TestCalendarDialogs::cleanup()
{
    delete m_dialogs;
    m_dialogs = nullptr;
}

void TestCalendarDialogs::controls_data()
{
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    auto row = [](const char *tag, int form, const char *name, const char *text) {
        QTest::newRow(tag) << form << QString::fromUtf8(name) << QString::fromUtf8(text);
    };
    row("picker list", 0, "ListBoxSvatek", "");
    row("picker confirm", 0, "ButtonOk", "&Vybrat");
    row("picker cancel", 0, "ButtonNe", "&Zpět");
    row("results list", 1, "ListBoxNasel", "");
    row("results check box", 1, "CheckBox", "&Příště již neopakovat hledání prošlých výročí");
    row("results close", 1, "Button1", "&Konec");
    row("settings automatic", 2, "AutoHledat", "Prohledat při otevření souboru");
    row("settings look-ahead", 2, "SpinEdit1", "");
    row("settings before", 2, "Label1", "Hledat dopředu na");
    row("settings after", 2, "Label2", "dní");
    row("settings heading", 2, "Label3", "Hledat pro následující podmínky");
    row("settings flag 1", 2, "Log1", "");
    row("settings flag 10", 2, "Log10", "");
    row("settings confirm", 2, "ButtonOk", "&Použít");
    row("settings cancel", 2, "ButtonNe", "&Zrušit");
}

void TestCalendarDialogs::controls()
{
    QFETCH(int, form);
    QFETCH(QString, name);
    QFETCH(QString, text);

    const QList<QDialog *> forms = {m_dialogs->FormSvatek(), m_dialogs->FormVyroci(), m_dialogs->FormUpozKonf()};
    QWidget *w = forms.at(form)->findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    if (!text.isEmpty())
        QCOMPARE(w->property("text").toString(), text);
}

void TestCalendarDialogs::fixedFrames()
{
    const QList<QPair<QDialog *, QString>> forms = {
        {m_dialogs->FormSvatek(), QString::fromUtf8("Vyberte svátek")},
        {m_dialogs->FormVyroci(), QString::fromUtf8("Nalezená výročí")},
        {m_dialogs->FormUpozKonf(), QString::fromUtf8("Nastavení výročí a úkolů")},
    };
    for (const auto &[form, title] : forms) {
        QCOMPARE(form->windowTitle(), title);
        QVERIFY(form->windowFlags() & Qt::CustomizeWindowHint);
        QVERIFY(!(form->windowFlags() & Qt::WindowCloseButtonHint));
    }
    QVERIFY(m_dialogs->FormVyroci()->findChild<QPushButton *>(QStringLiteral("Button1"))->isDefault());
    auto *spin = m_dialogs->FormUpozKonf()->findChild<QSpinBox *>(QStringLiteral("SpinEdit1"));
    QCOMPARE(spin->minimum(), 0);
    QCOMPARE(spin->maximum(), 365);
    QVERIFY(m_dialogs->FormUpozKonf()->findChild<QLabel *>(QStringLiteral("Label3"))->font().bold());
}

void TestCalendarDialogs::pickerKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("confirmed");

    QTest::newRow("Enter picks") << int(Qt::Key_Return) << true;
    QTest::newRow("keypad Enter picks") << int(Qt::Key_Enter) << true;
    QTest::newRow("Escape goes back") << int(Qt::Key_Escape) << false;
}

void TestCalendarDialogs::pickerKeys()
{
    QFETCH(int, key);
    QFETCH(bool, confirmed);

    TFormSvatek *form = m_dialogs->FormSvatek();
    auto *list = form->findChild<QListView *>(QStringLiteral("ListBoxSvatek"));
    bool listHadFocus = false;
    WhenShown(form, [&] {
        listHadFocus = list->hasFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key(key));
    });
    qsizetype selected = 1;
    QCOMPARE(m_dialogs->PickNameDay(kCalendar, selected), confirmed);
    QCOMPARE(selected, 2);
    QVERIFY(listHadFocus);
    QCOMPARE(Rows(list).last(), QString::fromUtf8("19.03.    Josef"));
}

void TestCalendarDialogs::pickerKeepsSelection()
{
    TFormSvatek *form = m_dialogs->FormSvatek();
    WhenShown(form, [form] { form->findChild<QPushButton *>(QStringLiteral("ButtonNe"))->click(); });
    qsizetype selected = 3;
    QVERIFY(!m_dialogs->PickNameDay(kCalendar, selected));
    QCOMPARE(selected, 3);

    // No day to show: the picker opens where it was left.
    qsizetype shown = -2;
    WhenShown(form, [form, &shown] {
        shown = form->Selected();
        form->findChild<QPushButton *>(QStringLiteral("ButtonOk"))->click();
    });
    selected = -1;
    QVERIFY(m_dialogs->PickNameDay(kCalendar, selected));
    QCOMPARE(shown, 3);
    QCOMPARE(selected, 3);
}

void TestCalendarDialogs::anniversaryWindow_data()
{
    QTest::addColumn<bool>("ackIn");
    QTest::addColumn<bool>("toggle");
    QTest::addColumn<int>("key");

    QTest::newRow("check and Enter") << false << true << int(Qt::Key_Return);
    QTest::newRow("kept checked, Escape") << true << false << int(Qt::Key_Escape);
    QTest::newRow("uncheck") << true << true << int(Qt::Key_Return);
}

void TestCalendarDialogs::anniversaryWindow()
{
    QFETCH(bool, ackIn);
    QFETCH(bool, toggle);
    QFETCH(int, key);

    TFormVyroci *form = m_dialogs->FormVyroci();
    auto *check = form->findChild<QCheckBox *>(QStringLiteral("CheckBox"));
    auto *list = form->findChild<QListView *>(QStringLiteral("ListBoxNasel"));
    bool shownChecked = !ackIn;
    QStringList rows;
    WhenShown(form, [&] {
        shownChecked = check->isChecked();
        rows = Rows(list);
        if (toggle)
            check->click();
        QTest::keyClick(check, Qt::Key(key));
    });
    const QList<QByteArray> lines = {Cp("15.12. - Nováková Jana 40. narozeniny svátek"), Cp("16.12. - Adam svátek")};
    bool ack = ackIn;
    m_dialogs->ShowAnniversaries(lines, ack);
    QCOMPARE(shownChecked, ackIn);
    QCOMPARE(ack, toggle ? !ackIn : ackIn);
    QCOMPARE(rows, (QStringList {QString::fromUtf8("15.12. - Nováková Jana 40. narozeniny svátek"),
                                 QString::fromUtf8("16.12. - Adam svátek")}));
    QVERIFY(!form->isVisible());
}

void TestCalendarDialogs::reminderSettings()
{
    TFormUpozKonf *form = m_dialogs->FormUpozKonf();
    TReminderChoice in;
    in.AutoHledat = true;
    in.Days = 14;
    in.Flags[2] = true;
    for (int i = 0; i < 10; ++i)
        in.Captions[size_t(i)] = Cp("Příznak ") + QByteArray::number(i + 1);
    in.Captions[9] = Cp("Pes & kočka");

    QStringList captions;
    QList<bool> states;
    int days = -1;
    WhenShown(form, [&] {
        for (int i = 1; i <= 10; ++i) {
            auto *box = form->findChild<QCheckBox *>(QStringLiteral("Log%1").arg(i));
            captions.append(box->text());
            states.append(box->isChecked());
        }
        days = form->findChild<QSpinBox *>(QStringLiteral("SpinEdit1"))->value();
        form->findChild<QCheckBox *>(QStringLiteral("Log3"))->click();
        form->findChild<QCheckBox *>(QStringLiteral("Log5"))->click();
        form->findChild<QCheckBox *>(QStringLiteral("AutoHledat"))->click();
        form->findChild<QSpinBox *>(QStringLiteral("SpinEdit1"))->setValue(400); // beyond the bound
        form->findChild<QPushButton *>(QStringLiteral("ButtonOk"))->click();
    });
    TReminderChoice c = in;
    QVERIFY(m_dialogs->EditReminders(c));
    QCOMPARE(days, 14);
    QCOMPARE(captions.at(0), QString::fromUtf8("Příznak 1"));
    QCOMPARE(captions.at(9), QString::fromUtf8("Pes && kočka"));
    QCOMPARE(states, (QList<bool> {false, false, true, false, false, false, false, false, false, false}));
    QCOMPARE(c.AutoHledat, false);
    QCOMPARE(c.Days, 365);
    std::array<bool, 10> flags {};
    flags[4] = true;
    QCOMPARE(c.Flags, flags);
}

void TestCalendarDialogs::reminderSettingsKeys_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<int>("days");

    QTest::newRow("Enter in the field") << QStringLiteral("30") << int(Qt::Key_Return) << true << 30;
    QTest::newRow("emptied field reads 0") << QString() << int(Qt::Key_Enter) << true << 0;
    QTest::newRow("Escape changes nothing") << QStringLiteral("30") << int(Qt::Key_Escape) << false << 14;
}

void TestCalendarDialogs::reminderSettingsKeys()
{
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(bool, confirmed);
    QFETCH(int, days);

    TFormUpozKonf *form = m_dialogs->FormUpozKonf();
    auto *spin = form->findChild<QSpinBox *>(QStringLiteral("SpinEdit1"));
    WhenShown(form, [&] {
        auto *edit = spin->findChild<QLineEdit *>();
        spin->setFocus();
        edit->setText(typed);
        QTest::keyClick(edit, Qt::Key(key));
    });
    TReminderChoice c;
    c.Days = 14;
    c.Flags[0] = true;
    QCOMPARE(m_dialogs->EditReminders(c), confirmed);
    QCOMPARE(c.Days, days);
    QVERIFY(c.Flags[0]);
}

QTEST_MAIN(TestCalendarDialogs)
#include "tst_calendardialogs.moc"

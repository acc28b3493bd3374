#include "book/BookLabels.h"
#include "mask/ui/FormHledat.h"
#include "mask/ui/FormLogEdit.h"
#include "mask/ui/FormMaska.h"
#include "mask/ui/WidgetMaskDialogs.h"
#include "util/Cp1250.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

QString U(const char *utf8) { return QString::fromUtf8(utf8); }

TBookLabels Labels()
{
    TBookLabels l = TBookLabels::Defaults();
    for (int i = 0; i < kFlagCount; ++i)
        l.FlagCaptions[size_t(i)] = ToCp1250(U("Příznak č. ") + QString::number(i + 1));
    return l;
}

QString Caption(QWidget *w)
{
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text();
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    return w->windowTitle();
}

// Answers the next modal dialog once it is up; whatever happens, it does not stay open.
void WhenShown(QDialog *d, std::function<void()> act)
{
    QTimer::singleShot(0, d, [d, act] {
        auto close = qScopeGuard([d] {
            if (d->isVisible())
                d->reject();
        });
        act();
    });
}

template<typename T>
T *Child(QWidget *parent, const QString &name)
{
    return parent->findChild<T *>(name);
}

} // namespace

class TestMaskDialogs : public QObject
{
    Q_OBJECT

private slots:
    void controls_data();
    void controls();
    void frames();
    void keys_data();
    void keys();
    void maskShowsEarlierChoices();
    void logEditStartsAtKeep();
    void findKeepsTextAndStart();
};

void TestMaskDialogs::controls_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");

    for (const char *form : {"FormMaska", "FormLogEdit"}) {
        const QString f = QString::fromLatin1(form);
        for (int i = 1; i <= kFlagCount; i += 9) {
            const QString n = QString::number(i);
            QTest::addRow("%s l%d", form, i) << f << QStringLiteral("l") + n << U("Příznak č. ") + n;
            QTest::addRow("%s a%d", form, i) << f << QStringLiteral("a") + n << U("Ano");
            QTest::addRow("%s n%d", form, i) << f << QStringLiteral("n") + n << U("Ne");
            QTest::addRow("%s f%d", form, i) << f << QStringLiteral("f") + n
                                             << U(f == QLatin1String("FormMaska") ? "Je to fuk" : "Neměnit");
        }
        QTest::addRow("%s Pouzit", form) << f << U("ButtonPouzit") << U("&Použít");
        QTest::addRow("%s Zpet", form) << f << U("ButtonZpet") << U("&Zpět");
    }
    QTest::newRow("FormMaska title") << U("FormMaska") << U("FormMaska") << U("Zadajte masku zobrazení");
    QTest::newRow("FormMaska Vsechno") << U("FormMaska") << U("ButtonVsechno") << U("&Všechno");
    QTest::newRow("FormLogEdit title") << U("FormLogEdit") << U("FormLogEdit")
                                       << U("Zadajte požadované změny pro aktuální masku zobrazení");
    QTest::newRow("FormLogEdit v4") << U("FormLogEdit") << U("v4") << U("Negace");
    QTest::newRow("FormHledat title") << U("FormHledat") << U("FormHledat") << U("Najít");
    QTest::newRow("FormHledat Label1") << U("FormHledat") << U("Label1")
                                       << U("Zadejte řetězec, jehož výskyt v názvu chcete vyhledat:");
    QTest::newRow("FormHledat Edithledej") << U("FormHledat") << U("Edithledej") << QString();
    QTest::newRow("FormHledat OdZacatku") << U("FormHledat") << U("OdZacatku") << U("Hledat od z&ačátku");
    QTest::newRow("FormHledat Pokracovat") << U("FormHledat") << U("Pokracovat")
                                           << U("Hledat od současné &pozice do konce");
    QTest::newRow("FormHledat ButtonOk") << U("FormHledat") << U("ButtonOk") << U("&Vyhledat");
    QTest::newRow("FormHledat ButtonNe") << U("FormHledat") << U("ButtonNe") << U("&Zpět");
}

void TestMaskDialogs::controls()
{
    QFETCH(QString, form);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    TWidgetMaskDialogs d;
    d.FormMaska()->Activate(Labels(), TMaskChoices {});
    d.FormLogEdit()->Activate(Labels());
    QWidget *f = form == QLatin1String("FormMaska") ? static_cast<QWidget *>(d.FormMaska())
               : form == QLatin1String("FormLogEdit") ? static_cast<QWidget *>(d.FormLogEdit())
                                                       : static_cast<QWidget *>(d.FormHledat());
    QCOMPARE(f->objectName(), form);
    QWidget *w = name == form ? f : Child<QWidget>(f, name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(Caption(w), caption);
}

void TestMaskDialogs::frames()
{
    TWidgetMaskDialogs d;
    for (QDialog *f : std::initializer_list<QDialog *> {d.FormMaska(), d.FormLogEdit(), d.FormHledat()}) {
        QVERIFY(!(f->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(f->isModal());
    }
    // The choices of a row exclude each other; the start choice too.
    TFormMaska &m = *d.FormMaska();
    m.Activate(Labels(), TMaskChoices {});
    Child<QRadioButton>(&m, U("a3"))->click();
    Child<QRadioButton>(&m, U("n3"))->click();
    QVERIFY(!Child<QRadioButton>(&m, U("a3"))->isChecked());
    QVERIFY(Child<QRadioButton>(&m, U("f4"))->isChecked());
    QVERIFY(Child<QRadioButton>(d.FormHledat(), U("OdZacatku"))->isChecked());
}

void TestMaskDialogs::keys_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("confirmed");

    QTest::newRow("mask enter on a row") << U("FormMaska") << U("n2") << int(Qt::Key_Return) << true;
    QTest::newRow("mask enter on Zpet") << U("FormMaska") << U("ButtonZpet") << int(Qt::Key_Enter) << true;
    QTest::newRow("mask escape") << U("FormMaska") << U("a1") << int(Qt::Key_Escape) << false;
    QTest::newRow("logedit enter") << U("FormLogEdit") << U("v5") << int(Qt::Key_Return) << true;
    QTest::newRow("logedit escape") << U("FormLogEdit") << U("ButtonPouzit") << int(Qt::Key_Escape) << false;
    QTest::newRow("find enter in edit") << U("FormHledat") << U("Edithledej") << int(Qt::Key_Return) << true;
    QTest::newRow("find escape") << U("FormHledat") << U("Edithledej") << int(Qt::Key_Escape) << false;
}

void TestMaskDialogs::keys()
{
    QFETCH(QString, form);
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, confirmed);
    TWidgetMaskDialogs d;
    QDialog *f = form == QLatin1String("FormMaska") ? static_cast<QDialog *>(d.FormMaska())
               : form == QLatin1String("FormLogEdit") ? static_cast<QDialog *>(d.FormLogEdit())
                                                       : static_cast<QDialog *>(d.FormHledat());
    WhenShown(f, [&] {
        QWidget *w = Child<QWidget>(f, focus);
        QVERIFY(w);
        w->setFocus();
        QTest::keyClick(w, Qt::Key(key));
    });
    bool ok = false;
    if (f == d.FormMaska()) {
        TMaskChoices c {};
        ok = d.EditMask(c, Labels()) == TMaskButton::Pouzit;
    } else if (f == d.FormLogEdit()) {
        TFlagActions a {};
        ok = d.AskFlagChanges(a, Labels());
    } else {
        QString text;
        bool fromStart = false;
        ok = d.AskFind(text, fromStart);
    }
    QCOMPARE(ok, confirmed);
    QVERIFY(!f->isVisible());
}

void TestMaskDialogs::maskShowsEarlierChoices()
{
    TWidgetMaskDialogs d;
    TFormMaska *f = d.FormMaska();
    TMaskChoices c {};
    c[0] = TMaskChoice::Set;
    c[1] = TMaskChoice::Clear;
    bool shown = false;
    WhenShown(f, [&] {
        shown = Child<QRadioButton>(f, U("a1"))->isChecked() && Child<QRadioButton>(f, U("n2"))->isChecked()
             && Child<QRadioButton>(f, U("f3"))->isChecked()
             && Child<QLabel>(f, U("l10"))->text() == U("Příznak č. 10");
        Child<QRadioButton>(f, U("a10"))->click();
        Child<QPushButton>(f, U("ButtonPouzit"))->click();
    });
    QCOMPARE(d.EditMask(c, Labels()), TMaskButton::Pouzit);
    QVERIFY(shown);
    QVERIFY(c[0] == TMaskChoice::Set && c[1] == TMaskChoice::Clear && c[9] == TMaskChoice::Set);

    // "Všechno" puts every row back to "Je to fuk".
    WhenShown(f, [&] { Child<QPushButton>(f, U("ButtonVsechno"))->click(); });
    QCOMPARE(d.EditMask(c, Labels()), TMaskButton::Vsechno);
    QVERIFY(c == TMaskChoices {});
    QVERIFY(Child<QRadioButton>(f, U("f1"))->isChecked());
}

void TestMaskDialogs::logEditStartsAtKeep()
{
    TWidgetMaskDialogs d;
    TFormLogEdit *f = d.FormLogEdit();
    TFlagActions a {};
    WhenShown(f, [&] {
        Child<QRadioButton>(f, U("a1"))->click();
        Child<QRadioButton>(f, U("n2"))->click();
        Child<QRadioButton>(f, U("v4"))->click();
        Child<QPushButton>(f, U("ButtonPouzit"))->click();
    });
    QVERIFY(d.AskFlagChanges(a, Labels()));
    QVERIFY(a[0] == TFlagAction::Set && a[1] == TFlagAction::Clear && a[2] == TFlagAction::Keep
            && a[3] == TFlagAction::Negate);

    bool allKeep = false;
    WhenShown(f, [&] {
        allKeep = true;
        for (int i = 1; i <= kFlagCount; ++i)
            allKeep = allKeep && Child<QRadioButton>(f, U("f") + QString::number(i))->isChecked();
        Child<QPushButton>(f, U("ButtonZpet"))->click();
    });
    QVERIFY(!d.AskFlagChanges(a, Labels()));
    QVERIFY(allKeep);
}

void TestMaskDialogs::findKeepsTextAndStart()
{
    TWidgetMaskDialogs d;
    TFormHledat *f = d.FormHledat();
    WhenShown(f, [&] {
        auto *edit = Child<QLineEdit>(f, U("Edithledej"));
        // Typed one character at a time: keyClicks refuses non-ASCII text.
        for (QChar c : U("nová"))
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        Child<QRadioButton>(f, U("Pokracovat"))->click();
        Child<QPushButton>(f, U("ButtonOk"))->click();
    });
    QString text;
    bool fromStart = true;
    QVERIFY(d.AskFind(text, fromStart));
    QCOMPARE(text, U("nová"));
    QVERIFY(!fromStart);

    QString seen;
    WhenShown(f, [&] {
        seen = Child<QLineEdit>(f, U("Edithledej"))->text();
        Child<QPushButton>(f, U("ButtonNe"))->click();
    });
    QVERIFY(!d.AskFind(text, fromStart));
    QCOMPARE(seen, U("nová"));
    QVERIFY(!fromStart);
}

QTEST_MAIN(TestMaskDialogs)
#include "tst_maskdialogs.moc"

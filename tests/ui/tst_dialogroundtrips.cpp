#include "dialling/ui/FormVytaKonf.h"
#include "exchange/ui/WidgetExchangeDialogs.h"
#include "interop/InteropCommands.h"
#include "interop/ui/WidgetInteropDialogs.h"
#include "session/DocumentCommands.h"
#include "session/Session.h"
#include "session/ui/FormKonf.h"
#include "session/ui/FormMain.h"
#include "settings/Settings.h"
#include "util/Cp1250.h"

#include "FakePrompt.h"
#include "TestBook.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

QString U(const char *utf8) { return QString::fromUtf8(utf8); }

// Answers the next modal dialog once it is up; whatever fails, it does not stay open.
void Answer(std::function<void(QDialog *)> act)
{
    QTimer::singleShot(0, [act] {
        QDialog *d = nullptr;
        auto close = qScopeGuard([&d] {
            if (d && d->isVisible())
                d->done(-1);
        });
        QTRY_VERIFY_WITH_TIMEOUT((d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) != nullptr, 5000);
        act(d);
    });
}

template<typename T> T *Child(QWidget *d, const QString &name)
{
    T *w = d->findChild<T *>(name);
    if (!w)
        qWarning("no %s", qPrintable(name));
    return w;
}

// Replaces a field's text as typed, one character at a time (diacritics included).
void Retype(QLineEdit *e, const QString &text)
{
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

enum TWay { Unchanged, Changed, Cancelled };

void AddWays()
{
    QTest::addColumn<int>("way");
    QTest::newRow("unchanged, confirmed") << int(Unchanged);
    QTest::newRow("each changed, confirmed") << int(Changed);
    QTest::newRow("each changed, cancelled") << int(Cancelled);
}

// Every value of the dialling settings dialog, in one line each.
QStringList Dialling(const TSettings &s)
{
    QStringList v {s.Stat, s.Misto, s.VolackaStat, s.VolackaMisto, s.Init, s.Dial, s.Hang};
    for (const QString &d : s.Zarizeni)
        v.append(d);
    v << QString::number(s.Port) << QString::number(s.Povolit) << QString::number(s.VolatPresSystem);
    return v;
}

// The interop choices dialog's answers, picked from a timer.
struct TPick
{
    QString Radio;    // object name of the radio button to click, or empty
    bool ToggleAlarm; // the calendar's "Připomenout předem"
    int Days;         // typed into the days field; -1 leaves it
    bool Confirm;
};

// The file dialog shown, in `dir`, with its filter number `filter` chosen with the
// keyboard as a person would; null when the dialog is no file dialog or the filter is not
// reached.
QFileDialog *ChooseFilter(QDialog *d, const QString &dir, int filter)
{
    auto *fd = qobject_cast<QFileDialog *>(d);
    if (!fd)
        return nullptr;
    fd->setDirectory(dir);
    auto *types = fd->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    if (!types)
        return nullptr;
    types->setFocus();
    for (int i = types->currentIndex(); i < filter; ++i)
        QTest::keyClick(types, Qt::Key_Down);
    return types->currentIndex() == filter ? fd : nullptr;
}

} // namespace

class TestDialogRoundTrips : public QObject
{
    Q_OBJECT

private slots:
    void diallingSettings_data() { AddWays(); }
    void diallingSettings();
    void labelConfiguration_data() { AddWays(); }
    void labelConfiguration();
    void listWidthOutOfRange_data();
    void listWidthOutOfRange();
    void exportFile_data();
    void exportFile();
    void importFile_data();
    void importFile();
    void exportChoices_data();
    void exportChoices();
    void importTarget_data();
    void importTarget();
};

void TestDialogRoundTrips::diallingSettings()
{
    QFETCH(int, way);
    TSettings before;
    before.Stat = QStringLiteral("420");
    before.Misto = QStringLiteral("5");
    before.VolackaStat = QStringLiteral("00");
    before.VolackaMisto = QStringLiteral("0");
    before.Init = QStringLiteral("ATZ");
    before.Dial = QStringLiteral("ATDT");
    before.Hang = QStringLiteral("ATH");
    before.Zarizeni = {QStringLiteral("/dev/a1"), QStringLiteral("/dev/a2"), QStringLiteral("/dev/a3"),
                       QStringLiteral("/dev/a4")};
    before.Port = 3;
    before.Povolit = true;
    before.VolatPresSystem = false;
    const QStringList changed {QStringLiteral("421"), QStringLiteral("2"),         QStringLiteral("011"),
                               QStringLiteral("1"),   QStringLiteral("AT&F"),      QStringLiteral("ATDP"),
                               QStringLiteral("+++ATH0"), QStringLiteral("/dev/b1"), QStringLiteral("/dev/b2"),
                               QStringLiteral("/dev/b3"), QStringLiteral("/dev/b4"), QStringLiteral("2"),
                               QStringLiteral("0"),   QStringLiteral("1")};
    TFormVytaKonf form;
    Answer([&](QDialog *d) {
        if (way != Unchanged) {
            for (int i = 0; i < 7; ++i)
                Retype(Child<QLineEdit>(d, QStringLiteral("Edit%1").arg(i + 1)), changed[i]);
            for (int p = 0; p < 4; ++p)
                Retype(Child<QLineEdit>(d, QStringLiteral("Zarizeni%1").arg(p + 1)), changed[7 + p]);
            auto *port = Child<QSpinBox>(d, QStringLiteral("SpinEdit1"));
            port->setFocus();
            port->selectAll();
            QTest::keyClicks(port, changed[11]);
            // tel: first, while dialling is still on and the box can be used.
            Child<QCheckBox>(d, QStringLiteral("cbSystem"))->click();
            Child<QCheckBox>(d, QStringLiteral("cbEnable"))->click();
        }
        Child<QPushButton>(d, way == Cancelled ? QStringLiteral("ButtonNe") : QStringLiteral("ButtonOk"))->click();
    });
    TSettings s = before;
    QCOMPARE(form.Edit(s), way != Cancelled);
    QCOMPARE(Dialling(s), way == Changed ? changed : Dialling(before));
}

void TestDialogRoundTrips::labelConfiguration()
{
    QFETCH(int, way);
    QTemporaryDir dir;
    TFakePrompt prompt;
    TFixedClock clock;
    const QString book = dir.filePath(QStringLiteral("kniha.wdt"));
    TestBook::WriteFile(book, TestBook::FileBytes(TBookLabels::Defaults(), {TestBook::Entry("Novák")}));
    TFormMain w(prompt, clock, dir.filePath(QStringLiteral("settings.ini")));
    w.Commands().StartUp(book);
    TSession &s = w.Session();
    const TBookLabels before = s.Book.Labels;
    const bool listaBefore = s.Settings.Lista;
    w.SetListWidth(180);
    QStringList typed;
    for (int i = 1; i <= 22; ++i)
        typed.append(U("Řádek č. %1").arg(i));
    auto *form = w.findChild<TFormKonf *>();
    Answer([&](QDialog *d) {
        if (way != Unchanged) {
            for (int i = 1; i <= 22; ++i)
                Retype(Child<QLineEdit>(d, QStringLiteral("Edit%1").arg(i)), typed[i - 1]);
            auto *width = Child<QSpinBox>(d, QStringLiteral("SpinEdit1"));
            width->setFocus();
            width->selectAll();
            QTest::keyClicks(width, QStringLiteral("250"));
            Child<QCheckBox>(d, QStringLiteral("cbLista"))->click();
        }
        Child<QPushButton>(d, way == Cancelled ? QStringLiteral("ButtonNe") : QStringLiteral("ButtonOk"))->click();
    });
    form->IVolitelneClick();
    for (int i = 0; i < 22; ++i) {
        const QByteArray &slot = i < 9 ? s.Book.Labels.PhoneCaptions[size_t(i)]
                               : i < 12 ? s.Book.Labels.AddressCaptions[size_t(i - 9)]
                                        : s.Book.Labels.FlagCaptions[size_t(i - 12)];
        const QByteArray &old = i < 9 ? before.PhoneCaptions[size_t(i)]
                              : i < 12 ? before.AddressCaptions[size_t(i - 9)]
                                       : before.FlagCaptions[size_t(i - 12)];
        QCOMPARE(FromCp1250(slot), way == Changed ? typed[i] : FromCp1250(old));
    }
    QCOMPARE(s.Settings.Lista, way == Changed ? !listaBefore : listaBefore);
    QCOMPARE(w.ListWidth(), way == Changed ? 250 : 180);
    // "Použít" counts as a change of the book even with the same captions.
    QCOMPARE(s.Book.Changed, way != Cancelled);
}

void TestDialogRoundTrips::listWidthOutOfRange_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Zrušit") << "ButtonNe";
    QTest::newRow("Použít") << "ButtonOk";
}

// A number the list cannot take is not what the field shows afterwards or next time.
void TestDialogRoundTrips::listWidthOutOfRange()
{
    QFETCH(QString, button);
    QTemporaryDir dir;
    TFakePrompt prompt;
    TFixedClock clock;
    TFormMain w(prompt, clock, dir.filePath(QStringLiteral("settings.ini")));
    w.SetListWidth(180);
    auto *form = w.findChild<TFormKonf *>();
    auto *width = form->findChild<QSpinBox *>(QStringLiteral("SpinEdit1"));
    Answer([&](QDialog *d) {
        width->setFocus();
        width->selectAll();
        QTest::keyClicks(width, QStringLiteral("50"));
        Child<QPushButton>(d, button)->click();
    });
    form->IVolitelneClick();
    QCOMPARE(w.ListWidth(), 180);
    if (button == QLatin1String("ButtonNe"))
        QCOMPARE(width->value(), 180);
    int shown = -1;
    Answer([&](QDialog *d) {
        shown = width->value();
        Child<QPushButton>(d, QStringLiteral("ButtonNe"))->click();
    });
    form->IVolitelneClick();
    QCOMPARE(shown, 180);
}

void TestDialogRoundTrips::exportFile_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("extra");
    QTest::newRow("mask export") << 0 << "adresy.WDT" << -1;
    QTest::newRow("vCard 3.0") << 1 << "adresy.vcf" << 0;
    QTest::newRow("vCard 4.0") << 2 << "adresy.vcf" << 1;
    QTest::newRow("Google table") << 3 << "adresy.csv" << 2;
    QTest::newRow("Outlook table") << 4 << "adresy.csv" << 3;
    QTest::newRow("calendar") << 5 << "adresy.ics" << 4;
    QTest::newRow("cancelled") << 3 << "" << -1;
}

// The filter picked in the list decides the format and the extension of a bare name.
void TestDialogRoundTrips::exportFile()
{
    QFETCH(int, filter);
    QFETCH(QString, file);
    QFETCH(int, extra);
    QTemporaryDir dir;
    TWidgetExchangeDialogs dialogs;
    Answer([&](QDialog *d) {
        QFileDialog *fd = ChooseFilter(d, dir.path(), filter);
        QVERIFY(fd);
        auto *name = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        Retype(name, QStringLiteral("adresy"));
        if (file.isEmpty())
            fd->reject();
        else
            QTest::keyClick(name, Qt::Key_Return);
    });
    int chosen = -2;
    const QString path = dialogs.AskExportWith(TInteropCommands::ExportFilters(), chosen);
    QCOMPARE(path, file.isEmpty() ? QString() : dir.filePath(file));
    QCOMPARE(chosen, extra);
}

void TestDialogRoundTrips::importFile_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("extra");
    QTest::newRow("DOS file") << 0 << "STARY.DTA" << int(TImportKind::Dta) << -1;
    QTest::newRow("Kontakty") << 1 << "Kontakty.DB" << int(TImportKind::Kontakty) << -1;
    QTest::newRow("Firmy") << 2 << "Firmy.DB" << int(TImportKind::Firmy) << -1;
    QTest::newRow("vCard") << 3 << "lide.vcf" << int(TImportKind::Dta) << 0;
}

void TestDialogRoundTrips::importFile()
{
    QFETCH(int, filter);
    QFETCH(QString, file);
    QFETCH(int, kind);
    QFETCH(int, extra);
    QTemporaryDir dir;
    for (const char *name : {"STARY.DTA", "Kontakty.DB", "Firmy.DB", "lide.vcf"})
        TestBook::WriteFile(dir.filePath(QString::fromLatin1(name)), "x");
    TWidgetExchangeDialogs dialogs;
    Answer([&](QDialog *d) {
        QFileDialog *fd = ChooseFilter(d, dir.path(), filter);
        QVERIFY(fd);
        auto *name = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        Retype(name, file);
        QTest::keyClick(name, Qt::Key_Return);
    });
    TImportChoice choice;
    QVERIFY(dialogs.AskImportWith(choice, {TInteropCommands::ImportFilter()}));
    QCOMPARE(choice.Path, dir.filePath(file));
    QCOMPARE(int(choice.Kind), kind);
    QCOMPARE(choice.Extra, extra);
}

void TestDialogRoundTrips::exportChoices_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("cp1250In");
    QTest::addColumn<int>("daysIn");
    QTest::addColumn<QString>("radio");
    QTest::addColumn<bool>("toggle");
    QTest::addColumn<int>("typed");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("cp1250Out");
    QTest::addColumn<int>("daysOut");
    const int outlook = int(TInteropFormat::CsvOutlook);
    const int ics = int(TInteropFormat::Ics);
    QTest::newRow("Outlook unchanged") << outlook << true << -1 << "" << false << -1 << true << true << -1;
    QTest::newRow("Outlook to UTF-8") << outlook << true << -1 << "RUtf8" << false << -1 << true << false << -1;
    QTest::newRow("Outlook to Windows-1250") << outlook << false << -1 << "RCp1250" << false << -1 << true << true << -1;
    QTest::newRow("Outlook cancelled") << outlook << false << -1 << "RCp1250" << false << -1 << false << false << -1;
    QTest::newRow("calendar unchanged") << ics << false << 3 << "" << false << -1 << true << false << 3;
    QTest::newRow("calendar days") << ics << false << 3 << "" << false << 14 << true << false << 14;
    QTest::newRow("calendar reminder off") << ics << false << 3 << "" << true << -1 << true << false << -1;
    QTest::newRow("calendar reminder on") << ics << false << -1 << "" << true << 7 << true << false << 7;
    QTest::newRow("calendar cancelled") << ics << false << 3 << "" << true << 14 << false << false << 3;
}

void TestDialogRoundTrips::exportChoices()
{
    QFETCH(int, format);
    QFETCH(bool, cp1250In);
    QFETCH(int, daysIn);
    QFETCH(QString, radio);
    QFETCH(bool, toggle);
    QFETCH(int, typed);
    QFETCH(bool, confirm);
    TWidgetInteropDialogs dialogs;
    Answer([&](QDialog *d) {
        if (!radio.isEmpty())
            Child<QRadioButton>(d, radio)->click();
        if (toggle)
            Child<QCheckBox>(d, QStringLiteral("CPripomenout"))->click();
        if (typed >= 0) {
            auto *days = Child<QSpinBox>(d, QStringLiteral("EDny"));
            days->setFocus();
            days->selectAll();
            QTest::keyClicks(days, QString::number(typed));
        }
        Child<QPushButton>(d, confirm ? QStringLiteral("BPouzit") : QStringLiteral("BStorno"))->click();
    });
    TExportOptions o;
    o.Format = TInteropFormat(format);
    o.OutlookCp1250 = cp1250In;
    o.AlarmDays = daysIn;
    QCOMPARE(dialogs.AskExportOptions(o), confirm);
    QTEST(o.OutlookCp1250, "cp1250Out");
    QTEST(o.AlarmDays, "daysOut");
}

void TestDialogRoundTrips::importTarget_data()
{
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("target");
    QTest::newRow("new book as offered") << "" << "BPouzit" << int(TImportTarget::NewBook);
    QTest::newRow("append") << "RPripojit" << "BPouzit" << int(TImportTarget::Append);
    QTest::newRow("append, then new book") << "RPripojit,RNovy" << "BPouzit" << int(TImportTarget::NewBook);
    QTest::newRow("cancelled") << "RPripojit" << "BStorno" << int(TImportTarget::Cancel);
}

void TestDialogRoundTrips::importTarget()
{
    QFETCH(QString, radio);
    QFETCH(QString, button);
    QFETCH(int, target);
    TWidgetInteropDialogs dialogs;
    Answer([&](QDialog *d) {
        for (const QString &r : radio.split(QLatin1Char(','), Qt::SkipEmptyParts))
            Child<QRadioButton>(d, r)->click();
        Child<QPushButton>(d, button)->click();
    });
    QCOMPARE(int(dialogs.AskImportTarget()), target);
}

QTEST_MAIN(TestDialogRoundTrips)
#include "tst_dialogroundtrips.moc"

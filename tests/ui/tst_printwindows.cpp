#include "app/VorlinkApp.h"
#include "printing/AddressLines.h"
#include "printing/paint/PagePainter.h"
#include "printing/ui/FormObalka.h"
#include "printing/ui/FormOdesilatel.h"
#include "printing/ui/FormStitky.h"
#include "printing/ui/PrintWindows.h"
#include "reports/ReportCommands.h"
#include "reports/ui/WidgetReportPorts.h"
#include "session/ui/FormMain.h"

#include "SessionFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <functional>

using TestBook::Cp;

namespace {

QString U(const char *utf8) { return QString::fromUtf8(utf8); }

// Answers the modal dialog of that objectName once it is up, without waiting inside
// another dialog's loop; whatever fails, the dialog does not stay open.
void Answer(const char *name, std::function<void(QDialog *)> act)
{
    auto *poll = new QTimer;
    QElapsedTimer since;
    since.start();
    const QString wanted = QLatin1String(name);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, since, wanted, act] {
        auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!d || !d->isVisible() || d->objectName() != wanted) {
            if (since.elapsed() > 20000) {
                poll->deleteLater();
                poll->stop();
                QWidget *up = QApplication::activeModalWidget();
                QFAIL(qPrintable(wanted + QStringLiteral(" never came up; ")
                                 + (up ? up->objectName() + QLatin1Char(' ') + QLatin1String(up->metaObject()->className()) : QString())));
            }
            return;
        }
        poll->stop();
        poll->deleteLater();
        auto close = qScopeGuard([d] {
            if (d->isVisible())
                d->done(-1);
        });
        act(d);
    });
    poll->start(10);
}

template<typename T> T *Child(QWidget *d, const char *name)
{
    T *w = d->findChild<T *>(QLatin1String(name));
    if (!w)
        qWarning("no %s", name);
    return w;
}

// Types a text as a person would, diacritics included.
void Retype(QLineEdit *e, const QString &text)
{
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

TContactRecord Person(const char *first, const char *surname, const char *street, const char *psc, const char *town,
                      const char *country = "")
{
    TContactRecord r = TestBook::Entry((QByteArray(surname) + ' ' + first).constData());
    r.SetText(EField::Jmeno, Cp(first));
    r.SetText(EField::Prijmeni, Cp(surname));
    r.SetText(AddressField(2, 0), Cp(street));
    r.SetText(AddressField(2, 3), Cp(psc));
    r.SetText(AddressField(2, 1), Cp(town));
    r.SetText(AddressField(2, 2), Cp(country));
    return r;
}

// The printing windows over an open book, the settings in a file of their own.
struct TFixture : TSessionFixture
{
    std::unique_ptr<TPrintWindows> Windows;

    explicit TFixture(const QList<TContactRecord> &records, TBookLabels labels = TBookLabels::Defaults())
    {
        TestBook::WriteFile(Path("kniha.wdt"), TestBook::FileBytes(labels, records));
        Prompt.OpenPaths.enqueue(Path("kniha.wdt"));
        Docs->IOtevritClick();
        Prompt.Reset();
        Windows = std::make_unique<TPrintWindows>(*S, *Editor, nullptr);
    }
    // What a new run of the program reads from the settings file.
    TPrintSettings Stored()
    {
        TSettings fresh;
        TSettingsStore store(fresh, Clock, Dir.filePath(QStringLiteral("settings.ini")));
        return fresh.Print;
    }
    void Restart()
    {
        S->Settings.Print = Stored();
        Windows = std::make_unique<TPrintWindows>(*S, *Editor, nullptr);
    }
};

QList<TContactRecord> Many(int count)
{
    QList<TContactRecord> records;
    for (int i = 0; i < count; ++i)
        records.append(Person("Jan", QByteArray("Novák").append(QByteArray::number(100 + i)).constData(), "Dlouhá 5",
                              "11000", "Praha 1"));
    return records;
}

TLabelLayout Custom(int columns, int rows, double w, double h, bool centred, double left, double top, double gapX,
                    double gapY)
{
    TLabelLayout l;
    l.Columns = columns;
    l.Rows = rows;
    l.LabelWidth = w;
    l.LabelHeight = h;
    l.Centred = centred;
    l.Left = left;
    l.Top = top;
    l.GapX = gapX;
    l.GapY = gapY;
    return l;
}

// Sets the dialog's custom fields through their controls.
void SetCustom(QDialog *d, const TLabelLayout &l)
{
    auto *sheet = Child<QComboBox>(d, "ComboRozvrzeni");
    sheet->setCurrentIndex(sheet->findText(U("Vlastní")));
    Child<QSpinBox>(d, "SpinSloupce")->setValue(l.Columns);
    Child<QSpinBox>(d, "SpinRadky")->setValue(l.Rows);
    Child<QDoubleSpinBox>(d, "SpinSirka")->setValue(l.LabelWidth);
    Child<QDoubleSpinBox>(d, "SpinVyska")->setValue(l.LabelHeight);
    Child<QCheckBox>(d, "CheckNaStred")->setChecked(false); // left and top take input only now
    Child<QDoubleSpinBox>(d, "SpinVlevo")->setValue(l.Left);
    Child<QDoubleSpinBox>(d, "SpinNahore")->setValue(l.Top);
    Child<QCheckBox>(d, "CheckNaStred")->setChecked(l.Centred);
    Child<QDoubleSpinBox>(d, "SpinMezeraX")->setValue(l.GapX);
    Child<QDoubleSpinBox>(d, "SpinMezeraY")->setValue(l.GapY);
}

// Types the name into the file dialog and presses its button. (selectFile() leaves the
// field alone while it has the focus.)
void Choose(QFileDialog *files, const QString &path)
{
    auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(name);
    name->setText(path);
    static_cast<QDialog *>(files)->accept();
}

// The page count of the preview that the click opens, the preview closed whatever happens.
int PreviewPages(QPushButton *button)
{
    int pages = -1;
    Answer("PreviewDialog", [&pages](QDialog *d) {
        auto *preview = d->findChild<QPrintPreviewWidget *>();
        QVERIFY(preview);
        QTRY_VERIFY(preview->pageCount() > 0);
        pages = preview->pageCount();
    });
    button->click();
    return pages;
}

// Saves through the PDF button's file dialog to `path`.
void SavePdfAs(QPushButton *button, const QString &path)
{
    Answer("SavePdfDialog", [path](QDialog *d) {
        auto *files = qobject_cast<QFileDialog *>(d);
        QVERIFY(files);
        QCOMPARE(files->windowTitle(), U("Uložit jako PDF"));
        // The question about replacing a file is Qt's own, taken as answered yes.
        files->setOption(QFileDialog::DontConfirmOverwrite);
        Choose(files, path);
    });
    button->click();
}

int PdfPages(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = f.readAll();
    if (!pdf.startsWith("%PDF"))
        return -1;
    return int(pdf.count("/Type /Page") - pdf.count("/Type /Pages"));
}

} // namespace

Q_DECLARE_METATYPE(TLabelLayout)

class TestPrintWindows : public QObject
{
    Q_OBJECT

private slots:
    void labelDialogRoundTrip_data();
    void labelDialogRoundTrip();
    void customValuesOutliveAReadySheet();
    void invalidLayoutStopsOutput_data();
    void invalidLayoutStopsOutput();
    void labelPreviewPages_data();
    void labelPreviewPages();
    void labelsFollowListOrderAndMask();
    void stoppedPdfLeavesOlderFile();
    void senderAndEnvelopeRoundTrip();
    void reportChooserRemembersAfterReport();
    void reportPdfAfterTisk();
};

void TestPrintWindows::labelDialogRoundTrip_data()
{
    QTest::addColumn<QString>("sheet"); // the combo's text; empty for custom
    QTest::addColumn<TLabelLayout>("layout");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("start");
    QTest::newRow("ready 2x7") << U("2 × 7 štítků 105 × 42,4 mm") << ReadyLabelLayouts().at(3).Layout << 2 << 9;
    QTest::newRow("custom by hand") << QString() << Custom(4, 10, 48.5, 25.4, false, 5.5, 12, 2.5, 1.5) << 3 << 17;
    QTest::newRow("custom centred") << QString() << Custom(2, 5, 90, 50.5, true, 7, 8, 10, 0.5) << 1 << 10;
}

// Every control set, closed, opened again in a new run: the same values, and the layout
// made from them is the one set.
void TestPrintWindows::labelDialogRoundTrip()
{
    QFETCH(QString, sheet);
    QFETCH(TLabelLayout, layout);
    QFETCH(int, address);
    QFETCH(int, start);
    TBookLabels labels = TBookLabels::Defaults();
    labels.AddressCaptions[2] = Cp("Chata");
    TFixture f(Many(3), labels);
    TFormStitky *d = &f.Windows->Stitky();
    QVERIFY(d->FormActivate());
    auto *combo = Child<QComboBox>(d, "ComboRozvrzeni");
    QCOMPARE(combo->count(), 5);
    if (sheet.isEmpty())
        SetCustom(d, layout);
    else
        combo->setCurrentIndex(combo->findText(sheet));
    auto *addresses = Child<QComboBox>(d, "ComboAdresa");
    QCOMPARE(addresses->count(), 3);
    QCOMPARE(addresses->itemText(0), U("Domů"));
    QCOMPARE(addresses->itemText(2), U("Chata"));
    addresses->setCurrentIndex(address - 1);
    Child<QSpinBox>(d, "SpinPrvni")->setValue(start);
    QCOMPARE(d->Layout(), layout);
    QVERIFY(Child<QLabel>(d, "LabelProblem")->isHidden());
    Child<QPushButton>(d, "ButtonZavrit")->click();

    f.Restart();
    d = &f.Windows->Stitky();
    QVERIFY(d->FormActivate());
    QCOMPARE(d->Layout(), layout);
    QCOMPARE(d->Address(), address);
    QCOMPARE(d->Start(), start);
    QCOMPARE(Child<QComboBox>(d, "ComboRozvrzeni")->currentText(), sheet.isEmpty() ? U("Vlastní") : sheet);
    QCOMPARE(Child<QDoubleSpinBox>(d, "SpinVlevo")->value(), layout.Left);
    QCOMPARE(Child<QSpinBox>(d, "SpinPrvni")->maximum(), layout.PerSheet());
    QCOMPARE(Child<QWidget>(d, "GroupVlastni")->isEnabled(), sheet.isEmpty());
    QCOMPARE(Child<QDoubleSpinBox>(d, "SpinVlevo")->isEnabled(), sheet.isEmpty() && !layout.Centred);
}

// Choosing a ready sheet for one job keeps the custom sheet for the next.
void TestPrintWindows::customValuesOutliveAReadySheet()
{
    TFixture f(Many(1));
    TFormStitky *d = &f.Windows->Stitky();
    QVERIFY(d->FormActivate());
    const TLabelLayout custom = Custom(3, 9, 63.5, 29.6, false, 7.2, 13.5, 2.5, 0);
    SetCustom(d, custom);
    auto *combo = Child<QComboBox>(d, "ComboRozvrzeni");
    combo->setCurrentIndex(1);
    QCOMPARE(d->Layout(), ReadyLabelLayouts().at(1).Layout);
    QCOMPARE(Child<QSpinBox>(d, "SpinRadky")->value(), 7);
    d->reject();
    f.Restart();
    d = &f.Windows->Stitky();
    QVERIFY(d->FormActivate());
    QCOMPARE(d->Layout(), ReadyLabelLayouts().at(1).Layout);
    combo = Child<QComboBox>(d, "ComboRozvrzeni");
    combo->setCurrentIndex(combo->count() - 1);
    QCOMPARE(d->Layout(), custom);
}

void TestPrintWindows::invalidLayoutStopsOutput_data()
{
    QTest::addColumn<TLabelLayout>("layout");
    QTest::addColumn<QString>("message");
    const QString off = U("Štítky se na list A4 (210 × 297 mm) nevejdou.");
    QTest::newRow("no width") << Custom(3, 8, 0, 37, true, 0, 0, 0, 0) << U("Štítek musí mít kladnou šířku i výšku.");
    QTest::newRow("too wide") << Custom(3, 8, 71, 37, true, 0, 0, 0, 0) << off;
    QTest::newRow("gaps too tall") << Custom(1, 8, 70, 37, true, 0, 0, 0, 0.2) << off;
    QTest::newRow("off the right edge") << Custom(2, 2, 100, 50, false, 10.5, 0, 0, 0) << off;
    QTest::newRow("off the bottom") << Custom(1, 1, 100, 200, false, 0, 97.5, 0, 0) << off;
}

void TestPrintWindows::invalidLayoutStopsOutput()
{
    QFETCH(TLabelLayout, layout);
    QFETCH(QString, message);
    TFixture f(Many(2));
    TFormStitky *d = &f.Windows->Stitky();
    QVERIFY(d->FormActivate());
    SetCustom(d, layout);
    QCOMPARE(d->Layout(), layout);
    auto *problem = Child<QLabel>(d, "LabelProblem");
    QCOMPARE(problem->text(), message);
    QVERIFY(!problem->isHidden());
    for (const char *name : {"ButtonNahled", "ButtonVytisknout", "ButtonPdf"})
        QVERIFY2(!Child<QPushButton>(d, name)->isEnabled(), name);
    QVERIFY(Child<QPushButton>(d, "ButtonZavrit")->isEnabled());
    // Made usable again, the dialog lets it out.
    Child<QComboBox>(d, "ComboRozvrzeni")->setCurrentIndex(0);
    QVERIFY(problem->isHidden());
    QVERIFY(Child<QPushButton>(d, "ButtonPdf")->isEnabled());
}

void TestPrintWindows::labelPreviewPages_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("pages");
    QTest::newRow("one sheet") << 24 << 1 << 1;
    QTest::newRow("start pushes over") << 24 << 2 << 2;
    QTest::newRow("three sheets") << 50 << 23 << 3;
}

void TestPrintWindows::labelPreviewPages()
{
    QFETCH(int, entries);
    QFETCH(int, start);
    QFETCH(int, pages);
    TFixture f(Many(entries));
    TFormStitky *d = &f.Windows->Stitky();
    QVERIFY(d->FormActivate());
    Child<QSpinBox>(d, "SpinPrvni")->setValue(start);
    QCOMPARE(PreviewPages(Child<QPushButton>(d, "ButtonNahled")), pages);
    QVERIFY(f.Prompt.Shown.isEmpty());
}

// The labels are the listed entries: what the mask hides is not printed, and the order is
// the list's.
void TestPrintWindows::labelsFollowListOrderAndMask()
{
    QList<TContactRecord> records {Person("Petr", "Žák", "Nová 1", "60200", "Brno"),
                                   Person("Eva", "Adamová", "Stará 2", "37001", "České Budějovice", "Slovensko"),
                                   Person("Jan", "Čermák", "Krátká 3", "11000", "Praha")};
    records[1].SetFlag(1, true);
    records[2].SetFlag(1, true);
    TFixture f(records);
    f.S->Book.Mask.Active = true;
    f.S->Book.Mask.RequireSet[0] = true;
    f.S->Book.RefillListWithMask();
    TFormStitky *d = &f.Windows->Stitky();
    QVERIFY(d->FormActivate());
    QCOMPARE(d->LabelCount(), 2);
    QCOMPARE(Child<QLabel>(d, "LabelPocet")->text(), U("2 štítky, 1 list"));
    Child<QComboBox>(d, "ComboAdresa")->setCurrentIndex(1);
    const QString pdf = f.Path("stitky.pdf");
    SavePdfAs(Child<QPushButton>(d, "ButtonPdf"), pdf);
    QCOMPARE(f.Prompt.Texts(), QStringList());
    QCOMPARE(PdfPages(pdf), 1);
    // The text itself is checked through the sheet the dialog would make.
    QCOMPARE(f.S->Book.ListedRecords().size(), 2);
    QCOMPARE(EntryAddressLines(TRecordView(f.S->Book.ListedRecords().at(0)->Data()), 2),
             (QStringList {U("Eva Adamová"), U("Stará 2"), U("370 01 České Budějovice"), U("Slovensko")}));
}

// "Přerušit" stops a long PDF after the page being made; the older file stays.
void TestPrintWindows::stoppedPdfLeavesOlderFile()
{
    TFixture f(Many(40));
    const QString pdf = f.Path("stitky.pdf");
    QVERIFY(TestBook::WriteFile(pdf, "older"));
    TFormStitky *d = &f.Windows->Stitky();
    QVERIFY(d->FormActivate());
    SetCustom(d, Custom(1, 1, 100, 50, true, 0, 0, 0, 0)); // a sheet a label: 40 pages
    QTimer stopper;
    int shownAt = -1;
    QObject::connect(&stopper, &QTimer::timeout, &stopper, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *progress = qobject_cast<QProgressDialog *>(w);
            if (!progress || !progress->isVisible())
                continue;
            shownAt = progress->value();
            for (QPushButton *b : progress->findChildren<QPushButton *>()) {
                if (b->text() == U("Přerušit"))
                    b->click();
            }
            stopper.stop();
        }
    });
    stopper.start(1);
    SavePdfAs(Child<QPushButton>(d, "ButtonPdf"), pdf);
    QVERIFY(shownAt >= 1);
    QVERIFY(shownAt < 40);
    QCOMPARE(TestBook::ReadFile(pdf), QByteArray("older"));
    QCOMPARE(f.Prompt.Texts(), QStringList {PdfErrorText(TPdfError::Cancelled, pdf)});
}

void TestPrintWindows::senderAndEnvelopeRoundTrip()
{
    TBookLabels labels = TBookLabels::Defaults();
    labels.AddressCaptions[1] = Cp("Kancelář");
    TFixture f({Person("Jiří", "Dvořák", "Údolní 12", "602 00", "Brno", "ČR")}, labels);
    TFormOdesilatel *sender = &f.Windows->Odesilatel();
    const QStringList typed {U("Žofie Šťastná"), U("Náměstí Míru 1"), U("12000"), U("Praha 2"), U("Česká republika")};
    const char *fields[] = {"EditJmeno", "EditUlice", "EditPsc", "EditMisto", "EditStat"};
    Answer("FormOdesilatel", [&](QDialog *d) {
        QCOMPARE(d->windowTitle(), U("Odesílatel"));
        for (int i = 0; i < 5; ++i)
            Retype(Child<QLineEdit>(d, fields[i]), typed[i]);
        Child<QPushButton>(d, "ButtonOk")->click();
    });
    QVERIFY(sender->IOdesilatelClick());
    TPrintSettings stored = f.Stored();
    QCOMPARE((QStringList {stored.SenderName, stored.SenderStreet, stored.SenderPsc, stored.SenderTown,
                           stored.SenderCountry}),
             typed);

    TFormObalka *d = &f.Windows->Obalka();
    QVERIFY(d->FormActivate());
    auto *kind = Child<QComboBox>(d, "ComboFormat");
    QCOMPARE(kind->currentText(), U("DL (220 × 110 mm)"));
    kind->setCurrentIndex(kind->findText(U("C5 (229 × 162 mm)")));
    auto *address = Child<QComboBox>(d, "ComboAdresa");
    QCOMPARE(address->itemText(1), U("Kancelář"));
    address->setCurrentIndex(1);
    // Our own country is left off both.
    QCOMPARE(Child<QLabel>(d, "LabelOdesilatel")->text(), U("Žofie Šťastná\nNáměstí Míru 1\n120 00 Praha 2"));
    QCOMPARE(Child<QLabel>(d, "LabelAdresat")->text(), U("Jiří Dvořák\nÚdolní 12\n602 00 Brno"));
    QCOMPARE(PreviewPages(Child<QPushButton>(d, "ButtonNahled")), 1);
    const QString pdf = f.Path("obalka.pdf");
    SavePdfAs(Child<QPushButton>(d, "ButtonPdf"), pdf);
    QCOMPARE(PdfPages(pdf), 1);
    Child<QPushButton>(d, "ButtonZavrit")->click();

    f.Restart();
    d = &f.Windows->Obalka();
    QVERIFY(d->FormActivate());
    QCOMPARE(QLatin1String(d->Kind().Key), QLatin1String("C5"));
    QCOMPARE(d->Address(), 2);
    sender = &f.Windows->Odesilatel();
    sender->FormActivate();
    for (int i = 0; i < 5; ++i)
        QCOMPARE(Child<QLineEdit>(sender, fields[i])->text(), typed[i]);
    // Cancelled edits change nothing.
    Child<QLineEdit>(sender, "EditJmeno")->setText(QStringLiteral("X"));
    Child<QPushButton>(sender, "ButtonZrusit")->click();
    QCOMPARE(f.S->Settings.Print.SenderName, typed[0]);
    QVERIFY(f.Prompt.Shown.isEmpty());
}

// The choice in the template dialog is what AfterReport() gives and what the next run
// starts with; the editing dialog offers none.
void TestPrintWindows::reportChooserRemembersAfterReport()
{
    TFixture f(Many(1));
    const QString wdr = f.Path("sestava.WDR");
    QVERIFY(TestBook::WriteFile(wdr, "<\"VORLINK|9|W|OUT\">\r\n"));
    for (int choice = 3; choice >= 0; --choice) {
        TWidgetReportPorts ports(nullptr, f.Dir.path(), f.S.get());
        QCOMPARE(int(ports.AfterReport()), choice == 3 ? 0 : choice + 1);
        Answer("OpenDialog4", [&](QDialog *d) {
            auto *files = qobject_cast<QFileDialog *>(d);
            QVERIFY(files);
            QCOMPARE(files->windowTitle(), TWidgetReportPorts::Title());
            QCOMPARE(files->fileMode(), QFileDialog::ExistingFile);
            QCOMPARE(files->defaultSuffix(), QStringLiteral("WDR"));
            auto *after = Child<QComboBox>(d, "ComboPoVytvoreni");
            QVERIFY(after);
            QCOMPARE(after->count(), 4);
            QCOMPARE(after->itemText(3), U("uložit jako PDF"));
            after->setCurrentIndex(choice);
            Choose(files, wdr);
        });
        QCOMPARE(ports.AskTemplate(), wdr);
        QCOMPARE(int(ports.AfterReport()), choice);
        QCOMPARE(f.Stored().AfterReport, choice);
    }
    TWidgetReportPorts ports(nullptr, f.Dir.path(), f.S.get());
    bool offered = true;
    Answer("OpenDialog4", [&](QDialog *d) {
        offered = d->findChild<QComboBox *>(QStringLiteral("ComboPoVytvoreni")) != nullptr;
        Choose(qobject_cast<QFileDialog *>(d), wdr);
    });
    QCOMPARE(ports.AskTemplateToEdit(), wdr);
    QVERIFY(!offered);
}

// "Tisk" with "uložit jako PDF": the report is written, then its PDF beside it.
void TestPrintWindows::reportPdfAfterTisk()
{
    QTemporaryDir dir;
    TFakePrompt prompt;
    TFixedClock clock;
    TestBook::WriteFile(dir.filePath(QStringLiteral("kniha.wdt")),
                        TestBook::FileBytes(TBookLabels::Defaults(), Many(130)));
    const QString out = dir.filePath(QStringLiteral("seznam.txt"));
    const QString wdr = dir.filePath(QStringLiteral("seznam.WDR"));
    QVERIFY(TestBook::WriteFile(wdr, "<\"VORLINK|9|W|" + out.toUtf8() + "\">\r\n<\"DATA\">\r\n<\"NAZEV|30|L\">\r\n<\"/DATA\">\r\n"));
    TVorlinkApp app(prompt, clock, dir.filePath(QStringLiteral("settings.ini")));
    app.Start({dir.filePath(QStringLiteral("kniha.wdt"))}, dir.path(), dir.path());
    const QString pdf = dir.filePath(QStringLiteral("seznam.pdf"));
    Answer("OpenDialog4", [&](QDialog *d) {
        Child<QComboBox>(d, "ComboPoVytvoreni")->setCurrentIndex(3);
        Choose(qobject_cast<QFileDialog *>(d), wdr);
    });
    // The PDF's own file dialog comes next, offering the report's name.
    bool offered = false;
    Answer("SavePdfDialog", [&](QDialog *save) {
        auto *files = qobject_cast<QFileDialog *>(save);
        QCOMPARE(files->selectedFiles().value(0), pdf);
        offered = true;
        static_cast<QDialog *>(files)->accept();
    });
    app.Window().Action(QStringLiteral("ITisk"))->trigger();
    QVERIFY(QFileInfo::exists(out));
    QVERIFY(offered);
    // Only the report's own word that it was written; nothing went wrong.
    QCOMPARE(prompt.Texts().size(), 1);
    QVERIFY(prompt.Texts().at(0).endsWith(out));
    // 130 lines at the largest size: more than one page.
    QCOMPARE(PdfPages(pdf), 3);
}

QTEST_MAIN(TestPrintWindows)
#include "tst_printwindows.moc"

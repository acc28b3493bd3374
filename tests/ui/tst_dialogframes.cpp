#include "about/LinkCommands.h"
#include "about/ui/AboutBox.h"
#include "app/VorlinkApp.h"
#include "exchange/ui/WidgetExchangeDialogs.h"
#include "interop/InteropCommands.h"
#include "interop/ui/WidgetInteropDialogs.h"
#include "session/ui/FormMain.h"

#include "FakePrompt.h"
#include "TestBook.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// What a person would see wrong in a window: a cut title, a label touching its field,
// controls squeezed below what they need, a size other than the one it always had.
QStringList Faults(QWidget *d, QSize expected)
{
    QStringList faults;
    const QString title = d->windowTitle();
    QFont bar = QApplication::font("QMdiSubWindowTitleBar");
    bar.setBold(true);
    for (const QFont &f : {bar, d->font()}) {
        const int needed = QFontMetrics(f).horizontalAdvance(title) + 120;
        if (d->width() < needed)
            faults.append(QStringLiteral("title needs %1, width %2").arg(needed).arg(d->width()));
    }
    if (d->width() < d->minimumSizeHint().width() || d->height() < d->minimumSizeHint().height())
        faults.append(QStringLiteral("size below the controls' minimum"));
    if (expected.isValid() && d->size() != expected)
        faults.append(QStringLiteral("size %1x%2").arg(d->width()).arg(d->height()));
    QList<QPair<QWidget *, QWidget *>> pairs;
    for (QLabel *l : d->findChildren<QLabel *>()) {
        if (l->buddy() && l->isVisible())
            pairs.append(qMakePair<QWidget *, QWidget *>(l, l->buddy()));
    }
    for (QFormLayout *form : d->findChildren<QFormLayout *>()) {
        for (int r = 0; r < form->rowCount(); ++r) {
            QLayoutItem *label = form->itemAt(r, QFormLayout::LabelRole);
            QLayoutItem *field = form->itemAt(r, QFormLayout::FieldRole);
            if (label && field && label->widget() && field->widget())
                pairs.append(qMakePair(label->widget(), field->widget()));
        }
    }
    for (const auto &[label, field] : pairs) {
        const QRect l(label->mapTo(d, QPoint(0, 0)), label->size());
        const QRect f(field->mapTo(d, QPoint(0, 0)), field->size());
        // One pixel around the label: touching counts.
        if (l.adjusted(-1, -1, 1, 1).intersects(f))
            faults.append(QStringLiteral("label \"%1\" touches its field").arg(label->property("text").toString()));
    }
    if (!qEnvironmentVariableIsEmpty("VORLINK_SHOTS"))
        d->grab().save(QDir(qEnvironmentVariable("VORLINK_SHOTS")).filePath(d->objectName() + QStringLiteral(".png")));
    return faults;
}

// Checks the next modal dialog once it is up, then closes it whatever happened.
void CheckNextDialog(QStringList &faults, QString &title)
{
    QTimer::singleShot(0, [&faults, &title] {
        QWidget *d = nullptr;
        auto close = qScopeGuard([&d] {
            if (auto *dialog = qobject_cast<QDialog *>(d))
                dialog->done(QDialog::Rejected);
        });
        QTRY_VERIFY_WITH_TIMEOUT((d = QApplication::activeModalWidget()) != nullptr, 5000);
        title = d->windowTitle();
        faults = Faults(d, {});
    });
}

} // namespace

class TestDialogFrames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void madeOnce_data();
    void madeOnce();
    void askedFor_data();
    void askedFor();

private:
    QTemporaryDir m_dir;
    TFakePrompt m_prompt;
    TFixedClock m_clock;
    std::unique_ptr<TVorlinkApp> m_app;
};

void TestDialogFrames::initTestCase()
{
    const QString book = m_dir.filePath(QStringLiteral("kniha.wdt"));
    TestBook::WriteFile(book, TestBook::FileBytes(TBookLabels::Defaults(), {TestBook::Entry("Novák Jan")}));
    m_app = std::make_unique<TVorlinkApp>(m_prompt, m_clock, m_dir.filePath(QStringLiteral("settings.ini")));
    m_app->Start({book}, m_dir.path() + QLatin1Char('/'), m_dir.path() + QLatin1Char('/'));
    m_app->Window().show();
    QVERIFY(QTest::qWaitForWindowActive(&m_app->Window()));
    m_app->AboutBox()->Fill(TAboutInfo::Program());
}

void TestDialogFrames::cleanupTestCase()
{
    m_app.reset();
}

void TestDialogFrames::madeOnce_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("expected"); // the size the program always had; invalid: any
    QTest::newRow("dialling") << "FormVytaceni" << QSize();
    QTest::newRow("dialling settings") << "FormVytaKonf" << QSize();
    QTest::newRow("label configuration") << "FormKonf" << QSize(424, -1);
    QTest::newRow("about") << "AboutBox" << QSize(340, 280);
    QTest::newRow("reminder settings") << "FormUpozKonf" << QSize();
    QTest::newRow("name-day picker") << "FormSvatek" << QSize();
    QTest::newRow("anniversaries") << "FormVyroci" << QSize();
    QTest::newRow("find") << "FormHledat" << QSize();
    QTest::newRow("mask") << "FormMaska" << QSize();
    QTest::newRow("flag changes") << "FormLogEdit" << QSize();
}

void TestDialogFrames::madeOnce()
{
    QFETCH(QString, name);
    QFETCH(QSize, expected);
    auto *d = m_app->Window().findChild<QDialog *>(name);
    QVERIFY(d);
    d->show();
    auto hide = qScopeGuard([d] { d->hide(); });
    QVERIFY(QTest::qWaitForWindowExposed(d));
    if (expected.height() < 0)
        expected.setHeight(d->height());
    QCOMPARE(Faults(d, expected).join(QStringLiteral("; ")), QString());
}

void TestDialogFrames::askedFor_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("title");
    QTest::newRow("Outlook code page") << 0 << QString::fromUtf8("Export z vorlinku");
    QTest::newRow("calendar reminder") << 1 << QString::fromUtf8("Export z vorlinku");
    QTest::newRow("import target") << 2 << QString::fromUtf8("Import souboru do vorlinku");
    QTest::newRow("import file") << 3 << QString::fromUtf8("Import souboru do vorlinku");
    QTest::newRow("export file") << 4 << QString::fromUtf8("Export z vorlinku");
}

// Dialogs made when asked for, each checked while it is up.
void TestDialogFrames::askedFor()
{
    QFETCH(int, which);
    QFETCH(QString, title);
    QWidget *parent = &m_app->Window();
    TWidgetInteropDialogs interop(parent);
    TWidgetExchangeDialogs exchange(parent);
    QStringList faults {QStringLiteral("not shown")};
    QString shown;
    CheckNextDialog(faults, shown);
    TExportOptions o;
    TImportChoice choice;
    int extra = -1;
    switch (which) {
    case 0:
        o.Format = TInteropFormat::CsvOutlook;
        interop.AskExportOptions(o);
        break;
    case 1:
        o.Format = TInteropFormat::Ics;
        interop.AskExportOptions(o);
        break;
    case 2:
        interop.AskImportTarget();
        break;
    case 3:
        exchange.AskImportWith(choice, {TInteropCommands::ImportFilter()});
        break;
    default:
        exchange.AskExportWith(TInteropCommands::ExportFilters(), extra);
        break;
    }
    QCOMPARE(shown, title);
    QCOMPARE(faults.join(QStringLiteral("; ")), QString());
}

QTEST_MAIN(TestDialogFrames)
#include "tst_dialogframes.moc"

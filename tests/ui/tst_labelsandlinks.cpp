#include "app/VorlinkApp.h"
#include "about/ui/AboutBox.h"
#include "session/Session.h"
#include "session/ui/EditorPages.h"
#include "session/ui/FormKonf.h"
#include "session/ui/FormMain.h"
#include "session/ui/NameListView.h"
#include "util/Version.h"

#include "FakePrompt.h"
#include "TestBook.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

using TestBook::Cp;

namespace {

// The desktop's handler for a scheme, as the test environment installs it.
class TUrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> Opened;
public slots:
    void open(const QUrl &url) { Opened.append(url); }
};

// Runs `act` on the next modal dialog once it shows.
template <class F> void OnNextDialog(F act)
{
    QTimer::singleShot(0, [act] {
        QDialog *d = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((d = qobject_cast<QDialog *>(QApplication::activeModalWidget())), 5000);
        act(d);
    });
}

struct TApp
{
    TFakePrompt Prompt;
    TFixedClock Clock;
    std::unique_ptr<TVorlinkApp> App;
    TApp(const QTemporaryDir &dir, const QString &book)
    {
        App = std::make_unique<TVorlinkApp>(Prompt, Clock, dir.filePath(QStringLiteral("settings.ini")));
        App->Start({book}, dir.path() + QLatin1Char('/'), dir.path() + QLatin1Char('/'));
        App->Window().show();
        App->Window().activateWindow();
        Active = QTest::qWaitForWindowActive(&App->Window());
    }
    bool Active = false;
    TFormMain &W() { return App->Window(); }
};

} // namespace

// What a new user tries first: renaming captions, the links and the about box.
class TestLabelsAndLinks : public QObject
{
    Q_OBJECT

private slots:
    void renameSaveReopen()
    {
        QTemporaryDir dir;
        const QString book = dir.filePath(QStringLiteral("kniha.wdt"));
        TestBook::WriteFile(book, TestBook::FileBytes(TBookLabels::Defaults(), {TestBook::Entry("Novák Jan")}));
        {
            TApp a(dir, book);
            QVERIFY(a.Active);
            const int listBefore = a.W().ListBoxNazev()->width();
            OnNextDialog([&a](QDialog *d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("Konfigurace"));
                d->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("Mobil"));
                d->findChild<QLineEdit *>(QStringLiteral("Edit13"))->setText(QString::fromUtf8("Chalupář"));
                auto *spin = d->findChild<QSpinBox *>(QStringLiteral("SpinEdit1"));
                spin->setValue(250);
                QTRY_COMPARE(a.W().ListBoxNazev()->width(), 250);
                d->findChild<QCheckBox *>(QStringLiteral("cbLista"))->setChecked(true);
                // Enter in a field asks the question of "&Použít".
                QTest::keyClick(d->findChild<QLineEdit *>(QStringLiteral("Edit5")), Qt::Key_Return);
            });
            a.W().Action(QStringLiteral("IVolitelne"))->trigger();
            QCOMPARE(a.Prompt.Texts(), QStringList {TLabelConfig::Question()});
            QCOMPARE(a.W().Pages()->GTelefon(1)->title(), QStringLiteral("Mobil"));
            QCOMPARE(a.W().Pages()->Log(1)->text(), QString::fromUtf8("Chalupář"));
            QVERIFY(a.W().Session().Book.Changed);
            QVERIFY(listBefore != 250);

            // Escape restores the width the list had when the dialog came up.
            OnNextDialog([](QDialog *d) {
                d->findChild<QSpinBox *>(QStringLiteral("SpinEdit1"))->setValue(120);
                QTest::keyClick(d, Qt::Key_Escape);
            });
            a.W().Action(QStringLiteral("IVolitelne"))->trigger();
            QTRY_COMPARE(a.W().ListBoxNazev()->width(), 250);

            a.W().Action(QStringLiteral("IUlozit"))->trigger();
            QVERIFY(!a.W().Session().Book.Changed);
        }
        TApp again(dir, book);
        QVERIFY(again.Active);
        QCOMPARE(again.W().Pages()->GTelefon(1)->title(), QStringLiteral("Mobil"));
        QCOMPARE(again.W().Pages()->Log(1)->text(), QString::fromUtf8("Chalupář"));
        QVERIFY(again.W().Session().Settings.Lista);
    }

    void linksAndAbout()
    {
        QTemporaryDir dir;
        const QString book = dir.filePath(QStringLiteral("kniha.wdt"));
        TestBook::WriteFile(book, TestBook::FileBytes(TBookLabels::Defaults(), {TestBook::Entry("Novák Jan")}));
        TUrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &recorder, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
        TApp a(dir, book);
        QVERIFY(a.Active);
        QLineEdit *email = a.W().Pages()->Edit(EField::Email);
        QLineEdit *http = a.W().Pages()->Edit(EField::Http);
        a.W().Pages()->setCurrentIndex(a.W().Pages()->PageOf(email));
        QTest::mouseClick(email, Qt::LeftButton);
        QTest::keyClicks(email, QStringLiteral("jan@example.cz"));
        QTest::mouseDClick(email, Qt::LeftButton);
        QTest::mouseClick(http, Qt::LeftButton);
        QTest::keyClicks(http, QStringLiteral("http://example.cz/a b"));
        QTest::mouseDClick(http, Qt::LeftButton);
        QCOMPARE(recorder.Opened, QList<QUrl>({QUrl(QStringLiteral("mailto:jan@example.cz")),
                                                QUrl(QStringLiteral("http://example.cz/a%20b"))}));

        OnNextDialog([](QDialog *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("O autorovi"));
            // The version of the build, as the caption shows it.
            const QString version = d->findChild<QLabel *>(QStringLiteral("FileVersion"))->text();
            QVERIFY(TFormMain::Caption().endsWith(QLatin1Char(' ') + version));
            QCOMPARE(version.split(QLatin1Char('.')).size(), 4);
            // The whole version, as `--version` prints it, on the four numbers.
            QCOMPARE(d->findChild<QLabel *>(QStringLiteral("FileVersion"))->toolTip(), ProgramVersion());
            QCOMPARE(d->findChild<QLabel *>(QStringLiteral("ProductName"))->text(), QStringLiteral("Vorlink pro WIN32"));
            // The web page the label links to, through the desktop as well.
            QLabel *web = d->findChild<QLabel *>(QStringLiteral("HTTPAdresa"));
            const QString href = QRegularExpression(QStringLiteral("href=\"([^\"]+)\"")).match(web->text()).captured(1);
            emit web->linkActivated(href);
            QTest::keyClick(d, Qt::Key_Return);
        });
        a.W().Action(QStringLiteral("IAutor"))->trigger();
        QCOMPARE(recorder.Opened.size(), 3);
        QCOMPARE(recorder.Opened.last(), QUrl(QStringLiteral("https://github.com/brevmark/vorlink")));
        for (const char *s : {"mailto", "http", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(s));
    }
};

QTEST_MAIN(TestLabelsAndLinks)
#include "tst_labelsandlinks.moc"

#include "DavServers.h"
#include "SessionFixture.h"
#include "SyncFixture.h"

#include "app/VorlinkApp.h"
#include "interop/VCardMapping.h"
#include "session/ui/FormHlaska.h"
#include "session/ui/FormMain.h"
#include "session/ui/WidgetPrompt.h"
#include "sync/PasswordStore.h"
#include "sync/SyncCommands.h"
#include "sync/SyncJob.h"
#include "sync/ui/WidgetSyncDialogs.h"
#include "util/Cp1250.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace DavServers;

// The window's side of the sync: its settings dialog and conflict dialog through their
// real widgets, and whole runs from the file menu's command against a real server.
class TestSyncWindow : public QObject
{
    Q_OBJECT

private slots:
    void settingsDialog_data();
    void settingsDialog();
    void conflictDialog_data();
    void conflictDialog();
    void certificateDialog_data();
    void certificateDialog();
    void runs();
    void closeDuringRun_data();
    void closeDuringRun();
};

namespace {

// Runs `act` on the next modal dialog once it shows.
void OnDialog(const std::function<void(QWidget *)> &act)
{
    QTimer::singleShot(0, [act] {
        QWidget *d = QApplication::activeModalWidget();
        if (!d) {
            OnDialog(act);
            return;
        }
        act(d);
    });
}

template <class T>
T *Child(QWidget *d, const char *name)
{
    T *w = d->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no %s", name);
    return w;
}

// Runs `act` once `ready` holds, from the events of whatever loop is running then, for
// as long as `context` lives.
void When(QObject *context, const std::function<bool()> &ready, const std::function<void()> &act)
{
    QTimer::singleShot(20, context, [context, ready, act] {
        if (ready())
            act();
        else
            When(context, ready, act);
    });
}

// The visible message box asking or telling `text`, or null.
TFormHlaska *ShownHlaska(const QString &text)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *h = qobject_cast<TFormHlaska *>(w); h && h->isVisible()
                                                     && h->findChild<QLabel *>(QStringLiteral("LabelCo"))->text().startsWith(text))
            return h;
    return nullptr;
}

// The desktop's close button. Qt drops it unheard for a window that a modal one blocks
// (only the program's own close() gets through), so it is dropped here as well.
void DesktopClose(QWidget *window)
{
    QWindow *modal = QGuiApplication::modalWindow();
    if (modal && modal != window->windowHandle())
        return;
    QCloseEvent e;
    QCoreApplication::sendEvent(window->windowHandle(), &e);
}

} // namespace

Q_DECLARE_METATYPE(TSyncSettings)

void TestSyncWindow::settingsDialog_data()
{
    QTest::addColumn<TSyncSettings>("given");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("keyring");
    QTest::addColumn<bool>("typeNew"); // type a new account, look it up and choose
    QTest::addColumn<TSyncSettings>("expected");
    QTest::addColumn<QString>("expectedPassword");

    TSyncSettings stored {QStringLiteral("https://dav.example.cz/"), QStringLiteral("jana"),
                          QStringLiteral("https://dav.example.cz/jana/rodina/"), true, true,
                          QStringLiteral("https://dav.example.cz/jana/svatky/"), 3};
    TSyncSettings typed {QStringLiteral("http://127.0.0.1:5232/"), QStringLiteral("petr"),
                         QStringLiteral("http://127.0.0.1:5232/petr/prace/"), true, true,
                         QStringLiteral("http://127.0.0.1:5232/petr/kal/"), 0};
    QTest::newRow("stored account comes back unchanged") << stored << "tajné heslo" << true << false << stored
                                                         << "tajné heslo";
    QTest::newRow("no keyring says so and keeps all") << stored << "" << false << false << stored << "";
    QTest::newRow("new account looked up") << TSyncSettings() << "" << true << true << typed << "heslo s mezerou";
}

void TestSyncWindow::settingsDialog()
{
    QFETCH(TSyncSettings, given);
    QFETCH(QString, password);
    QFETCH(bool, keyring);
    QFETCH(bool, typeNew);
    QFETCH(TSyncSettings, expected);
    QFETCH(QString, expectedPassword);

    QWidget parent;
    TWidgetSyncDialogs dialogs(&parent);
    QStringList asked;
    const auto lookup = [&](const QString &server, const QString &user, const QString &pw) {
        asked << server << user << pw;
        TServerLookup found;
        found.AddressBooks << TFoundCollection {server + QStringLiteral("petr/osobni/"), QStringLiteral("Osobní")}
                           << TFoundCollection {server + QStringLiteral("petr/prace/"), QStringLiteral("Práce")};
        found.Calendars << TFoundCollection {server + QStringLiteral("petr/kal/"), QString()};
        return found;
    };
    bool shownRight = false;
    OnDialog([&](QWidget *d) {
        // What is stored shows in every field.
        shownRight = Child<QLineEdit>(d, "ESynServer")->text() == given.Server
                     && Child<QLineEdit>(d, "ESynUzivatel")->text() == given.User
                     && Child<QLineEdit>(d, "ESynHeslo")->text() == password
                     && Child<QComboBox>(d, "CBAdresar")->currentData().toString() == given.AddressBook
                     && Child<QCheckBox>(d, "CHSynAutomaticky")->isChecked() == given.OnOpenAndSave
                     && Child<QCheckBox>(d, "CHSynKalendar")->isChecked() == given.PublishCalendar
                     && Child<QComboBox>(d, "CBKalendar")->currentData().toString() == given.Calendar
                     && Child<QSpinBox>(d, "SESynPripominka")->value() == given.AlarmDays
                     && (d->findChild<QLabel *>(QStringLiteral("LSynKlicenka")) != nullptr) == !keyring;
        if (typeNew) {
            QTest::keyClicks(Child<QLineEdit>(d, "ESynServer"), QStringLiteral("http://127.0.0.1:5232/"));
            QTest::keyClicks(Child<QLineEdit>(d, "ESynUzivatel"), QStringLiteral("petr"));
            QTest::keyClicks(Child<QLineEdit>(d, "ESynHeslo"), QStringLiteral("heslo s mezerou"));
            QTest::mouseClick(Child<QPushButton>(d, "BVyhledat"), Qt::LeftButton);
            auto *books = Child<QComboBox>(d, "CBAdresar");
            books->setCurrentIndex(books->findText(QStringLiteral("Práce"), Qt::MatchStartsWith));
            Child<QCheckBox>(d, "CHSynAutomaticky")->click();
            Child<QCheckBox>(d, "CHSynKalendar")->click();
            Child<QSpinBox>(d, "SESynPripominka")->setValue(0);
        }
        QTest::mouseClick(Child<QPushButton>(d, "BPouzit"), Qt::LeftButton);
    });
    TSyncSettings settings = given;
    QString pw = password;
    QVERIFY(dialogs.AskSettings(settings, pw, keyring, lookup));
    QVERIFY(shownRight);
    QCOMPARE(settings, expected);
    QCOMPARE(pw, expectedPassword);
    if (typeNew)
        QCOMPARE(asked, (QStringList {QStringLiteral("http://127.0.0.1:5232/"), QStringLiteral("petr"),
                                      QStringLiteral("heslo s mezerou")}));

    // Storno changes nothing.
    OnDialog([](QWidget *d) {
        Child<QLineEdit>(d, "ESynServer")->setText(QStringLiteral("https://jinam.cz/"));
        QTest::mouseClick(Child<QPushButton>(d, "BStorno"), Qt::LeftButton);
    });
    TSyncSettings untouched = expected;
    QVERIFY(!dialogs.AskSettings(untouched, pw, keyring, lookup));
    QCOMPARE(untouched, expected);
}

void TestSyncWindow::conflictDialog_data()
{
    QTest::addColumn<QString>("press"); // a button's objectName, or "Escape"
    QTest::addColumn<bool>("all");
    QTest::addColumn<int>("choice");
    QTest::newRow("mine") << "BMoje" << false << int(TConflictChoice::Mine);
    QTest::newRow("the server's, for all") << "BServer" << true << int(TConflictChoice::Theirs);
    QTest::newRow("both") << "BObe" << false << int(TConflictChoice::Both);
    QTest::newRow("later") << "BPozdeji" << false << int(TConflictChoice::Leave);
    QTest::newRow("escape leaves it") << "Escape" << true << int(TConflictChoice::Leave);
}

void TestSyncWindow::conflictDialog()
{
    QFETCH(QString, press);
    QFETCH(bool, all);
    QFETCH(int, choice);
    QWidget parent;
    TWidgetSyncDialogs dialogs(&parent);
    const QStringList mine {QStringLiteral("Název: Novák Jan"), QStringLiteral("Mobilní: 603 111 111")};
    const QStringList theirs {QStringLiteral("Název: Novák Jan"), QStringLiteral("Mobilní: 604 222 222")};
    QStringList bold;
    OnDialog([&](QWidget *d) {
        for (const char *side : {"LBMoje", "LBServer"}) {
            auto *list = Child<QListWidget>(d, side);
            for (int i = 0; i < list->count(); ++i)
                if (list->item(i)->font().bold())
                    bold << list->item(i)->text();
        }
        if (all)
            Child<QCheckBox>(d, "CHVsechny")->setChecked(true);
        if (press == QLatin1String("Escape"))
            QTest::keyClick(d, Qt::Key_Escape);
        else
            QTest::mouseClick(Child<QPushButton>(d, press.toLatin1().constData()), Qt::LeftButton);
    });
    bool forAll = false;
    QCOMPARE(int(dialogs.AskConflict(mine, theirs, forAll)), choice);
    QCOMPARE(forAll, all);
    // Only what differs stands out.
    QCOMPARE(bold, (QStringList {mine.at(1), theirs.at(1)}));
}

void TestSyncWindow::certificateDialog_data()
{
    QTest::addColumn<QString>("before"); // the fingerprint trusted until now
    QTest::addColumn<QString>("press"); // a button's objectName, "Enter" or "Escape"
    QTest::addColumn<bool>("trusted");
    const QString none, old = QStringLiteral("AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99");
    QTest::newRow("first meeting, trusted") << none << "BDuverovat" << true;
    QTest::newRow("first meeting, Enter refuses") << none << "Enter" << false;
    QTest::newRow("changed, trusted on purpose") << old << "BDuverovat" << true;
    QTest::newRow("changed, refused") << old << "BOdmitnout" << false;
    QTest::newRow("changed, Enter refuses") << old << "Enter" << false;
    QTest::newRow("changed, Escape refuses") << old << "Escape" << false;
}

// A certificate other than the one trusted for the server is never shown as a first
// meeting: the dialog says it changed and shows both fingerprints. Refusing is the default.
void TestSyncWindow::certificateDialog()
{
    QFETCH(QString, before);
    QFETCH(QString, press);
    QFETCH(bool, trusted);
    QWidget parent;
    TWidgetSyncDialogs dialogs(&parent);
    TCertificateInfo c;
    c.Host = QStringLiteral("dav.example.cz");
    c.Port = 8443;
    c.Fingerprint = QStringLiteral("12:34:56:78:9A:BC:DE:F0:12:34:56:78:9A:BC:DE:F0:12:34:56:78:9A:BC:DE:F0:12:34:56:78:9A:BC:DE:F0");
    c.Subject = QStringLiteral("CN=dav.example.cz");
    c.Issuer = QStringLiteral("CN=dav.example.cz");
    c.ValidFrom = QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    c.ValidTo = QDateTime(QDate(2027, 1, 1), QTime(0, 0), Qt::UTC);
    QString title, text, shownBefore, shownNow;
    bool refuseIsDefault = false, refuseHasFocus = false;
    OnDialog([&](QWidget *d) {
        const auto reject = qScopeGuard([d] {
            if (d->isVisible())
                static_cast<QDialog *>(d)->reject();
        });
        title = d->windowTitle();
        text = Child<QLabel>(d, "LCertText")->text();
        if (auto *l = d->findChild<QLabel *>(QStringLiteral("LCertOtiskDrive")))
            shownBefore = l->text();
        shownNow = Child<QLabel>(d, "LCertOtisk")->text();
        auto *refuse = Child<QPushButton>(d, "BOdmitnout");
        refuseIsDefault = refuse->isDefault() && !Child<QPushButton>(d, "BDuverovat")->isDefault();
        refuseHasFocus = d->focusWidget() == refuse;
        if (press == QLatin1String("Enter"))
            QTest::keyClick(d->focusWidget(), Qt::Key_Return);
        else if (press == QLatin1String("Escape"))
            QTest::keyClick(d, Qt::Key_Escape);
        else
            QTest::mouseClick(Child<QPushButton>(d, press.toLatin1().constData()), Qt::LeftButton);
    });
    QCOMPARE(dialogs.AskCertificate(c, before), trusted);
    QVERIFY(text.contains(QStringLiteral("dav.example.cz:8443")));
    QCOMPARE(shownNow, c.Fingerprint);
    QVERIFY(refuseIsDefault);
    QVERIFY(refuseHasFocus);
    if (before.isEmpty()) {
        QCOMPARE(title, QString::fromUtf8("Neověřený certifikát serveru"));
        QVERIFY(shownBefore.isEmpty());
    } else {
        QCOMPARE(title, QString::fromUtf8("Certifikát serveru se změnil"));
        QVERIFY2(text.contains(QString::fromUtf8("jiným certifikátem, než jakému jste dříve důvěřovali")), qPrintable(text));
        QCOMPARE(shownBefore, before);
    }
}

namespace {

// The keyring as a map; a password once typed is there.
class TMemoryPasswords : public IPasswordStore
{
public:
    TPasswordResult Read(const QString &key, QString &password) override
    {
        if (!Kept.contains(key))
            return TPasswordResult::NotFound;
        password = Kept.value(key);
        return TPasswordResult::Ok;
    }
    TPasswordResult Write(const QString &key, const QString &password) override
    {
        Kept.insert(key, password);
        return TPasswordResult::Ok;
    }
    TPasswordResult Remove(const QString &key) override
    {
        Kept.remove(key);
        return TPasswordResult::Ok;
    }
    QMap<QString, QString> Kept;
};

// The person: conflicts answered from a queue, the progress waited out (or cancelled).
class TScriptedDialogs : public ISyncDialogs
{
public:
    bool AskSettings(TSyncSettings &, QString &, bool,
                     const std::function<TServerLookup(const QString &, const QString &, const QString &)> &) override
    {
        return false;
    }
    bool AskPassword(const QString &, const QString &, const QString &, QString &password) override
    {
        ++PasswordsAsked;
        password = Password;
        return true;
    }
    TConflictChoice AskConflict(const QStringList &mine, const QStringList &theirs, bool &forAll) override
    {
        Conflicts << mine.join(QLatin1Char('|')) + QStringLiteral(" <> ") + theirs.join(QLatin1Char('|'));
        forAll = false;
        return Choices.isEmpty() ? TConflictChoice::Leave : Choices.dequeue();
    }
    bool AskCertificate(const TCertificateInfo &, const QString &) override { return false; }
    void Wait(TSyncJob &job) override
    {
        if (CancelAtOnce)
            job.Cancel();
        QEventLoop loop;
        QObject::connect(&job, &TSyncJob::Done, &loop, &QEventLoop::quit);
        if (!job.Finished())
            loop.exec();
    }

    QString Password;
    int PasswordsAsked = 0;
    QQueue<TConflictChoice> Choices;
    QStringList Conflicts;
    bool CancelAtOnce = false;
};

} // namespace

// From the file menu against Radicale: the first sync asks the password once and keeps it
// in the keyring; a conflict kept both ways gives two entries and two cards; a cancelled
// run leaves the book file as it was.
void TestSyncWindow::runs()
{
    TDavServer server(EServer::Radicale);
    if (!server.Missing().isEmpty())
        QSKIP(qPrintable(server.Missing()));
    QVERIFY2(server.Start().isEmpty(), "Radicale did not start");
    const QUrl collection = server.NewCollection(QStringLiteral("okno"));
    QVERIFY(collection.isValid());

    TSessionFixture f;
    qputenv("XDG_STATE_HOME", f.Path("state").toUtf8());
    TContactRecord novak = TestBook::Entry("Novák Jan");
    novak.SetText(EField::Telefon9, "603 111 111");
    novak.SetText(EField::Svatek, "24.06.");
    f.Open({novak, TestBook::Entry("Svobodová Eva")});
    TSyncSettings &settings = f.S->Settings.Sync;
    settings.Server = server.Root().toString();
    settings.User = server.User();
    settings.AddressBook = collection.toString();

    TMemoryPasswords passwords;
    TScriptedDialogs dialogs;
    dialogs.Password = server.Password();
    TSyncCommands sync(*f.S, *f.Editor, *f.Docs, dialogs, passwords,
                       [](const TBookLabels &labels, const TSettings &) -> std::unique_ptr<ICardMapping> {
                           return std::make_unique<TVCardMapping>(labels, TExportOptions());
                       },
                       f.Path("trust.ini"));
    sync.SetTimeout(10000);

    sync.ISynchronizovatClick();
    QCOMPARE(dialogs.PasswordsAsked, 1);
    QCOMPARE(passwords.Kept.size(), 1);
    QCOMPARE(f.Prompt.Shown.constLast().Text, QString::fromUtf8("Synchronizace skončila:\n2 kontakty nahrány na server"));
    TCards cards;
    QVERIFY(server.Http().Cards(collection, cards));
    QCOMPARE(cards.size(), 2);

    // Both sides change Novák: kept both ways.
    QString novakAt;
    for (auto it = cards.cbegin(); it != cards.cend(); ++it)
        if (it->Text.contains("FN:Novák Jan"))
            novakAt = it.key();
    QUrl card = collection;
    card.setPath(novakAt);
    QByteArray text = cards.value(novakAt).Text;
    text.replace("603 111 111", "604 222 222");
    QCOMPARE(server.Http().Put(card, text, cards.value(novakAt).ETag) / 100, 2);
    f.S->Book.FindByName(TestBook::Cp("Novák Jan"))->SetText(EField::Email, "jan@novak.cz");
    f.S->Book.Changed = true;
    dialogs.Choices.enqueue(TConflictChoice::Both);
    sync.ISynchronizovatClick();
    QCOMPARE(dialogs.PasswordsAsked, 1); // the keyring had it
    QCOMPARE(dialogs.Conflicts.size(), 1);
    QVERIFY2(dialogs.Conflicts.first().contains(QStringLiteral("603 111 111"))
                 && dialogs.Conflicts.first().contains(QStringLiteral("604 222 222")),
             qPrintable(dialogs.Conflicts.first()));
    // The server's version comes down as "Novák Jan (2)", and its card follows that name,
    // so that phones too show two names, not the same one twice.
    QCOMPARE(f.Prompt.Shown.constLast().Text,
             QString::fromUtf8("Synchronizace skončila:\n2 kontakty nahrány na server\n1 kontakt stažen ze serveru"));
    QVERIFY(!f.S->Book.Changed);
    const QByteArray bytes = TestBook::ReadFile(f.Path("kniha.wdt"));
    QList<QByteArray> names;
    for (qsizetype at = kRecordSize; at + kRecordSize <= bytes.size(); at += kRecordSize)
        names << TContactRecord::FromBytes(bytes.constData() + at).Name();
    std::sort(names.begin(), names.end());
    QCOMPARE(names, (QList<QByteArray> {TestBook::Cp("Novák Jan"), TestBook::Cp("Novák Jan (2)"), TestBook::Cp("Svobodová Eva")}));
    QVERIFY(server.Http().Cards(collection, cards));
    QCOMPARE(cards.size(), 3);
    QStringList shownAs;
    for (const auto &c : cards)
        shownAs << SyncFixture::Value(SyncFixture::ParseCard(c.Text), "FN");
    shownAs.sort();
    QCOMPARE(shownAs, (QStringList {QString::fromUtf8("Novák Jan"), QString::fromUtf8("Novák Jan (2)"), QString::fromUtf8("Svobodová Eva")}));

    // A cancelled run: the book file stays as it was, and says so.
    f.S->Book.FindByName(TestBook::Cp("Svobodová Eva"))->SetText(EField::Email, "eva@svobodova.cz");
    f.S->Book.Changed = true;
    f.Docs->IUlozitClick();
    const QByteArray saved = TestBook::ReadFile(f.Path("kniha.wdt"));
    dialogs.CancelAtOnce = true;
    sync.ISynchronizovatClick();
    QVERIFY(f.Prompt.Shown.constLast().Text.contains(QString::fromUtf8("přerušena")));
    QCOMPARE(TestBook::ReadFile(f.Path("kniha.wdt")), saved);
    QVERIFY(!sync.Running());

    // Synced on saving when the settings ask, after the save has finished.
    dialogs.CancelAtOnce = false;
    settings.OnOpenAndSave = true;
    connect(f.Docs.get(), &TDocumentCommands::BookStored, &sync, &TSyncCommands::AfterOpenOrSave, Qt::QueuedConnection);
    const qsizetype shown = f.Prompt.Shown.size();
    f.S->Book.Changed = true;
    f.Docs->IUlozitClick();
    QCOMPARE(f.Prompt.Shown.size(), shown);
    QTRY_COMPARE(f.Prompt.Shown.size(), shown + 1);
    QCOMPARE(f.Prompt.Shown.constLast().Text, QString::fromUtf8("Synchronizace skončila:\n1 kontakt nahrán na server"));
    server.Stop();
}

void TestSyncWindow::closeDuringRun_data()
{
    QTest::addColumn<bool>("stop");
    QTest::newRow("no: the run goes on, the window stays") << false;
    QTest::newRow("yes: closed at the run's safe point") << true;
}

// Closing the main window during a run asks. On no the run goes on to its end with the
// window open; on yes it stops at its next safe point, the window keeps painting
// meanwhile and then closes by the usual way, the book as it was.
void TestSyncWindow::closeDuringRun()
{
    QFETCH(bool, stop);
    QProcess server;
    server.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(VORLINK_SYNC_TESTS_DIR "/faultserver.py"), QStringLiteral("slowly"), QStringLiteral("150")});
    if (!server.waitForReadyRead(10000))
        QSKIP("python3 did not start the test server");
    const int port = server.readLine().trimmed().toInt();
    const auto stopServer = qScopeGuard([&server] {
        server.kill();
        server.waitForFinished(5000);
    });

    QTemporaryDir dir;
    qputenv("XDG_STATE_HOME", dir.filePath(QStringLiteral("state")).toUtf8());
    const QString book = dir.filePath(QStringLiteral("kniha.wdt"));
    TestBook::WriteFile(book, TestBook::FileBytes(TBookLabels::Defaults(), {TestBook::Entry("Novák Jan"), TestBook::Entry("Svobodová Eva")}));
    const QByteArray before = TestBook::ReadFile(book);
    TWidgetPrompt prompt;
    TFixedClock clock;
    TVorlinkApp app(prompt, clock, dir.filePath(QStringLiteral("settings.ini")));
    TFormMain &w = app.Window();
    prompt.SetWindow(&w);
    app.Start({book}, dir.path() + QLatin1Char('/'), dir.path() + QLatin1Char('/'));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    TSession &s = w.Session();
    s.Settings.Sync.Server = QStringLiteral("http://127.0.0.1:%1/kontakty/").arg(port);
    app.Sync().SetTimeout(10000);
    QSignalSpy ended(&w, &TFormMain::Ended);

    // What happens while the run goes on, seen from the events it keeps running.
    bool locked = false, asked = false, told = false;
    QPointer<QProgressDialog> progress;
    When(&w, [&] { return (progress = w.findChild<QProgressDialog *>(QStringLiteral("TFormSynPrubeh"))) && progress->isVisible(); },
         [&] {
             // The book cannot change under the run, even from the window itself.
             w.activateWindow();
             const bool active = QTest::qWaitForWindowActive(&w);
             QTest::keyClick(&w, Qt::Key_I, Qt::ControlModifier);
             locked = active && s.Book.RecordCount() == 2 && !w.centralWidget()->isEnabled() && !w.menuBar()->isEnabled();
             QTimer::singleShot(0, &w, [&w] { DesktopClose(&w); });
             When(&w, [] { return ShownHlaska(QString::fromUtf8("Probíhá synchronizace")) != nullptr; }, [&] {
                 asked = true;
                 const char *answer = stop ? "ButtonAno" : "ButtonNe";
                 QTest::mouseClick(ShownHlaska(QString::fromUtf8("Probíhá synchronizace"))->findChild<QPushButton *>(QLatin1String(answer)),
                                   Qt::LeftButton);
             });
         });
    // The summary after a run left to go on.
    When(&w, [] { return ShownHlaska(QString::fromUtf8("Synchronizace skončila")) != nullptr; }, [&] {
        told = true;
        ShownHlaska(QString::fromUtf8("Synchronizace skončila"))->findChild<QPushButton *>(QStringLiteral("ButtonOk"))->click();
    });
    // Whatever a fault left open does not hang the test.
    QTimer watchdog;
    watchdog.setInterval(20000);
    connect(&watchdog, &QTimer::timeout, [] {
        if (QWidget *m = QApplication::activeModalWidget())
            m->close();
    });
    watchdog.start();

    w.Action(QStringLiteral("ISynchronizovat"))->trigger();
    QVERIFY(locked);
    QVERIFY(asked);
    if (stop) {
        QTRY_COMPARE(ended.count(), 1);
        QVERIFY(!w.isVisible());
        QVERIFY(!told);
        QCOMPARE(TestBook::ReadFile(book), before);
    } else {
        QVERIFY(told);
        QCOMPARE(ended.count(), 0);
        QVERIFY(w.isVisible());
        QVERIFY(w.centralWidget()->isEnabled());
        QCOMPARE(s.Book.RecordCount(), 4); // the server's two cards came in
        QVERIFY(TestBook::ReadFile(book) != before);
    }
}

QTEST_MAIN(TestSyncWindow)
#include "tst_syncwindow.moc"

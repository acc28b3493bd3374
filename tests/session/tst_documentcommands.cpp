#include "session/Messages.h"

#include "SessionFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSettings>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using TestBook::Cp;
using TestBook::Entry;

namespace {

// Another running program with the same book, a settings file of its own.
struct TOtherProgram
{
    TFakePrompt Prompt;
    TFixedClock Clock;
    TFakeView View;
    TSession S;
    TRecordEditor Editor;
    TDocumentCommands Docs;

    explicit TOtherProgram(const TSessionFixture &f)
        : S(Prompt, Clock, View, f.Path("other.ini")), Editor(S), Docs(S, Editor)
    {
        Docs.StartUp({});
    }
    void Open(const QString &path)
    {
        Prompt.OpenPaths.enqueue(path);
        Docs.IOtevritClick();
    }
};

} // namespace

class TestDocumentCommands : public QObject
{
    Q_OBJECT

private slots:
    void startWithoutFile();
    void startWithUnreadableFileGivesNewBook();
    void newBookCountsAsChangedAndCannotBeSaved();
    void saveWithoutFileAsksForPath();
    void failedOpenLeavesBook_data();
    void failedOpenLeavesBook();
    void cancelledOpenUnderMaskShowsMaskedList();
    void cancelledOpenChangesNothing_data();
    void cancelledOpenChangesNothing();
    void unsavedQuestion_data();
    void unsavedQuestion();
    void settingsFailureStopsCommand();
    void bookSettingsReachTheWindow();
    void recentFiles_data();
    void recentFiles();
    void recentFileOpens();
    void failedSaveAsKeepsNewName();
    void saveOverAnotherBookAsks_data();
    void saveOverAnotherBookAsks();
    void closeQuery_data();
    void closeQuery();
    void autoSearchDue_data();
    void autoSearchDue();
    void saveOverAnotherProgramsWrite_data();
    void saveOverAnotherProgramsWrite();
    void reloadAfterAnotherProgramsWrite();
    void openBookAnotherProgramHolds_data();
    void openBookAnotherProgramHolds();
};

void TestDocumentCommands::startWithoutFile()
{
    TSessionFixture f;
    const TAddressBook &b = f.S->Book;
    QCOMPARE(b.FileName, Msg::Unnamed());
    QVERIFY(b.IsOpen);
    QVERIFY(!b.Changed);
    QCOMPARE(b.RecordCount(), 1);
    QCOMPARE(f.ListNames(), QList<QByteArray> {QByteArray()});
    QVERIFY(!f.Docs->SaveEnabled());
    QCOMPARE(b.Labels, TBookLabels::Defaults());
    QCOMPARE(f.Status(0), Msg::Unnamed());
    QCOMPARE(f.Status(1), QString::fromUtf8("1 záznam"));
}

void TestDocumentCommands::startWithUnreadableFileGivesNewBook()
{
    TSessionFixture f;
    TestBook::WriteFile(f.Path("bad.wdt"), QByteArray(1000, 'x'));
    f.Docs->StartUp(f.Path("bad.wdt"));
    QCOMPARE(f.Prompt.Texts(), QStringList {Msg::HeaderReadFailed()});
    QCOMPARE(f.S->Book.FileName, Msg::Unnamed());
    QCOMPARE(f.S->Book.RecordCount(), 1);
    f.Prompt.Reset();
    f.Docs->StartUp(f.Path("nothing-here.wdt"));
    QVERIFY(f.Prompt.Shown.isEmpty());
    QCOMPARE(f.S->Book.FileName, Msg::Unnamed());
}

void TestDocumentCommands::newBookCountsAsChangedAndCannotBeSaved()
{
    TSessionFixture f;
    f.Open({Entry("A")});
    QVERIFY(f.Docs->SaveEnabled());
    f.S->Book.Labels.PhoneCaptions[0] = "x";
    f.Docs->INovyClick();
    QVERIFY(f.S->Book.Changed);
    QVERIFY(!f.Docs->SaveEnabled());
    QCOMPARE(f.S->Book.Labels, TBookLabels::Defaults());
    f.Docs->IUlozitClick(); // the disabled item does nothing
    QCOMPARE(f.Prompt.SaveAsked, 0);
    // Opening another book now asks first.
    f.Prompt.Answers.enqueue(kHlaskaNe);
    f.Docs->IOtevritClick();
    QCOMPARE(f.Prompt.Texts(), QStringList {Msg::UnsavedQuestion()});
    QCOMPARE(f.Prompt.OpenAsked, 1); // only the first open, in Open()
}

void TestDocumentCommands::saveWithoutFileAsksForPath()
{
    TSessionFixture f;
    f.Docs->IPripojitClick(); // cancelled append: the save item is enabled, no file yet
    QVERIFY(f.Docs->SaveEnabled());
    f.Editor->EditText(EField::NazevPolozky, "A");
    f.Prompt.SavePaths.enqueue(f.Path("nova.wdt"));
    f.Docs->IUlozitClick();
    QCOMPARE(f.Prompt.SaveAsked, 1);
    QVERIFY(QFileInfo::exists(f.Path("nova.wdt")));
    QVERIFY(!QFileInfo::exists(Msg::Unnamed()));
    QCOMPARE(f.S->Book.FileName, f.Path("nova.wdt"));
    QVERIFY(!f.S->Book.Changed);
}

void TestDocumentCommands::failedOpenLeavesBook_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("open dialog") << 0;
    QTest::newRow("recent file") << 1;
}

void TestDocumentCommands::failedOpenLeavesBook()
{
    QFETCH(int, how);
    TSessionFixture f;
    f.Open({Entry("A"), Entry("B")});
    f.Editor->EditText(EField::Ico, "1");
    f.Editor->ListBoxNazevClick(1);
    QVERIFY(f.S->Book.Changed);
    QByteArray broken = TestBook::FileBytes(TBookLabels::Defaults(), {Entry("X")});
    broken.chop(1);
    TestBook::WriteFile(f.Path("broken.wdt"), broken);
    if (how == 0) {
        f.Prompt.OpenPaths.enqueue(f.Path("broken.wdt"));
        f.Docs->IOtevritClick();
    } else {
        f.S->Recent.AddRecentFile(f.Path("broken.wdt"));
        f.Docs->ItemHistorieClick(0);
    }
    QCOMPARE(f.Prompt.Last(), Msg::ReadFailed());
    QCOMPARE(f.S->Book.FileName, f.Path("kniha.wdt"));
    QVERIFY(f.S->Book.Changed);
    QCOMPARE(f.ListNames(), (QList<QByteArray> {"A", "B"}));
    // A later save writes the open book to its own file, not over the broken one.
    f.Docs->IUlozitClick();
    QCOMPARE(TestBook::ReadFile(f.Path("broken.wdt")), broken);
    QCOMPARE(TestBook::ReadFile(f.Path("kniha.wdt")).size(), 3 * kRecordSize);
}

void TestDocumentCommands::cancelledOpenUnderMaskShowsMaskedList()
{
    TSessionFixture f;
    f.Open({Entry("A", 1), Entry("B"), Entry("C", 1)});
    f.S->Book.Mask.RequireSet[0] = true;
    f.S->Book.Mask.Active = true;
    f.S->Book.RefillListWithMask();
    f.Docs->IOtevritClick(); // cancelled
    QCOMPARE(f.ListNames(), (QList<QByteArray> {"A", "C"}));
    QVERIFY(f.Status(1).endsWith(QStringLiteral(" (maska)")));
}

void TestDocumentCommands::cancelledOpenChangesNothing_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("autoSearch");
    QTest::newRow("typed into a named entry") << QByteArray("B") << false;
    QTest::newRow("typed into an unnamed entry") << QByteArray() << false;
    QTest::newRow("reminders due") << QByteArray("B") << true;
}

// The entry being typed stays in the editor, unstored and unquestioned; nothing is
// searched or refreshed.
void TestDocumentCommands::cancelledOpenChangesNothing()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, autoSearch);
    TSessionFixture f;
    int searches = 0;
    f.Docs->SetAutoSearch([&](int) { ++searches; });
    f.Open({Entry("A"), Entry("B")});
    f.S->Settings.hledatAutomaticky = autoSearch;
    f.S->Settings.NaposledySpusteno = 0;
    f.Editor->ListBoxNazevClick(1);
    f.Editor->EditText(EField::NazevPolozky, name);
    f.Editor->EditText(EField::Ico, "12345678");
    searches = 0;
    f.Docs->IOtevritClick(); // Ano to the question, then the dialog is cancelled
    QCOMPARE(f.Prompt.Texts(), QStringList {Msg::UnsavedQuestion()});
    QCOMPARE(searches, 0);
    QCOMPARE(f.S->Book.CurrentIndex, 1);
    QCOMPARE(f.S->Editor.Text(EField::Ico), QByteArray("12345678"));
    QVERIFY(f.S->Editor.RecordEdited);
    QVERIFY(f.S->Book.Changed);
    if (!name.isEmpty()) {
        QVERIFY(f.Editor->StoreFields());
        QCOMPARE(f.S->Book.Record(1).Text(EField::Ico), QByteArray("12345678"));
    }
}

void TestDocumentCommands::unsavedQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Ano") << kHlaskaAno;
    QTest::newRow("Ne") << kHlaskaNe;
}

void TestDocumentCommands::unsavedQuestion()
{
    QFETCH(int, answer);
    TSessionFixture f;
    f.Open({Entry("A")});
    f.Editor->EditText(EField::Ico, "1");
    f.Prompt.Answers.enqueue(answer);
    f.Docs->INovyClick();
    QCOMPARE(f.Prompt.Texts(), QStringList {Msg::UnsavedQuestion()});
    QCOMPARE(f.S->Book.FileName == Msg::Unnamed(), answer == kHlaskaAno);
}

void TestDocumentCommands::settingsFailureStopsCommand()
{
    TSessionFixture f;
    f.Open({Entry("A")});
    TestBook::WriteFile(f.Path("blocker"), "x");
    // Point the store at a file whose parent is a regular file: every write fails.
    TSession s2(f.Prompt, f.Clock, f.View, f.Path("blocker") + QStringLiteral("/s.ini"));
    TRecordEditor e2(s2);
    TDocumentCommands d2(s2, e2);
    d2.StartUp({});
    f.Prompt.Reset();
    d2.INovyClick();
    QCOMPARE(f.Prompt.Texts(), QStringList {Msg::RegistryFailed()});
    QVERIFY(!s2.Book.Changed); // the new command did not run
    QVERIFY(!d2.CloseQuery());
}

// Captions come from the file, the window from the store; a save keeps the window as it is.
void TestDocumentCommands::bookSettingsReachTheWindow()
{
    TSessionFixture f;
    {
        QSettings ini(f.Path("settings.ini"), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Okno/Sirka"), QStringLiteral("800"));
        ini.setValue(QStringLiteral("Okno/Vyska"), QStringLiteral("600"));
        ini.setValue(QStringLiteral("Okno/ListBox"), QStringLiteral("222"));
    }
    f.S->Store.Store().sync(); // reads the file written beside it
    TBookLabels labels = TBookLabels::Defaults();
    labels.FlagCaptions[0] = Cp("Rodina");
    TestBook::WriteFile(f.Path("kniha.wdt"), TestBook::FileBytes(labels, {Entry("A")}));
    f.Docs->StartUp(f.Path("kniha.wdt"));
    QCOMPARE(f.View.Size, QSize(800, 600));
    QCOMPARE(f.View.List, 222);
    QCOMPARE(f.View.Shown, labels);
    QCOMPARE(f.S->Book.Labels, labels);

    f.View.Size = QSize(700, 500);
    f.View.List = 180;
    f.Docs->IUlozitClick();
    QSettings ini(f.Path("settings.ini"), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("Okno/Sirka")).toString(), QStringLiteral("700"));
    QCOMPARE(ini.value(QStringLiteral("Okno/Vyska")).toString(), QStringLiteral("500"));
    QCOMPARE(ini.value(QStringLiteral("Okno/ListBox")).toString(), QStringLiteral("180"));

    f.Docs->INovyClick();
    QCOMPARE(f.View.Shown, TBookLabels::Defaults());
}

void TestDocumentCommands::recentFiles_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QStringList>("after");
    const QStringList five {"/1", "/2", "c:\\a\\kniha.wdt", "/4", "/5"};
    QTest::newRow("moves up, case ignored") << five << "C:\\A\\KNIHA.WDT"
                                            << QStringList {"C:\\A\\KNIHA.WDT", "/1", "/2", "/4", "/5"};
    QTest::newRow("sixth drops the oldest") << five << "/6"
                                            << QStringList {"/6", "/1", "/2", "c:\\a\\kniha.wdt", "/4"};
    QTest::newRow("top stays") << five << "/1" << five;
    QTest::newRow("accents compared in capitals")
        << QStringList {QString::fromUtf8("/přátelé.wdt"), "/2", "", "", ""} << QString::fromUtf8("/PŘÁTELÉ.WDT")
        << QStringList {QString::fromUtf8("/přátelé.wdt"), "/2", "", "", ""};
    QTest::newRow("unnamed is never added") << QStringList {"/1", "", "", "", ""} << Msg::Unnamed()
                                            << QStringList {"/1", "", "", "", ""};
}

void TestDocumentCommands::recentFiles()
{
    QFETCH(QStringList, before);
    QFETCH(QString, added);
    QFETCH(QStringList, after);
    TRecentFiles r;
    r.SetFiles(before);
    r.AddRecentFile(added);
    QCOMPARE(r.Files(), after);
}

void TestDocumentCommands::recentFileOpens()
{
    TSessionFixture f;
    f.Open({Entry("A")}, "a.wdt");
    f.Open({Entry("B")}, "b.wdt");
    QCOMPARE(f.S->Recent.Files().mid(0, 2), (QStringList {f.Path("b.wdt"), f.Path("a.wdt")}));
    f.Docs->ItemHistorieClick(1);
    QCOMPARE(f.S->Book.FileName, f.Path("a.wdt"));
    QCOMPARE(f.ListNames(), QList<QByteArray> {"A"});
    QCOMPARE(f.S->Recent.Files().first(), f.Path("a.wdt"));
}

void TestDocumentCommands::saveOverAnotherBookAsks_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Ano") << kHlaskaAno;
    QTest::newRow("Ne") << kHlaskaNe;
}

// An imported book takes a name after its source; a book already there under that name is
// another book and is not overwritten without a question.
void TestDocumentCommands::saveOverAnotherBookAsks()
{
    QFETCH(int, answer);
    TSessionFixture f;
    f.Open({Entry("A")});
    const QByteArray other = TestBook::FileBytes(TBookLabels::Defaults(), {Entry("Jiný"), Entry("Adresář")});
    TestBook::WriteFile(f.Path("adresy.wdt"), other);
    f.S->Book.FileName = f.Path("adresy.wdt"); // as the import names it
    f.S->Book.Changed = true;
    f.Prompt.Answers.enqueue(answer);
    f.Docs->IUlozitClick();
    QCOMPARE(f.Prompt.Texts(), QStringList {Msg::OverwriteOtherQuestion()});
    QCOMPARE(TestBook::ReadFile(f.Path("adresy.wdt")) == other, answer == kHlaskaNe);
    QCOMPARE(f.S->Book.Changed, answer == kHlaskaNe);
    // Once written, it is this book's file: the next save asks nothing.
    f.Prompt.Reset();
    f.S->Book.Changed = true;
    f.Docs->IUlozitClick();
    QCOMPARE(f.Prompt.Texts().isEmpty(), answer == kHlaskaAno);
}

void TestDocumentCommands::failedSaveAsKeepsNewName()
{
    TSessionFixture f;
    f.Open({Entry("A")});
    TestBook::WriteFile(f.Path("file"), "x");
    const QString bad = f.Path("file") + QStringLiteral("/x.wdt");
    f.Prompt.SavePaths.enqueue(bad);
    f.Docs->IUlozitJakoClick();
    QCOMPARE(f.Prompt.Texts(), QStringList {Msg::OpenFailed()});
    QCOMPARE(f.Status(0), bad);
    QVERIFY(f.S->Recent.Files().first() != bad);
}

void TestDocumentCommands::closeQuery_data()
{
    QTest::addColumn<bool>("edited");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("nothing changed") << false << kHlaskaNe << true;
    QTest::newRow("changed, Ano") << true << kHlaskaAno << true;
    QTest::newRow("changed, Ne") << true << kHlaskaNe << false;
}

void TestDocumentCommands::closeQuery()
{
    QFETCH(bool, edited);
    QFETCH(int, answer);
    QFETCH(bool, closes);
    TSessionFixture f;
    f.Open({Entry("A")});
    if (edited)
        f.Editor->EditText(EField::Ico, "1");
    f.Prompt.Answers.enqueue(answer);
    QCOMPARE(f.Docs->CloseQuery(), closes);
    QSettings ini(f.Path("settings.ini"), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("Historie/Historie0")).toString(), closes ? f.Path("kniha.wdt") : QString());
}

void TestDocumentCommands::autoSearchDue_data()
{
    QTest::addColumn<bool>("automatic");
    QTest::addColumn<QString>("lastWritten");
    QTest::addColumn<bool>("due");
    QTest::newRow("written yesterday") << true << "202612061200000" << true;
    QTest::newRow("written today") << true << "202612070000000" << false;
    QTest::newRow("never written") << true << "" << false;
    QTest::newRow("automatic off") << false << "202612061200000" << false;
}

void TestDocumentCommands::autoSearchDue()
{
    QFETCH(bool, automatic);
    QFETCH(QString, lastWritten);
    QFETCH(bool, due);
    TSessionFixture f;
    {
        QSettings ini(f.Path("settings.ini"), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Casy/hledatAutomaticky-KNIHA.WDT"), automatic ? "1" : "0");
        if (!lastWritten.isEmpty())
            ini.setValue(QStringLiteral("Casy/NaposledySpusteno-KNIHA.WDT"), lastWritten);
    }
    int searched = -1;
    f.Docs->SetAutoSearch([&](int days) { searched = days; });
    f.Open({Entry("A")});
    QCOMPARE(searched == 7, due);
}

void TestDocumentCommands::saveOverAnotherProgramsWrite_data()
{
    QTest::addColumn<int>("other"); // 0 nothing, 1 a second program adds an entry, 2 a rewrite in place
    QTest::addColumn<bool>("edited");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::newRow("nobody else wrote") << 0 << true << kHlaskaNe << false;
    QTest::newRow("other added an entry, Ne") << 1 << true << kHlaskaNe << true;
    QTest::newRow("other added an entry, unedited, Ano") << 1 << false << kHlaskaAno << true;
    // Same size, same inode, the old time given back (as a copy that keeps times does):
    // only the content tells.
    QTest::newRow("rewritten in place, time kept, Ne") << 2 << true << kHlaskaNe << true;
}

void TestDocumentCommands::saveOverAnotherProgramsWrite()
{
    QFETCH(int, other);
    QFETCH(bool, edited);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    TSessionFixture f;
    f.Open({Entry("A"), Entry("B")});
    const QString path = f.Path("kniha.wdt");
    TOtherProgram o(f);
    o.Open(path);
    if (other == 1) {
        o.S.Book.AppendRecord(Entry("Nový"));
        o.Docs.IUlozitClick();
    } else if (other == 2) {
        const QByteArray name = QFile::encodeName(path);
        struct stat before;
        QCOMPARE(::stat(name.constData(), &before), 0);
        QVERIFY(TestBook::WriteFile(path, TestBook::FileBytes(TBookLabels::Defaults(), {Entry("Y"), Entry("Z")})));
        const timespec times[2] = {before.st_atim, before.st_mtim};
        QCOMPARE(::utimensat(AT_FDCWD, name.constData(), times, 0), 0);
    }
    const QByteArray theirs = TestBook::ReadFile(path);
    if (edited)
        f.Editor->EditText(EField::Ico, "1");

    f.Prompt.Answers.enqueue(answer);
    f.Docs->IUlozitClick();
    QCOMPARE(f.Prompt.Texts(), asked ? QStringList {Msg::ChangedOnDiskQuestion()} : QStringList());
    const bool written = !asked || answer == kHlaskaAno;
    QCOMPARE(TestBook::ReadFile(path) == theirs, !written);
    QCOMPARE(f.S->Book.Changed, edited && !written);
    if (written) { // its own write is no reason to ask again
        f.Prompt.Reset();
        f.Docs->IUlozitClick();
        QVERIFY(f.Prompt.Shown.isEmpty());
    }
}

// "Načíst znovu": the other program's book replaces this one's unsaved edits; nothing
// is written.
void TestDocumentCommands::reloadAfterAnotherProgramsWrite()
{
    TSessionFixture f;
    f.Open({Entry("A"), Entry("B")});
    const QString path = f.Path("kniha.wdt");
    TOtherProgram o(f);
    o.Open(path);
    o.S.Book.AppendRecord(Entry("Nový"));
    o.Docs.IUlozitClick();
    const QByteArray theirs = TestBook::ReadFile(path);
    f.Editor->EditText(EField::Ico, "1");
    f.Prompt.DiskAnswer = TDiskChoice::Reload;
    f.Docs->IUlozitClick();
    QCOMPARE(f.Prompt.Texts(), QStringList {Msg::ChangedOnDiskQuestion()});
    QCOMPARE(TestBook::ReadFile(path), theirs);
    QCOMPARE(f.BookNames(), (QList<QByteArray> {"A", "B", TestBook::Cp("Nový")}));
    QVERIFY(!f.S->Book.Changed);
    QCOMPARE(f.S->Editor.Text(EField::Ico), QByteArray());
    // What was read is now this program's: saving asks no more.
    f.Prompt.Reset();
    f.Editor->EditText(EField::Ico, "2");
    f.Docs->IUlozitClick();
    QVERIFY(f.Prompt.Shown.isEmpty());
    QCOMPARE(TestBook::ReadFile(path).size(), 4 * kRecordSize);
}

void TestDocumentCommands::openBookAnotherProgramHolds_data()
{
    QTest::addColumn<QString>("holder");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::newRow("holds it, Ano") << "holds" << kHlaskaAno << true;
    QTest::newRow("holds it, Ne") << "holds" << kHlaskaNe << true;
    QTest::newRow("opened another book") << "opened another" << kHlaskaNe << false;
    QTest::newRow("made a new book") << "new" << kHlaskaNe << false;
    QTest::newRow("has ended") << "ended" << kHlaskaNe << false;
    QTest::newRow("died") << "died" << kHlaskaNe << false;
    QTest::newRow("this program") << "self" << kHlaskaNe << false;
    QTest::newRow("folder without a lock") << "read-only folder" << kHlaskaNe << false;
}

void TestDocumentCommands::openBookAnotherProgramHolds()
{
    QFETCH(QString, holder);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    TSessionFixture f;
    QString path = f.Path("kniha.wdt");
    const QByteArray book = TestBook::FileBytes(TBookLabels::Defaults(), {Entry("K")});
    QVERIFY(TestBook::WriteFile(path, book));
    QVERIFY(TestBook::WriteFile(f.Path("jina.wdt"), TestBook::FileBytes(TBookLabels::Defaults(), {Entry("J")})));
    QString mounted;
    auto unmount = qScopeGuard([&] {
        if (!mounted.isEmpty())
            QProcess::execute(QStringLiteral("umount"), {mounted});
    });
    if (holder == QStringLiteral("read-only folder")) {
        const QString mountPoint = f.Path("ro");
        QVERIFY(QDir().mkpath(mountPoint));
        if (QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                        QStringLiteral("tmpfs"), mountPoint})
            != 0)
            QSKIP("cannot mount a tmpfs here (needs root)");
        mounted = mountPoint;
        path = mountPoint + QStringLiteral("/kniha.wdt");
        QVERIFY(TestBook::WriteFile(path, book));
        QCOMPARE(QProcess::execute(QStringLiteral("mount"),
                                   {QStringLiteral("-o"), QStringLiteral("remount,ro"), mountPoint}),
                 0);
    }
    f.Open({Entry("Vlastni")}, "vlastni.wdt");

    auto o = std::make_unique<TOtherProgram>(f);
    o->Open(path);
    if (holder == QStringLiteral("opened another")) {
        o->Open(f.Path("jina.wdt"));
    } else if (holder == QStringLiteral("new")) {
        o->Docs.INovyClick();
    } else if (holder == QStringLiteral("ended")) {
        o.reset();
    } else if (holder == QStringLiteral("died")) {
        o.reset();
        const pid_t pid = ::fork(); // leaves its lock behind as a crash would
        if (pid == 0) {
            QLockFile lock(path + QStringLiteral(".lock"));
            ::_exit(lock.tryLock(0) ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(QFileInfo::exists(path + QStringLiteral(".lock")));
    } else if (holder == QStringLiteral("self")) {
        o.reset();
        f.Prompt.OpenPaths.enqueue(path);
        f.Docs->IOtevritClick();
        f.Prompt.Reset();
    }

    f.Prompt.Answers.enqueue(answer);
    f.Prompt.OpenPaths.enqueue(path);
    f.Docs->IOtevritClick();
    QCOMPARE(f.Prompt.Texts(), asked ? QStringList {Msg::OpenElsewhereQuestion()} : QStringList());
    const bool opened = !asked || answer == kHlaskaAno;
    QCOMPARE(f.S->Book.FileName, opened ? path : f.Path("vlastni.wdt"));
    QCOMPARE(f.ListNames(), QList<QByteArray> {opened ? "K" : "Vlastni"});
    // The lock goes with the book: the one left behind is free, the one kept is not.
    TOtherProgram later(f);
    later.Open(f.Path("vlastni.wdt"));
    QCOMPARE(later.Prompt.Shown.isEmpty(), opened);
}

QTEST_GUILESS_MAIN(TestDocumentCommands)
#include "tst_documentcommands.moc"

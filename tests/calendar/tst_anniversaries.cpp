#include "FakePrompt.h"
#include "TestBook.h"

#include "calendar/AnniversaryCommands.h"
#include "calendar/AnniversarySearch.h"
#include "calendar/CalendarDialogs.h"
#include "calendar/Sound.h"
#include "session/DocumentCommands.h"
#include "session/Messages.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "util/Cp1250.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

class TFakeDialogs : public ICalendarDialogs
{
public:
    // Results window: what it was shown and the check box state the person leaves.
    QList<QList<QByteArray>> Shown;
    QList<bool> AckShown;
    bool AckAnswer = false;
    // Settings dialog: what it was shown and what the person confirms.
    QList<TReminderChoice> Edited;
    std::function<void(TReminderChoice &)> EditAnswer;
    bool Confirm = true;

    bool PickNameDay(const QList<QByteArray> &, qsizetype &) override { return false; }
    void ShowAnniversaries(const QList<QByteArray> &lines, bool &acknowledge) override
    {
        Shown.append(lines);
        AckShown.append(acknowledge);
        acknowledge = AckAnswer;
    }
    bool EditReminders(TReminderChoice &choice) override
    {
        Edited.append(choice);
        if (EditAnswer)
            EditAnswer(choice);
        return Confirm;
    }
};

class TFakeSound : public ISound
{
public:
    bool Present = true;
    int Played = 0;
    bool Available() const override { return Present; }
    void Play() override { ++Played; }
};

struct TEntry
{
    const char *Name;
    const char *Narozeniny;
    const char *Svatek;
    unsigned Flags = 1;
};

QDateTime At(int y, int m, int d, int h = 10, int min = 15)
{
    return QDateTime(QDate(y, m, d), QTime(h, min));
}

// The lines as UTF-8, to compare with literals.
QList<QByteArray> Utf8(const QList<QByteArray> &lines)
{
    QList<QByteArray> out;
    for (const QByteArray &l : lines)
        out.append(FromCp1250(l).toUtf8());
    return out;
}

// One running program over a book held in memory, its settings in a file of its own.
struct TFixture
{
    TFakePrompt Prompt;
    TFixedClock Clock;
    TFakeView View;
    QTemporaryDir Dir;
    std::unique_ptr<TSession> S;
    TFakeDialogs Dialogs;
    TFakeSound Sound;
    std::unique_ptr<TRecordEditor> Editor;
    std::unique_ptr<TAnniversaryCommands> Commands;

    explicit TFixture(const QDateTime &now = At(2026, 12, 7))
    {
        Clock.Moment = now;
        S = std::make_unique<TSession>(Prompt, Clock, View, Ini());
        S->Book.FileName = Dir.filePath(QStringLiteral("rodina.wdt"));
        S->Settings.NaposledyVyroci = StampFromDateTime(now);
        S->Book.Labels.ReminderFlags[0] = true;
        Editor = std::make_unique<TRecordEditor>(*S);
        Commands = std::make_unique<TAnniversaryCommands>(*S, *Editor, Dialogs, &Sound);
    }
    QString Ini() const { return Dir.filePath(QStringLiteral("vorlink.ini")); }

    void Add(const QList<TEntry> &entries)
    {
        for (const TEntry &e : entries) {
            TContactRecord r = TestBook::Entry(e.Name, e.Flags);
            r.SetText(EField::Narozeniny, TestBook::Cp(e.Narozeniny));
            r.SetText(EField::Svatek, TestBook::Cp(e.Svatek));
            S->Book.AppendRecord(r);
        }
        S->Book.MakeCurrent(0);
        S->Book.IsOpen = true;
    }
    QString Stored(const char *name)
    {
        QSettings ini(Ini(), QSettings::IniFormat);
        return ini.value(QStringLiteral("Casy/") + QLatin1String(name) + QStringLiteral("-RODINA.WDT")).toString();
    }
};

} // namespace

class TestAnniversaries : public QObject
{
    Q_OBJECT

private slots:
    void search_data();
    void search();
    void candidatesByFlags();
    void searchCountsTypedFields_data();
    void searchCountsTypedFields();
    void menuCommandReportsNothingFound();
    void soundAndWindow_data();
    void soundAndWindow();
    void noBookNoSearch();
    void acknowledgeAndSave_data();
    void acknowledgeAndSave();
    void checkBoxKeptBetweenShowings();
    void settingsDialog();
    void settingsDialogCancelled();
    void settingsDialogEffects();
    void automaticSearchAfterOpen();
};

void TestAnniversaries::search_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QDateTime>("since"); // the last acknowledgement
    QTest::addColumn<int>("days");
    QTest::addColumn<QList<TEntry>>("entries");
    QTest::addColumn<QList<QByteArray>>("lines");

    const QList<TEntry> week = {
        {"Před", "06.12.1970", ""},
        {"Dnes", "07.12.1970", ""},
        {"Poslední", "13.12.1970", ""},
        {"Pozdě", "14.12.1970", ""},
        {"Svátek", "", "10.12."},
    };
    QTest::newRow("look-ahead 7, acknowledged yesterday: seven days")
        << At(2026, 12, 7) << At(2026, 12, 6, 18) << 7 << week
        << QList<QByteArray> {"07.12. - Dnes 56. narozeniny", "10.12. - Svátek svátek", "13.12. - Poslední 56. narozeniny"};
    QTest::newRow("acknowledged today: the six days after today")
        << At(2026, 12, 7) << At(2026, 12, 7, 8) << 7 << week
        << QList<QByteArray> {"10.12. - Svátek svátek", "13.12. - Poslední 56. narozeniny"};
    QTest::newRow("acknowledged a month ago: the past month again")
        << At(2026, 12, 7) << At(2026, 11, 7) << 7
        << QList<TEntry> {{"Listopad", "07.11.1980", ""}, {"Druhý", "", "08.11."}, {"Konec", "30.11.1980", ""}}
        << QList<QByteArray> {"08.11. - Druhý svátek", "30.11. - Konec 46. narozeniny"};
    QTest::newRow("look-ahead 1 acknowledged today: no day")
        << At(2026, 12, 7) << At(2026, 12, 7, 8) << 1 << QList<TEntry> {{"Dnes", "07.12.1970", "07.12."}}
        << QList<QByteArray>();
    QTest::newRow("look-ahead 0 acknowledged today: no day")
        << At(2026, 12, 7) << At(2026, 12, 7, 8) << 0 << QList<TEntry> {{"Zítra", "08.12.1970", "08.12."}}
        << QList<QByteArray>();
    QTest::newRow("birthday and name day on one day make one line")
        << At(2020, 12, 10) << At(2020, 12, 10) << 7
        << QList<TEntry> {{"Nováková Jana", "15.12.1980", "15.12."}}
        << QList<QByteArray> {"15.12. - Nováková Jana 40. narozeniny svátek"};
    QTest::newRow("two days of one entry, in day order, book order within a day")
        << At(2026, 3, 1) << At(2026, 2, 28) << 30
        << QList<TEntry> {{"Alena", "19.03.2000", "02.03."}, {"Bedřich", "", "19.03."}, {"Cyril", "02.03.1999", ""}}
        << QList<QByteArray> {"02.03. - Alena svátek", "02.03. - Cyril 27. narozeniny", "19.03. - Alena 26. narozeniny",
                        "19.03. - Bedřich svátek"};
    QTest::newRow("year end: the coming year's age")
        << At(2026, 12, 30) << At(2026, 12, 29) << 7
        << QList<TEntry> {{"Leden", "02.01.1990", ""}, {"Prosinec", "31.12.1990", ""}}
        << QList<QByteArray> {"31.12. - Prosinec 36. narozeniny", "02.01. - Leden 37. narozeniny"};
    QTest::newRow("29 February in a common year")
        << At(2027, 2, 26) << At(2027, 2, 25) << 7 << QList<TEntry> {{"Přestupný", "29.02.1980", "29.02."}}
        << QList<QByteArray>();
    QTest::newRow("29 February in a leap year")
        << At(2028, 2, 26) << At(2028, 2, 25) << 7 << QList<TEntry> {{"Přestupný", "29.02.1980", ""}}
        << QList<QByteArray> {"29.02. - Přestupný 48. narozeniny"};
    QTest::newRow("birthday without a year shows no age; an unreadable year age 0")
        << At(2026, 12, 7) << At(2026, 12, 6) << 2 << QList<TEntry> {{"Bez roku", "07.12.", ""}, {"Rok", "07.12.19x0", ""}}
        << QList<QByteArray> {"07.12. - Bez roku narozeniny", "07.12. - Rok 0. narozeniny"};
    QTest::newRow("name day must be the whole field; birthday its first six characters")
        << At(2026, 12, 7) << At(2026, 12, 6) << 2
        << QList<TEntry> {{"Krátký", "07.12", "7.12."}, {"Dlouhý", "07.12.1970xx", ""}}
        << QList<QByteArray> {"07.12. - Dlouhý 56. narozeniny"};
}

void TestAnniversaries::search()
{
    QFETCH(QDateTime, now);
    QFETCH(QDateTime, since);
    QFETCH(int, days);
    QFETCH(QList<TEntry>, entries);
    QFETCH(QList<QByteArray>, lines);

    TFixture f(now);
    f.Add(entries);
    f.S->Settings.NaposledyVyroci = StampFromDateTime(since);
    f.Commands->SearchAnniversaries(days);
    QCOMPARE(Utf8(f.Commands->Results()), lines);
    QCOMPARE(f.Dialogs.Shown.size(), lines.isEmpty() ? 0 : 1);
    QCOMPARE(f.Sound.Played, 1);
    QCOMPARE(f.Prompt.BusyDepth, 0);
}

void TestAnniversaries::candidatesByFlags()
{
    TFixture f;
    f.S->Settings.NaposledyVyroci = StampFromDateTime(At(2026, 12, 6));
    f.Add({{"Jen první", "07.12.1970", "", 1u << 0}, {"Třetí", "07.12.1971", "", 1u << 2},
           {"Obě", "07.12.1972", "", (1u << 0) | (1u << 2)}, {"Žádný", "07.12.1973", "", 0}});
    f.S->Book.Labels.ReminderFlags = {};
    f.S->Book.Labels.ReminderFlags[2] = true;
    f.Commands->SearchAnniversaries(1);
    QCOMPARE(Utf8(f.Commands->Results()), (QList<QByteArray> {"07.12. - Třetí 55. narozeniny", "07.12. - Obě 54. narozeniny"}));

    // No reminder flag at all: nothing, but the sound still plays.
    f.S->Book.Labels.ReminderFlags = {};
    f.Commands->SearchAnniversaries(365);
    QVERIFY(f.Commands->Results().isEmpty());
    QCOMPARE(f.Sound.Played, 2);
    QCOMPARE(f.Dialogs.Shown.size(), 1);
}

void TestAnniversaries::searchCountsTypedFields_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("svatek");
    QTest::addColumn<int>("found");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("name day just picked")
        << QByteArray("20.12.") << QByteArray("Jana") << QByteArray("08.12.") << 1 << QStringList();
    QTest::newRow("name day just cleared") << QByteArray("09.12.") << QByteArray("Jana") << QByteArray() << 0
                                           << QStringList(TAnniversaryCommands::NothingFound());
    // An entry that cannot be stored stops the search before anything is searched.
    QTest::newRow("entry without a name") << QByteArray("09.12.") << QByteArray() << QByteArray("08.12.") << -1
                                          << QStringList(Msg::UniqueName());
}

void TestAnniversaries::searchCountsTypedFields()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, svatek);
    QFETCH(int, found);
    QFETCH(QStringList, messages);
    TFixture f;
    f.Add({{"Jana", "", stored.constData()}});
    f.S->Book.RefillList();
    f.Editor->ShowRecord();
    f.Editor->EditText(EField::NazevPolozky, name);
    f.Editor->EditText(EField::Svatek, svatek);
    f.Commands->IVyhledatClick();
    QCOMPARE(f.Prompt.Texts(), messages);
    QCOMPARE(f.Dialogs.Shown.size(), found > 0 ? 1 : 0);
    QCOMPARE(f.Sound.Played, found < 0 ? 0 : 1);
    if (found > 0)
        QCOMPARE(f.Dialogs.Shown.first().size(), found);
}

void TestAnniversaries::menuCommandReportsNothingFound()
{
    TFixture f;
    f.Add({{"Zítra", "08.12.1970", ""}});
    f.S->Settings.VyrociDopredu = 1; // acknowledged today: no day
    f.Commands->IVyhledatClick();
    QCOMPARE(f.Prompt.Texts(), QStringList(TAnniversaryCommands::NothingFound()));
    QCOMPARE(f.Prompt.Shown.first().Kind, THlaskaKind::Informace);
    QCOMPARE(f.Sound.Played, 1);

    f.Prompt.Reset();
    f.S->Settings.VyrociDopredu = 2;
    f.Commands->IHledatClick();
    QVERIFY(f.Prompt.Texts().isEmpty());
    QCOMPARE(f.Dialogs.Shown.size(), 1);

    // The automatic search tells nothing when it finds nothing.
    f.Prompt.Reset();
    f.Commands->SearchAnniversaries(1);
    QVERIFY(f.Prompt.Texts().isEmpty());
}

void TestAnniversaries::soundAndWindow_data()
{
    QTest::addColumn<bool>("soundPresent");
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("played");
    QTest::addColumn<int>("windows");

    QTest::newRow("found, sound") << true << 7 << 1 << 1;
    QTest::newRow("nothing found, sound still plays") << true << 1 << 1 << 0;
    QTest::newRow("found, no sound file") << false << 7 << 0 << 1;
}

void TestAnniversaries::soundAndWindow()
{
    QFETCH(bool, soundPresent);
    QFETCH(int, days);
    QFETCH(int, played);
    QFETCH(int, windows);

    TFixture f;
    f.Sound.Present = soundPresent;
    f.Add({{"Zítra", "08.12.1970", ""}});
    f.Commands->SearchAnniversaries(days);
    QCOMPARE(f.Sound.Played, played);
    QCOMPARE(f.Dialogs.Shown.size(), windows);

    // Without any sound port the search works the same.
    f.Commands->SetSound(nullptr);
    f.Commands->SearchAnniversaries(days);
    QCOMPARE(f.Dialogs.Shown.size(), windows * 2);
}

void TestAnniversaries::noBookNoSearch()
{
    TFixture f;
    f.Add({{"Zítra", "08.12.1970", ""}});
    f.S->Book.IsOpen = false;
    f.Commands->SearchAnniversaries(7);
    QCOMPARE(f.Sound.Played, 0);
    QVERIFY(f.Dialogs.Shown.isEmpty());
}

void TestAnniversaries::acknowledgeAndSave_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("found");

    QTest::newRow("checked") << true << true;
    QTest::newRow("not checked") << false << true;
    QTest::newRow("nothing found") << false << false;
}

void TestAnniversaries::acknowledgeAndSave()
{
    QFETCH(bool, checked);
    QFETCH(bool, found);

    TFixture f;
    const TStamp old = StampFromDateTime(At(2026, 11, 1, 9, 0));
    f.S->Settings.NaposledyVyroci = old;
    f.S->Settings.NaposledySpusteno = old;
    f.S->Settings.VyrociDopredu = 12;
    f.Add({{"Nalezený", found ? "01.12.1970" : "", ""}});
    f.Dialogs.AckAnswer = checked;
    f.Clock.Moment = At(2026, 12, 7, 11, 30); // the window closes later than the search began
    f.Commands->SearchAnniversaries(7);

    const TStamp now = StampFromDateTime(f.Clock.Moment);
    QCOMPARE(f.S->Settings.NaposledyVyroci, checked ? now : old);
    QCOMPARE(f.S->Book.Changed, false);
    if (!found) {
        QVERIFY(f.Stored("NaposledyVyroci").isEmpty());
        return;
    }
    QCOMPARE(f.Stored("NaposledyVyroci"), StampToText(checked ? now : old));
    QCOMPARE(f.Stored("NaposledySpusteno"), StampToText(now));
    QCOMPARE(f.Stored("VyrociDopredu"), QStringLiteral("12"));

    // Acknowledged: the next search begins after today, so the old day is gone.
    f.Commands->SearchAnniversaries(7);
    QCOMPARE(f.Commands->Results().isEmpty(), checked);
}

void TestAnniversaries::checkBoxKeptBetweenShowings()
{
    TFixture f;
    f.Add({{"Zítra", "08.12.1970", ""}});
    f.Dialogs.AckAnswer = true;
    f.Commands->SearchAnniversaries(7);
    f.S->Settings.NaposledyVyroci = StampFromDateTime(At(2026, 12, 1));
    f.Commands->SearchAnniversaries(7);
    QCOMPARE(f.Dialogs.AckShown, (QList<bool> {false, true}));
    QVERIFY(f.Commands->Acknowledge());
}

void TestAnniversaries::settingsDialog()
{
    TFixture f;
    f.Add({{"Zítra", "08.12.1970", ""}});
    f.S->Book.Labels.FlagCaptions[4] = TestBook::Cp("Spolužák");
    f.S->Settings.VyrociDopredu = 9;
    f.S->Settings.hledatAutomaticky = true;
    f.Dialogs.EditAnswer = [](TReminderChoice &c) {
        c.AutoHledat = false;
        c.Days = 30;
        c.Flags = {};
        c.Flags[4] = true;
    };
    f.Commands->IUpozornovaniClick();

    QCOMPARE(f.Dialogs.Edited.size(), 1);
    const TReminderChoice &shown = f.Dialogs.Edited.first();
    QCOMPARE(shown.AutoHledat, true);
    QCOMPARE(shown.Days, 9);
    QCOMPARE(shown.Flags[0], true);
    QCOMPARE(FromCp1250(shown.Captions[4]), QStringLiteral("Spolužák"));

    QCOMPARE(f.S->Settings.hledatAutomaticky, false);
    QCOMPARE(f.S->Settings.VyrociDopredu, 30);
    std::array<bool, 10> expected {};
    expected[4] = true;
    QCOMPARE(f.S->Book.Labels.ReminderFlags, expected);
    // Nothing is written and the book does not count as changed.
    QCOMPARE(f.S->Book.Changed, false);
    QVERIFY(!QFile::exists(f.Ini()) || f.Stored("VyrociDopredu").isEmpty());
}

void TestAnniversaries::settingsDialogCancelled()
{
    TFixture f;
    f.Add({{"Zítra", "08.12.1970", ""}});
    f.S->Settings.VyrociDopredu = 9;
    const TBookLabels before = f.S->Book.Labels;
    f.Dialogs.EditAnswer = [](TReminderChoice &c) {
        c.Days = 1;
        c.Flags = {};
        c.AutoHledat = true;
    };
    f.Dialogs.Confirm = false;
    f.Commands->IUpozornovaniClick();
    QCOMPARE(f.S->Settings.VyrociDopredu, 9);
    QCOMPARE(f.S->Settings.hledatAutomaticky, false);
    QVERIFY(f.S->Book.Labels == before);
}

void TestAnniversaries::settingsDialogEffects()
{
    TFixture f;
    f.Add({{"Zítra", "08.12.1970", "09.12."}});

    // All boxes cleared: every later search finds nothing.
    f.Dialogs.EditAnswer = [](TReminderChoice &c) { c.Flags = {}; };
    f.Commands->IUpozornovaniClick();
    f.Commands->SearchAnniversaries(365);
    QVERIFY(f.Commands->Results().isEmpty());

    // Flag 1 again and a look-ahead of 0 with today's acknowledgement: no day at all.
    f.Dialogs.EditAnswer = [](TReminderChoice &c) {
        c.Flags[0] = true;
        c.Days = 0;
    };
    f.Commands->IUpozornovaniClick();
    QCOMPARE(f.S->Settings.VyrociDopredu, 0);
    f.Prompt.Reset();
    f.Commands->IVyhledatClick();
    QCOMPARE(f.Prompt.Texts(), QStringList(TAnniversaryCommands::NothingFound()));

    // Out-of-range values from the dialog are brought to the nearer bound.
    f.Dialogs.EditAnswer = [](TReminderChoice &c) { c.Days = 999; };
    f.Commands->IUpozornovaniClick();
    QCOMPARE(f.S->Settings.VyrociDopredu, 365);
    f.Commands->IVyhledatClick();
    QCOMPARE(Utf8(f.Commands->Results()), (QList<QByteArray> {"08.12. - Zítra 56. narozeniny", "09.12. - Zítra svátek"}));
}

void TestAnniversaries::automaticSearchAfterOpen()
{
    TFixture f;
    const QString path = f.S->Book.FileName;
    TBookLabels labels = TBookLabels::Defaults();
    labels.ReminderFlags[0] = true;
    TContactRecord r = TestBook::Entry("Zítra", 1);
    r.SetText(EField::Narozeniny, "08.12.1970");
    QVERIFY(TestBook::WriteFile(path, TestBook::FileBytes(labels, {r})));
    {
        QSettings ini(f.Ini(), QSettings::IniFormat);
        const QString yesterday = StampToText(StampFromDateTime(At(2026, 12, 6, 20, 0)));
        ini.setValue(QStringLiteral("Casy/NaposledyVyroci-RODINA.WDT"), yesterday);
        ini.setValue(QStringLiteral("Casy/NaposledySpusteno-RODINA.WDT"), yesterday);
        ini.setValue(QStringLiteral("Casy/VyrociDopredu-RODINA.WDT"), QStringLiteral("3"));
        ini.setValue(QStringLiteral("Casy/hledatAutomaticky-RODINA.WDT"), QStringLiteral("1"));
    }
    TRecordEditor editor(*f.S);
    TDocumentCommands documents(*f.S, editor);
    f.Commands->RegisterAutoSearch(documents);
    documents.StartUp(path);
    QCOMPARE(f.Dialogs.Shown.size(), 1);
    QCOMPARE(Utf8(f.Dialogs.Shown.first()), QList<QByteArray> {"08.12. - Zítra 56. narozeniny"});
    QCOMPARE(f.Sound.Played, 1);
    // The settings were written on finding, so reopening today does not search again.
    QCOMPARE(f.Stored("NaposledySpusteno"), StampToText(StampFromDateTime(f.Clock.Moment)));
}

QTEST_GUILESS_MAIN(TestAnniversaries)
#include "tst_anniversaries.moc"

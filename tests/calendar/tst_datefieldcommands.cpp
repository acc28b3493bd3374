#include "FakePrompt.h"
#include "TestBook.h"

#include "calendar/CalendarDialogs.h"
#include "calendar/DateFieldCommands.h"
#include "session/Messages.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "util/Cp1250.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

class TFakePicker : public ICalendarDialogs
{
public:
    int Opened = 0;
    qsizetype SelectedIn = -2;
    qsizetype Answer = -1; // the line the person leaves selected; -1 keeps the one shown
    bool Confirm = true;

    bool PickNameDay(const QList<QByteArray> &, qsizetype &selected) override
    {
        ++Opened;
        SelectedIn = selected;
        if (Answer >= 0)
            selected = Answer;
        return Confirm;
    }
    void ShowAnniversaries(const QList<QByteArray> &, bool &) override { }
    bool EditReminders(TReminderChoice &) override { return false; }
};

// A book of one shown entry, the editor over it and the handlers.
struct TFixture
{
    TFakePrompt Prompt;
    TFixedClock Clock;
    TFakeView View;
    QTemporaryDir Dir;
    std::unique_ptr<TSession> S;
    std::unique_ptr<TRecordEditor> Editor;
    TFakePicker Picker;
    std::unique_ptr<TDateFieldCommands> Commands;

    explicit TFixture(const TContactRecord &r = TestBook::Entry("Novák Josef"))
    {
        S = std::make_unique<TSession>(Prompt, Clock, View, Dir.filePath(QStringLiteral("vorlink.ini")));
        Editor = std::make_unique<TRecordEditor>(*S);
        Commands = std::make_unique<TDateFieldCommands>(*S, *Editor, &Picker);
        S->Calendar.SetLines({TestBook::Cp("01.01.    Jana, Nový rok"), "19.03.    Josef", "24.06.    Jan",
                              TestBook::Cp("24.06.    Zdeněk")});
        S->Book.AppendRecord(r);
        S->Book.MakeCurrent(0);
        S->Book.IsOpen = true;
        S->Book.ListedCount = 1;
        S->Book.List.Fill({r.Name()});
        Editor->ShowRecord();
    }
    QByteArray Text(EField f) const { return S->Editor.Text(f); }
    bool Edited() const
    {
        return S->Editor.RecordEdited && S->Book.Changed && S->Book.StatusTexts().value(2) == Msg::Changed();
    }
    // What the person types, as the widgets pass it on.
    void Type(EField f, const char *text) { Editor->EditText(f, TestBook::Cp(text)); }
};

TContactRecord WithText(EField f, const char *text)
{
    TContactRecord r = TestBook::Entry("Novák Josef");
    r.SetText(f, TestBook::Cp(text));
    return r;
}

} // namespace

class TestDateFieldCommands : public QObject
{
    Q_OBJECT

private slots:
    void dateExit_data();
    void dateExit();
    void birthNumber_data();
    void birthNumber();
    void nameDayOffer_data();
    void nameDayOffer();
    void offerOnlyAfterAnEdit();
    void labelsFollowTheFields();
    void picker();
    void pickerWithEmptyCalendar();
    void nothingListedChangesNothing();
};

void TestDateFieldCommands::dateExit_data()
{
    QTest::addColumn<bool>("birthday"); // else the name day
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("field");

    QTest::newRow("two-digit year") << true << QByteArray("5.3.61") << QByteArray("05.03.1961");
    QTest::newRow("one-digit parts") << true << QByteArray("5.3.1961") << QByteArray("05.03.1961");
    QTest::newRow("hyphens") << true << QByteArray("05-03-1961") << QByteArray("05.03.1961");
    QTest::newRow("tail past the field cut") << true << QByteArray("1.1.1970xx") << QByteArray("01.01.1970");
    QTest::newRow("month 13 emptied") << true << QByteArray("01.13.1970") << QByteArray();
    QTest::newRow("year 1899 emptied") << true << QByteArray("01.01.1899") << QByteArray();
    QTest::newRow("no year kept") << true << QByteArray("1.1") << QByteArray("01.01.");
    QTest::newRow("no year, as imported") << true << QByteArray("15.04.") << QByteArray("15.04.");
    QTest::newRow("31 February kept") << true << QByteArray("31.02.1970") << QByteArray("31.02.1970");
    QTest::newRow("empty birthday") << true << QByteArray() << QByteArray();
    QTest::newRow("name day 19.3") << false << QByteArray("19.3") << QByteArray("19.03.");
    QTest::newRow("name day 1.1") << false << QByteArray("1.1") << QByteArray("01.01.");
    QTest::newRow("name day 1.1.19 cut") << false << QByteArray("1.1.19") << QByteArray("01.01.");
    QTest::newRow("name day 13.13. emptied") << false << QByteArray("13.13.") << QByteArray();
    QTest::newRow("name day 11 emptied") << false << QByteArray("11") << QByteArray();
    QTest::newRow("name day in form") << false << QByteArray("24.06.") << QByteArray("24.06.");
}

void TestDateFieldCommands::dateExit()
{
    QFETCH(bool, birthday);
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, field);

    const EField f = birthday ? EField::Narozeniny : EField::Svatek;
    TFixture t;
    t.Type(f, typed.constData());
    QCOMPARE(t.Text(f), typed.left(birthday ? 10 : 6));
    // Only the handler's own change may mark the entry.
    t.S->Editor.RecordEdited = false;
    t.S->Book.Changed = false;
    if (birthday)
        t.Commands->NarozeninyExit();
    else
        t.Commands->SvatekExit();
    QCOMPARE(t.Text(f), field);
    QCOMPARE(t.Edited(), field != typed.left(birthday ? 10 : 6));
    QVERIFY(t.Prompt.Shown.isEmpty());
    // What the field shows is what the entry keeps.
    t.S->Editor.RecordEdited = true;
    QVERIFY(t.Editor->StoreFields());
    QCOMPARE(t.S->Book.Current->Text(f), field);
}

void TestDateFieldCommands::labelsFollowTheFields()
{
    TFixture t;
    t.S->Editor.SetVek(QStringLiteral("stale"));
    t.Type(EField::Narozeniny, "5.3.61");
    t.Commands->NarozeninyExit();
    QCOMPARE(t.S->Editor.Vek(), QString::fromUtf8("65 let   (24019 dní)"));
    t.Type(EField::Narozeniny, "1.13.61");
    t.Commands->NarozeninyExit();
    QCOMPARE(t.S->Editor.Vek(), QString());
    t.Type(EField::Svatek, "24.6");
    t.Commands->SvatekExit();
    QCOMPARE(t.S->Editor.Jmeniny(), QByteArray("Jan"));
    t.Type(EField::Svatek, "31.2");
    t.Commands->SvatekExit();
    QCOMPARE(t.S->Editor.Jmeniny(), QByteArray());
}

void TestDateFieldCommands::birthNumber_data()
{
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("birthdayBefore");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<bool>("message");
    QTest::addColumn<QByteArray>("birthdayAfter");

    QTest::newRow("blank corrected, birthday derived")
        << QByteArray("806215 0008") << QByteArray() << QByteArray("806215/0008") << false << QByteArray("15.12.1980");
    QTest::newRow("hyphen corrected, birthday kept")
        << QByteArray("806215-0008") << QByteArray("01.01.2000") << QByteArray("806215/0008") << false
        << QByteArray("01.01.2000");
    QTest::newRow("wrong check digit stays as typed")
        << QByteArray("806215/0009") << QByteArray("15.12.1980") << QByteArray("806215/0009") << true
        << QByteArray("15.12.1980");
    QTest::newRow("nine digits")
        << QByteArray("455101/009") << QByteArray() << QByteArray("455101/009") << false << QByteArray("01.01.1945");
    QTest::newRow("no separator still fills the birthday")
        << QByteArray("8062150008") << QByteArray() << QByteArray("8062150008") << true << QByteArray("15.12.1980");
    QTest::newRow("too short derives nothing")
        << QByteArray("8062") << QByteArray() << QByteArray("8062") << true << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray() << false << QByteArray();
}

void TestDateFieldCommands::birthNumber()
{
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, birthdayBefore);
    QFETCH(QByteArray, field);
    QFETCH(bool, message);
    QFETCH(QByteArray, birthdayAfter);

    TContactRecord r = WithText(EField::RodneCislo, typed.constData());
    r.SetText(EField::Narozeniny, birthdayBefore);
    TFixture t(r);
    t.Commands->RodneCisloExit();
    QCOMPARE(t.Text(EField::RodneCislo), field);
    QCOMPARE(t.Text(EField::Narozeniny), birthdayAfter);
    QCOMPARE(t.Prompt.Texts(), message ? QStringList(TDateFieldCommands::BadBirthNumber()) : QStringList());
    if (message)
        QCOMPARE(t.Prompt.Shown.first().Kind, THlaskaKind::Informace);
    QCOMPARE(t.Edited(), field != typed || birthdayAfter != birthdayBefore);
}

void TestDateFieldCommands::nameDayOffer_data()
{
    QTest::addColumn<QByteArray>("jmeno");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QByteArray>("svatek");
    QTest::addColumn<QByteArray>("jmeniny"); // UTF-8
    QTest::addColumn<QString>("message");

    const QString found = TDateFieldCommands::NameDayFound();
    QTest::newRow("found") << QByteArray("Josef") << kHlaskaAno << QByteArray("19.03.") << QByteArray("Josef")
                           << found + QStringLiteral("19.03.");
    QTest::newRow("whole name only") << QByteArray("Jan") << kHlaskaAno << QByteArray("24.06.")
                                     << QByteArray("Jan") << found + QStringLiteral("24.06.");
    QTest::newRow("diacritics") << QByteArray("Zdeněk") << kHlaskaAno << QByteArray("24.06.")
                                << QByteArray("Zdeněk") << found + QStringLiteral("24.06.");
    QTest::newRow("case matters") << QByteArray("josef") << kHlaskaAno << QByteArray("08.08.")
                                  << QByteArray("Dominik") << TDateFieldCommands::NameDayNotFound();
    QTest::newRow("answer Ne") << QByteArray("Josef") << kHlaskaNe << QByteArray("08.08.") << QByteArray("Dominik")
                               << QString();
}

void TestDateFieldCommands::nameDayOffer()
{
    QFETCH(QByteArray, jmeno);
    QFETCH(int, answer);
    QFETCH(QByteArray, svatek);
    QFETCH(QByteArray, jmeniny);
    QFETCH(QString, message);

    TFixture t(WithText(EField::Svatek, "08.08."));
    t.S->Editor.SetJmeniny("Dominik");
    t.Type(EField::Jmeno, jmeno.constData());
    t.S->Editor.RecordEdited = false;
    t.S->Book.Changed = false;
    t.Prompt.Answers.enqueue(answer);
    t.Commands->JmenoExit(false);

    QStringList expected {TDateFieldCommands::AskNameDay()};
    if (!message.isEmpty())
        expected.append(message);
    QCOMPARE(t.Prompt.Texts(), expected);
    QCOMPARE(t.Prompt.Shown.first().Kind, THlaskaKind::Otazka);
    QCOMPARE(t.Text(EField::Svatek), svatek);
    QCOMPARE(FromCp1250(t.S->Editor.Jmeniny()), QString::fromUtf8(jmeniny));
    QCOMPARE(t.Edited(), svatek != "08.08.");
    QVERIFY(!t.S->Editor.FirstNameEdited);
}

void TestDateFieldCommands::offerOnlyAfterAnEdit()
{
    TFixture t(WithText(EField::Jmeno, "Josef"));
    // Filling the editor is no edit of the first name.
    t.Commands->JmenoExit(false);
    QVERIFY(t.Prompt.Shown.isEmpty());

    t.Type(EField::Jmeno, "Jan");
    t.Prompt.Answers.enqueue(kHlaskaNe);
    t.Commands->JmenoExit(false);
    QCOMPARE(t.Prompt.Texts().size(), 1);
    // The offer was made: leaving again asks nothing.
    t.Commands->JmenoExit(false);
    QCOMPARE(t.Prompt.Texts().size(), 1);

    // A double click on the first name or the name day always asks.
    t.Prompt.Answers.enqueue(kHlaskaNe);
    t.Commands->JmenoDblClick();
    t.Prompt.Answers.enqueue(kHlaskaNe);
    t.Commands->SvatekDblClick();
    QCOMPARE(t.Prompt.Texts(), QStringList(3, TDateFieldCommands::AskNameDay()));
    QCOMPARE(t.Text(EField::Svatek), QByteArray());
}

void TestDateFieldCommands::picker()
{
    TFixture t(WithText(EField::Svatek, "24.06."));
    // The name day shown is selected; the person picks the first line.
    t.Picker.Answer = 0;
    t.Commands->ButtonJmeninyClick();
    QCOMPARE(t.Picker.SelectedIn, 2);
    QCOMPARE(t.Text(EField::Svatek), QByteArray("01.01."));
    QCOMPARE(FromCp1250(t.S->Editor.Jmeniny()), QString::fromUtf8("Jana, Nový rok"));
    QVERIFY(t.Edited());

    // A name day the calendar lacks keeps the selection of the last use; "&Zpět"
    // changes nothing but the selection stays as it was left.
    t.Type(EField::Svatek, "19.3.");
    t.S->Editor.RecordEdited = false;
    t.S->Book.Changed = false;
    t.Picker.Answer = 1;
    t.Picker.Confirm = false;
    t.Commands->ButtonJmeninyClick();
    QCOMPARE(t.Picker.SelectedIn, 0);
    QCOMPARE(t.Text(EField::Svatek), QByteArray("19.3."));
    QVERIFY(!t.Edited());
    t.Picker.Answer = -1;
    t.Picker.Confirm = true;
    t.Commands->ButtonJmeninyClick();
    QCOMPARE(t.Picker.SelectedIn, 1);
    QCOMPARE(t.Text(EField::Svatek), QByteArray("19.03."));
    QVERIFY(t.Edited());
}

void TestDateFieldCommands::pickerWithEmptyCalendar()
{
    TFixture t(WithText(EField::Svatek, "24.06."));
    t.S->Calendar.SetLines({});
    t.Commands->ButtonJmeninyClick();
    QCOMPARE(t.Picker.Opened, 0);

    // "&Vybrat" with nothing selected changes nothing either.
    TFixture u(WithText(EField::Svatek, "31.12."));
    u.Commands->ButtonJmeninyClick();
    QCOMPARE(u.Picker.Opened, 1);
    QCOMPARE(u.Picker.SelectedIn, -1);
    QCOMPARE(u.Text(EField::Svatek), QByteArray("31.12."));
    QVERIFY(!u.Edited());
}

void TestDateFieldCommands::nothingListedChangesNothing()
{
    TFixture t(WithText(EField::Narozeniny, "5.3.61"));
    t.S->Editor.SetEnabled(false);
    t.Commands->NarozeninyExit();
    t.Commands->ButtonJmeninyClick();
    t.Commands->JmenoDblClick();
    QCOMPARE(t.Text(EField::Narozeniny), QByteArray("5.3.61"));
    QCOMPARE(t.Picker.Opened, 0);
    QVERIFY(t.Prompt.Shown.isEmpty());
    QVERIFY(!t.S->Editor.RecordEdited);
}

QTEST_GUILESS_MAIN(TestDateFieldCommands)
#include "tst_datefieldcommands.moc"

#include "FakePrompt.h"
#include "TestBook.h"

#include "session/DocumentCommands.h"
#include "session/Messages.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "mask/MaskCommands.h"
#include "util/Cp1250.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using TestBook::Cp;
using TestBook::Entry;

namespace {

QStringList L(std::initializer_list<const char *> utf8)
{
    QStringList l;
    for (const char *s : utf8)
        l.append(QString::fromUtf8(s));
    return l;
}

// Rows as letters, flag 1 first: A = "Ano", N = "Ne", anything else "Je to fuk".
TMaskChoices Choices(const char *rows)
{
    TMaskChoices c;
    c.fill(TMaskChoice::Either);
    for (int i = 0; i < kFlagCount && rows[i]; ++i)
        c[size_t(i)] = rows[i] == 'A' ? TMaskChoice::Set : rows[i] == 'N' ? TMaskChoice::Clear : TMaskChoice::Either;
    return c;
}

// A = "Ano", N = "Ne", V = "Negace", anything else "Neměnit".
TFlagActions Actions(const char *rows)
{
    TFlagActions a;
    a.fill(TFlagAction::Keep);
    for (int i = 0; i < kFlagCount && rows[i]; ++i)
        a[size_t(i)] = rows[i] == 'A' ? TFlagAction::Set
                     : rows[i] == 'N' ? TFlagAction::Clear
                     : rows[i] == 'V' ? TFlagAction::Negate
                                      : TFlagAction::Keep;
    return a;
}

// Scripted dialogs. The find dialog keeps its text and start choice, as the real one does.
class TScriptedDialogs : public IMaskDialogs
{
public:
    TMaskButton MaskButton = TMaskButton::Pouzit;
    std::optional<TMaskChoices> MaskAnswer;
    TMaskChoices MaskShown {};
    int MaskAsked = 0;

    bool FlagConfirm = true;
    TFlagActions FlagAnswer = Actions("");
    TFlagActions FlagShown {};
    int FlagAsked = 0;

    bool FindConfirm = true;
    QString FindText;
    bool FromStart = true;
    int FindAsked = 0;

    TMaskButton EditMask(TMaskChoices &choices, const TBookLabels &) override
    {
        ++MaskAsked;
        MaskShown = choices;
        if (MaskAnswer)
            choices = *MaskAnswer;
        return MaskButton;
    }
    bool AskFlagChanges(TFlagActions &actions, const TBookLabels &) override
    {
        ++FlagAsked;
        FlagShown = actions;
        actions = FlagAnswer;
        return FlagConfirm;
    }
    bool AskFind(QString &text, bool &fromStart) override
    {
        ++FindAsked;
        text = FindText;
        fromStart = FromStart;
        return FindConfirm;
    }
};

struct TRig
{
    QTemporaryDir Dir;
    TFakePrompt Prompt;
    TFixedClock Clock;
    TFakeView View;
    TSession S {Prompt, Clock, View, Dir.filePath(QStringLiteral("vorlink.ini"))};
    TRecordEditor Editor {S};
    TScriptedDialogs Dialogs;
    TMaskCommands Cmd {S, Editor, Dialogs};
    TAddressBook &B = S.Book;

    void Load(const QList<TContactRecord> &records)
    {
        B.DiscardRecords();
        for (const TContactRecord &r : records)
            B.AppendRecord(r);
        B.IsOpen = true;
        B.MakeCurrent(0);
        B.RefillList();
        Editor.ShowCurrent();
        B.Changed = false;
    }
    QStringList Lines() const
    {
        QStringList l;
        for (const QByteArray &n : B.List.Names())
            l.append(FromCp1250(n));
        return l;
    }
    QString CurrentName() const { return FromCp1250(B.Current->NameView()); }
    TContactRecord &Named(const char *name) { return *B.FindByName(Cp(name)); }
    void Click(const char *name) { Editor.ListBoxNazevClick(B.List.Names().indexOf(Cp(name))); }
    // Flags 1..10 of each record in book order, as strings of 0 and 1.
    QStringList Flags() const
    {
        QStringList all;
        for (qsizetype i = 0; i < B.RecordCount(); ++i) {
            QString f;
            for (int k = 1; k <= kFlagCount; ++k)
                f += B.Record(i).Flag(k) ? QLatin1Char('1') : QLatin1Char('0');
            all.append(f);
        }
        return all;
    }
    bool EditorIsCurrentLine() const
    {
        return B.List.Selected() == B.CurrentIndex && B.List.At(B.CurrentIndex) == B.Current->NameView()
            && S.Editor.Text(EField::NazevPolozky) == B.Current->NameView();
    }
};

QList<TContactRecord> FourFlagged()
{
    return {Entry("Gama", 0b00), Entry("Beta", 0b11), Entry("Alfa", 0b01), Entry("Delta", 0b10)};
}

} // namespace

class TestMaskCommands : public QObject
{
    Q_OBJECT

private slots:
    void maskFilters_data();
    void maskFilters();
    void rebuildSortsCzech();
    void maskDialogKeepsDemands();
    void maskNotShownWhenStoreRefuses();
    void emptyMaskLeavesNothingToTouch();
    void bulkChange_data();
    void bulkChange();
    void bulkChangeReselectsLine();
    void bulkChangeCancelled();
    void bulkChangeSkipsLineWithoutEntry();
    void bulkChangeOverSharedNames_data();
    void bulkChangeOverSharedNames();
    void findByName_data();
    void findByName();
    void findNextWalksOn();
    void findFromPosition();
    void findNextWithoutTextAsks();
    void findSkipsHiddenAndOrphanLines();
    void copyAndPaste();
    void pasteCutsLongName();
    void pasteIntoAnotherBook();
};

void TestMaskCommands::maskFilters_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("status");

    QTest::newRow("all either") << QByteArray("") << L({"Alfa", "Beta", "Delta", "Gama"}) << QStringLiteral("4 záznamy");
    QTest::newRow("1 set, 2 clear") << QByteArray("AN") << L({"Alfa"}) << QStringLiteral("1 záznam");
    QTest::newRow("1 set") << QByteArray("A") << L({"Alfa", "Beta"}) << QStringLiteral("2 záznamy");
    QTest::newRow("2 set, 1 clear") << QByteArray("NA") << L({"Delta"}) << QStringLiteral("1 záznam");
    QTest::newRow("10 set") << QByteArray("---------A") << L({}) << QString::fromUtf8("0 záznamů");
    QTest::newRow("10 clear") << QByteArray("---------N") << L({"Alfa", "Beta", "Delta", "Gama"}) << QStringLiteral("4 záznamy");
}

void TestMaskCommands::maskFilters()
{
    QFETCH(QByteArray, rows);
    QFETCH(QStringList, listed);
    TRig r;
    r.Load(FourFlagged());
    r.Dialogs.MaskAnswer = Choices(rows.constData());
    r.Cmd.IMaskaClick();

    QVERIFY(r.B.Mask.Active);
    QCOMPARE(r.Lines(), listed);
    QCOMPARE(r.B.ListedCount, listed.size());
    QFETCH(QString, status);
    QCOMPARE(r.B.StatusTexts().at(1), status + QStringLiteral(" (maska)"));
    QVERIFY(!r.Prompt.Texts().contains(Msg::LookupFailed()));
    if (!listed.isEmpty()) {
        QCOMPARE(r.B.CurrentIndex, 0);
        QCOMPARE(r.CurrentName(), listed.first());
        QVERIFY(r.EditorIsCurrentLine());
    }
}

void TestMaskCommands::rebuildSortsCzech()
{
    TRig r;
    r.Load({Entry("Ch"), Entry("I"), Entry("novák"), Entry("H"), Entry("Č"), Entry("Novák"), Entry("C")});
    r.Click("H");
    r.Cmd.IMaskaClick();
    const QStringList lines = r.Lines();
    QCOMPARE(lines.mid(0, 5), (L({"C", "Č", "H", "Ch", "I"})));
    QCOMPARE(lines.size(), 7);
    QVERIFY(lines.contains(QString::fromUtf8("Novák")) && lines.contains(QString::fromUtf8("novák")));
    // The rebuild selects the first line, not the entry that was current before.
    QCOMPARE(r.CurrentName(), QStringLiteral("C"));
    QVERIFY(r.EditorIsCurrentLine());
}

void TestMaskCommands::maskDialogKeepsDemands()
{
    TRig r;
    r.Load(FourFlagged());
    r.Dialogs.MaskAnswer = Choices("AN");
    r.Cmd.IMaskaClick();
    r.Dialogs.MaskAnswer.reset();
    r.Dialogs.MaskButton = TMaskButton::Zpet;
    r.Cmd.IMaskaClick();
    QVERIFY(r.Dialogs.MaskShown == Choices("AN"));
    QCOMPARE(r.Lines(), L({"Alfa"}));

    // "Všechno" drops every demand and lists everything.
    r.Dialogs.MaskButton = TMaskButton::Vsechno;
    r.Cmd.IMaskaClick();
    QVERIFY(!r.B.Mask.Active);
    QCOMPARE(r.B.ListedCount, 4);
    QVERIFY(!r.B.StatusTexts().at(1).contains(QStringLiteral("(maska)")));
    r.Dialogs.MaskButton = TMaskButton::Zpet;
    r.Cmd.IMaskaClick();
    QVERIFY(r.Dialogs.MaskShown == Choices(""));

    // A book from a file lists everything; "Zpět" then rebuilds with the kept demands,
    // while the status bar shows no mask.
    r.Dialogs.MaskButton = TMaskButton::Pouzit;
    r.Dialogs.MaskAnswer = Choices("A");
    r.Cmd.IMaskaClick();
    const QString path = r.Dir.filePath(QStringLiteral("b.wdt"));
    QVERIFY(TestBook::WriteFile(path, TestBook::FileBytes(TBookLabels::Defaults(), FourFlagged())));
    TDocumentCommands docs(r.S, r.Editor);
    QVERIFY(docs.LoadBook(path));
    docs.AfterLoad(false);
    QVERIFY(!r.B.Mask.Active);
    QCOMPARE(r.B.ListedCount, 4);
    r.Dialogs.MaskAnswer.reset();
    r.Dialogs.MaskButton = TMaskButton::Zpet;
    r.Cmd.IMaskaClick();
    QVERIFY(r.Dialogs.MaskShown == Choices("A"));
    QCOMPARE(r.Lines(), (L({"Alfa", "Beta"})));
    QCOMPARE(r.B.StatusTexts().at(1), QString::fromUtf8("2 záznamy"));
}

void TestMaskCommands::maskNotShownWhenStoreRefuses()
{
    TRig r;
    r.Load(FourFlagged());
    r.Editor.EditText(EField::NazevPolozky, {});
    r.Dialogs.MaskAnswer = Choices("A");
    r.Cmd.IMaskaClick();
    QCOMPARE(r.Dialogs.MaskAsked, 0);
    QVERIFY(!r.B.Mask.Active);
    QCOMPARE(r.Prompt.Last(), Msg::UniqueName());
}

// A mask no entry passes: nothing listed, the editor blank and closed, and the commands
// that work on a listed entry leave the hidden current entry alone.
void TestMaskCommands::emptyMaskLeavesNothingToTouch()
{
    TRig r;
    r.Load(FourFlagged());
    const QStringList flagsBefore = r.Flags();
    r.Dialogs.MaskAnswer = Choices("---------A");
    r.Cmd.IMaskaClick();
    QCOMPARE(r.B.List.Count(), 0);
    QCOMPARE(r.B.Current, &r.B.Record(0));
    QVERIFY(!r.S.Editor.Enabled());
    QVERIFY(r.S.Editor.Text(EField::NazevPolozky).isEmpty());
    QVERIFY(r.Prompt.Shown.isEmpty());

    r.Cmd.Koprovatzznam1Click();
    QVERIFY(r.S.CopiedRecord.NameView().isEmpty());

    r.Dialogs.FlagAnswer = Actions("VVVVVVVVVV");
    r.Cmd.Zmnitlogiku1Click();
    QCOMPARE(r.Flags(), flagsBefore);

    r.Dialogs.FindText = QStringLiteral("a");
    r.Cmd.INajitClick();
    QCOMPARE(r.Prompt.Last(), QString::fromUtf8("Zadaný řetězec nelze najít"));
    r.Cmd.INajitDalsiClick();
    QCOMPARE(r.Prompt.Last(), QString::fromUtf8("Další výskyt již nelze najít"));
    QVERIFY(!r.Prompt.Texts().contains(Msg::LookupFailed()));

    r.Editor.EditText(EField::NazevPolozky, "Jiná");
    r.Editor.IZrusitClick();
    QCOMPARE(r.B.RecordCount(), 4);
    QCOMPARE(r.CurrentName(), QStringLiteral("Gama"));

    // A paste is listed on the top line and opens the editor again.
    r.S.CopiedRecord = Entry("Nový", 0b1000000000);
    r.Cmd.Vloitzznam1Click();
    QCOMPARE(r.Lines(), L({"Kopie - Nový"}));
    QCOMPARE(r.B.CurrentIndex, 0);
    QVERIFY(r.S.Editor.Enabled());
    QVERIFY(r.EditorIsCurrentLine());
}

void TestMaskCommands::bulkChange_data()
{
    QTest::addColumn<QByteArray>("mask"); // empty: no mask
    QTest::addColumn<QByteArray>("actions");
    QTest::addColumn<QStringList>("flags"); // flags 1..4 after the run, book order Gama Beta Alfa Delta

    // Before (flags 1..4): Gama 0000, Beta 1100, Alfa 1010, Delta 0110; listed Alfa Beta Delta Gama.
    QTest::newRow("negate 3 on set/clear/set")
        << QByteArray() << QByteArray("--V") << L({"0010", "1110", "1000", "0100"});
    QTest::newRow("set 1, clear 2, negate 4")
        << QByteArray() << QByteArray("AN-V") << L({"1001", "1001", "1011", "1011"});
    QTest::newRow("all keep") << QByteArray() << QByteArray("") << L({"0000", "1100", "1010", "0110"});
    QTest::newRow("hidden entries kept")
        << QByteArray("A") << QByteArray("NV") << L({"0000", "0000", "0110", "0110"});
}

void TestMaskCommands::bulkChange()
{
    QFETCH(QByteArray, mask);
    QFETCH(QByteArray, actions);
    QFETCH(QStringList, flags);
    TRig r;
    QList<TContactRecord> book = FourFlagged();
    book[2].SetFlag(3, true);
    book[3].SetFlag(3, true);
    r.Load(book);
    if (!mask.isEmpty()) {
        r.Dialogs.MaskAnswer = Choices(mask.constData());
        r.Cmd.IMaskaClick();
    }
    r.B.Changed = false;
    r.Dialogs.FlagAnswer = Actions(actions.constData());
    r.Cmd.Zmnitlogiku1Click();

    QStringList got;
    for (const QString &f : r.Flags())
        got.append(f.left(4));
    QCOMPARE(got, flags);
    for (const QString &f : r.Flags())
        QCOMPARE(f.mid(4), QStringLiteral("000000"));
    QVERIFY(r.B.Changed);
    QCOMPARE(r.B.StatusTexts().at(2), Msg::Changed());
    QVERIFY(r.Prompt.Shown.isEmpty());
}

void TestMaskCommands::bulkChangeReselectsLine()
{
    TRig r;
    r.Load(FourFlagged());
    r.Click("Delta");
    QCOMPARE(r.B.CurrentIndex, 2);
    r.Dialogs.FlagAnswer = Actions("----A");
    r.Cmd.Zmnitlogiku1Click();
    QVERIFY(r.Dialogs.FlagShown == Actions(""));
    QCOMPARE(r.B.CurrentIndex, 2);
    QCOMPARE(r.CurrentName(), QStringLiteral("Delta"));
    QVERIFY(r.EditorIsCurrentLine());
    QVERIFY(r.S.Editor.Flag(5));
    QVERIFY(!r.S.Editor.RecordEdited);
}

void TestMaskCommands::bulkChangeCancelled()
{
    TRig r;
    r.Load(FourFlagged());
    const QStringList before = r.Flags();
    r.Dialogs.FlagConfirm = false;
    r.Dialogs.FlagAnswer = Actions("AAAAAAAAAA");
    r.Cmd.Zmnitlogiku1Click();
    QCOMPARE(r.Flags(), before);
    QVERIFY(!r.B.Changed);

    r.Editor.EditText(EField::NazevPolozky, {});
    r.Dialogs.FlagConfirm = true;
    r.Cmd.Zmnitlogiku1Click();
    QCOMPARE(r.Dialogs.FlagAsked, 1);
}

// A line no entry answers to is reported and skipped; the change must not fall on the
// book's first entry, which the failed lookup makes current.
void TestMaskCommands::bulkChangeSkipsLineWithoutEntry()
{
    TRig r;
    r.Load({Entry("Zuzana"), Entry("Adam"), Entry("Bára"), Entry("Cyril")});
    r.B.List.Replace(1, Cp("Duch"));
    r.Dialogs.FlagAnswer = Actions("V");
    r.Cmd.Zmnitlogiku1Click();
    QCOMPARE(r.Flags(), (L({"1000000000", "1000000000", "0000000000", "1000000000"})));
    QCOMPARE(r.Prompt.Texts(), QStringList {Msg::LookupFailed()});
    QCOMPARE(r.CurrentName(), QStringLiteral("Adam"));
}

// Repeated names: every listed entry changes exactly once, none is renamed, nothing is
// asked; a whole book appended to itself and a pair among many alike.
void TestMaskCommands::bulkChangeOverSharedNames_data()
{
    QTest::addColumn<QList<TContactRecord>>("records");
    QTest::newRow("two of one name") << QList<TContactRecord> {Entry("Petr"), Entry("Anna"), Entry("Petr")};
    QList<TContactRecord> twice;
    for (const char *n : {"Adam", "Bára", "Cyril", "Dana"})
        twice.append(Entry(n, 0x20));
    twice += twice;
    QTest::newRow("book appended to itself") << twice;
    QList<TContactRecord> many;
    for (int i = 0; i < 2000; ++i)
        many.append(Entry(QByteArray::number(i).constData()));
    many.append(Entry("7"));
    QTest::newRow("one pair among many") << many;
}

void TestMaskCommands::bulkChangeOverSharedNames()
{
    QFETCH(QList<TContactRecord>, records);
    TRig r;
    r.Load(records);
    const TContactRecord *current = r.B.Current;
    r.Dialogs.FlagAnswer = Actions("AOOOOVOOOO");
    r.Cmd.Zmnitlogiku1Click();
    for (qsizetype i = 0; i < r.B.RecordCount(); ++i) {
        QCOMPARE(r.B.Record(i).Name(), records[i].Name());
        QCOMPARE(r.B.Record(i).Flag(1), true);
        QCOMPARE(r.B.Record(i).Flag(6), !records[i].Flag(6));
    }
    QVERIFY(r.Prompt.Texts().isEmpty());
    QCOMPARE(r.B.Current, current);
    QCOMPARE(r.B.CurrentIndex, 0);
    QCOMPARE(r.S.Editor.Flag(1), true);
    QVERIFY(r.B.Changed);
}

void TestMaskCommands::findByName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("found"); // empty: none

    QTest::newRow("accented lower") << QString::fromUtf8("ová") << QString::fromUtf8("Bednářová");
    QTest::newRow("accented upper") << QString::fromUtf8("OVÁ") << QString::fromUtf8("Bednářová");
    QTest::newRow("no accent") << QStringLiteral("ova") << QString();
    QTest::newRow("start of name") << QStringLiteral("nov") << QString::fromUtf8("Nováková");
    QTest::newRow("upper accent in name") << QString::fromUtf8("ňu") << QString::fromUtf8("ŇUKAL");
    QTest::newRow("no accent on accented") << QStringLiteral("novak") << QString();
}

void TestMaskCommands::findByName()
{
    QFETCH(QString, text);
    QFETCH(QString, found);
    TRig r;
    r.Load({Entry("Nováková"), Entry("Adámek"), Entry("ŇUKAL"), Entry("Bednářová")});
    r.Dialogs.FindText = text;
    r.Cmd.INajitClick();
    QCOMPARE(r.Cmd.SearchText, ToCp1250(text.toUpper()));
    if (found.isEmpty()) {
        QCOMPARE(r.Prompt.Texts(), QStringList {QString::fromUtf8("Zadaný řetězec nelze najít")});
        QCOMPARE(r.CurrentName(), QString::fromUtf8("Adámek"));
    } else {
        QVERIFY(r.Prompt.Shown.isEmpty());
        QCOMPARE(r.CurrentName(), found);
        QVERIFY(r.EditorIsCurrentLine());
    }
    QVERIFY(!r.B.Changed);
}

void TestMaskCommands::findNextWalksOn()
{
    TRig r;
    r.Load({Entry("Nováková"), Entry("Adámek"), Entry("Bednářová")});
    r.Dialogs.FindText = QString::fromUtf8("ová");
    r.Cmd.INajitClick();
    QCOMPARE(r.CurrentName(), QString::fromUtf8("Bednářová"));
    r.Cmd.INajitDalsiClick();
    QCOMPARE(r.CurrentName(), QString::fromUtf8("Nováková"));
    r.Cmd.INajitDalsiClick();
    QCOMPARE(r.Prompt.Texts(), QStringList {QString::fromUtf8("Další výskyt již nelze najít")});
    QCOMPARE(r.CurrentName(), QString::fromUtf8("Nováková"));
    QVERIFY(r.EditorIsCurrentLine());
    QCOMPARE(r.Dialogs.FindAsked, 1);

    // The text outlives the book.
    const QString path = r.Dir.filePath(QStringLiteral("o.wdt"));
    QVERIFY(TestBook::WriteFile(path, TestBook::FileBytes(TBookLabels::Defaults(), {Entry("Horová"), Entry("Adam")})));
    TDocumentCommands docs(r.S, r.Editor);
    QVERIFY(docs.LoadBook(path));
    docs.AfterLoad(false);
    r.Cmd.INajitDalsiClick();
    QCOMPARE(r.CurrentName(), QString::fromUtf8("Horová"));
}

void TestMaskCommands::findFromPosition()
{
    TRig r;
    r.Load({Entry("Nováková"), Entry("Adámek"), Entry("Bednářová")});
    r.Click("Bednářová");
    r.Dialogs.FindText = QString::fromUtf8("ová");
    r.Dialogs.FromStart = false;
    r.Cmd.INajitClick();
    QCOMPARE(r.CurrentName(), QString::fromUtf8("Nováková"));
    // From the last line there is nothing further, not even the line itself.
    r.Cmd.INajitClick();
    QCOMPARE(r.Prompt.Last(), QString::fromUtf8("Zadaný řetězec nelze najít"));
    r.Cmd.INajitDalsiClick();
    QCOMPARE(r.Prompt.Last(), QString::fromUtf8("Další výskyt již nelze najít"));
    QCOMPARE(r.CurrentName(), QString::fromUtf8("Nováková"));
}

void TestMaskCommands::findNextWithoutTextAsks()
{
    TRig r;
    r.Load({Entry("Adámek"), Entry("Bednářová")});
    r.Dialogs.FindConfirm = false;
    r.Cmd.INajitDalsiClick();
    QCOMPARE(r.Dialogs.FindAsked, 1);

    // An empty text is refused and empties the kept one, so the next find-next asks again.
    r.Dialogs.FindConfirm = true;
    r.Dialogs.FindText = QString::fromUtf8("ová");
    r.Cmd.INajitClick();
    r.Dialogs.FindText.clear();
    r.Cmd.INajitClick();
    QCOMPARE(r.Prompt.Last(), QString::fromUtf8("Musíte napřed zadat hledaný řetězec"));
    QCOMPARE(r.Prompt.Shown.last().Kind, THlaskaKind::Chyba);
    QVERIFY(r.Cmd.SearchText.isEmpty());
    r.Dialogs.FindConfirm = false;
    r.Cmd.INajitDalsiClick();
    QCOMPARE(r.Dialogs.FindAsked, 4);
}

void TestMaskCommands::findSkipsHiddenAndOrphanLines()
{
    TRig r;
    r.Load({Entry("Nováková", 0b1), Entry("Adámek", 0b1), Entry("Bednářová"), Entry("Horová", 0b1)});
    r.Dialogs.MaskAnswer = Choices("A");
    r.Cmd.IMaskaClick();
    r.Dialogs.FindText = QString::fromUtf8("bedn");
    r.Cmd.INajitClick();
    QCOMPARE(r.Prompt.Last(), QString::fromUtf8("Zadaný řetězec nelze najít"));

    // Lines Adámek, Horová, Nováková; Horová's line no longer names an entry.
    r.Prompt.Reset();
    r.B.List.Replace(1, Cp("Duchová"));
    r.Dialogs.FindText = QString::fromUtf8("ová");
    r.Cmd.INajitClick();
    QCOMPARE(r.Prompt.Texts(), QStringList {Msg::LookupFailed()});
    QCOMPARE(r.CurrentName(), QString::fromUtf8("Nováková"));
    QVERIFY(r.EditorIsCurrentLine());
    r.Cmd.INajitDalsiClick();
    QCOMPARE(r.Prompt.Last(), QString::fromUtf8("Další výskyt již nelze najít"));
    QCOMPARE(r.CurrentName(), QString::fromUtf8("Nováková"));
}

void TestMaskCommands::copyAndPaste()
{
    TRig r;
    TContactRecord novak = Entry("Novák", 0b1000000101);
    novak.SetText(EField::Prijmeni, Cp("Novák"));
    novak.SetText(EField::Telefon3, "123456");
    novak.SetNote(Cp("Řádek 1\r\nŘádek 2"));
    r.Load({Entry("Zeman"), novak, Entry("Adam")});

    r.Cmd.Vloitzznam1Click();
    QCOMPARE(r.B.RecordCount(), 3);
    QVERIFY(!r.B.Changed);

    r.Click("Novák");
    r.Cmd.Koprovatzznam1Click();
    QVERIFY(r.S.CopiedRecord == novak);
    r.Editor.EditText(EField::Prijmeni, "Jiný"); // later edits stay out of the copy
    r.Click("Adam");
    r.Click("Novák");
    r.Cmd.Vloitzznam1Click();

    QCOMPARE(r.Lines(), (L({"Adam", "Novák", "Kopie - Novák", "Zeman"})));
    QCOMPARE(r.B.CurrentIndex, 2);
    QCOMPARE(r.B.ListedCount, 4);
    QCOMPARE(r.B.IndexOf(r.B.Current), 2); // directly after the copied entry in book order
    TContactRecord expected = novak;
    expected.SetText(EField::NazevPolozky, Cp("Kopie - Novák"));
    QVERIFY(*r.B.Current == expected);
    QVERIFY(r.EditorIsCurrentLine());
    QVERIFY(r.B.Changed);
    QCOMPARE(r.B.StatusTexts().at(1), QString::fromUtf8("4 záznamy"));

    // A second paste gives the same name again; the clash shows when the entry is left.
    r.Cmd.Vloitzznam1Click();
    QCOMPARE(r.B.CountByName(Cp("Kopie - Novák")), 2);
    r.Click("Adam");
    QCOMPARE(r.Prompt.Last(), Msg::UniqueName());
}

void TestMaskCommands::pasteCutsLongName()
{
    TRig r;
    const QByteArray name = QByteArray("Abcdefghij").repeated(4) + "Klmno";
    QCOMPARE(name.size(), 45);
    r.Load({TestBook::Entry(name.constData())});
    r.Cmd.Koprovatzznam1Click();
    r.Cmd.Vloitzznam1Click();
    const QByteArray pasted = "Kopie - " + name.left(42);
    QCOMPARE(r.B.Current->Name(), pasted);
    QCOMPARE(r.B.List.At(1), pasted);
    QCOMPARE(r.S.Editor.Text(EField::NazevPolozky), pasted);
}

void TestMaskCommands::pasteIntoAnotherBook()
{
    TRig r;
    TContactRecord jana = Entry("Jana", 0b11);
    jana.SetText(EField::Email, "jana@example.cz");
    r.Load({Entry("Adam"), jana});
    r.Click("Jana");
    r.Cmd.Koprovatzznam1Click();

    const QString path = r.Dir.filePath(QStringLiteral("druha.wdt"));
    QVERIFY(TestBook::WriteFile(path, TestBook::FileBytes(TBookLabels::Defaults(), {Entry("Zdeněk"), Entry("Bohouš")})));
    TDocumentCommands docs(r.S, r.Editor);
    QVERIFY(docs.LoadBook(path));
    docs.AfterLoad(false);
    r.Cmd.Vloitzznam1Click();
    QCOMPARE(r.Lines(), (L({"Bohouš", "Kopie - Jana", "Zdeněk"})));
    QCOMPARE(r.B.RecordCount(), 3);
    QCOMPARE(r.B.Current->Text(EField::Email), QByteArray("jana@example.cz"));
    QVERIFY(r.B.Current->Flag(1) && r.B.Current->Flag(2));
}

QTEST_GUILESS_MAIN(TestMaskCommands)
#include "tst_maskcommands.moc"

#include "session/Messages.h"

#include "SessionFixture.h"

#include <QTest>

using TestBook::Cp;
using TestBook::Entry;

class TestRecordEditing : public QObject
{
    Q_OBJECT

private slots:
    void composedName_data();
    void composedName();
    void emptyNameRefusesToLeave();
    void duplicateNameGetsMarked();
    void newEntryStandsBelowCurrent();
    void unnamedNewEntryStaysReachable();
    void deleteEntry_data();
    void deleteEntry();
    void deleteAnsweredNo();
    void deleteLastListedUnderMask();
    void everyKindOfEditSetsChanged_data();
    void everyKindOfEditSetsChanged();
    void showingAnotherRecordIsNoEdit();
    void ageLabel_data();
    void ageLabel();
    void stateDoubleClick();
    void doubleClickResorts();
    void resortWithUnnamedEntries();
};

void TestRecordEditing::composedName_data()
{
    QTest::addColumn<QByteArray>("surname");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("both") << Cp("Novák") << Cp("Jan") << Cp("Novák Jan");
    QTest::newRow("first only") << QByteArray() << Cp("Jan") << Cp(" Jan");
    QTest::newRow("surname only") << Cp("Novák") << QByteArray() << Cp("Novák");
    QTest::newRow("cut to 50") << QByteArray(20, 's') << QByteArray(20, 'f')
                               << QByteArray(20, 's') + ' ' + QByteArray(20, 'f');
}

void TestRecordEditing::composedName()
{
    QFETCH(QByteArray, surname);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, name);
    TSessionFixture f;
    f.Open({Entry("Adámek"), Entry("Zelenka")});
    f.Editor->EditText(EField::NazevPolozky, {});
    f.Editor->EditText(EField::Prijmeni, surname);
    f.Editor->EditText(EField::Jmeno, first);
    f.Editor->ListBoxNazevClick(1);
    QVERIFY(f.Prompt.Shown.isEmpty());
    QCOMPARE(f.S->Book.Record(0).Name(), name);
    QCOMPARE(f.ListNames().first(), name); // replaced in place, not re-sorted
    QCOMPARE(f.CurrentName(), QByteArray("Zelenka"));
    QCOMPARE(f.Status(2), Msg::Changed());
}

void TestRecordEditing::emptyNameRefusesToLeave()
{
    TSessionFixture f;
    f.Open({Entry("Adámek"), Entry("Zelenka")});
    f.Editor->EditText(EField::NazevPolozky, {});
    f.Editor->ListBoxNazevClick(1);
    QCOMPARE(f.Prompt.Texts(), QStringList {Msg::UniqueName()});
    QCOMPARE(f.Prompt.Shown.first().Kind, THlaskaKind::Vystraha);
    QCOMPARE(f.S->Book.CurrentIndex, 0);
    QCOMPARE(f.S->Book.List.Selected(), 0);
    QVERIFY(f.S->Editor.RecordEdited);
    // Saving refuses too and writes nothing.
    f.Docs->IUlozitClick();
    QCOMPARE(TestBook::ReadFile(f.Path("kniha.wdt")).size(), 3 * kRecordSize);
    QVERIFY(f.S->Book.Changed);
}

void TestRecordEditing::duplicateNameGetsMarked()
{
    TSessionFixture f;
    f.Open({Entry("Petr"), Entry("Adam"), Entry("Zdeněk")});
    f.Editor->ListBoxNazevClick(f.Row("Petr"));
    f.Editor->EditText(EField::NazevPolozky, "Adam");
    f.Editor->ListBoxNazevClick(f.Row("Zdeněk"));
    QCOMPARE(f.Prompt.Texts(), QStringList {Msg::UniqueName()});
    QCOMPARE(f.CurrentName(), QByteArray(" ??? "));
    QCOMPARE(f.S->Book.List.At(f.S->Book.CurrentIndex), QByteArray(" ??? "));

    // A second entry named " ??? " turns the clash into "??? ???".
    f.Editor->ListBoxNazevClick(f.Row("Zdeněk"));
    QCOMPARE(f.CurrentName(), Cp("Zdeněk"));
    f.Editor->EditText(EField::NazevPolozky, " ??? ");
    f.Editor->ListBoxNazevClick(f.Row("Adam"));
    QCOMPARE(f.CurrentName(), QByteArray("??? ???"));
    QCOMPARE(f.Prompt.Shown.size(), 2);
}

void TestRecordEditing::newEntryStandsBelowCurrent()
{
    TSessionFixture f;
    f.Open({Entry("Zelenka"), Entry("Adámek"), Entry("Horák")});
    f.Editor->ListBoxNazevClick(f.Row("Adámek"));
    f.Editor->IPridatClick();
    QCOMPARE(f.ListNames(), (QList<QByteArray> {Cp("Adámek"), " ", Cp("Horák"), Cp("Zelenka")}));
    QCOMPARE(f.S->Book.CurrentIndex, 1);
    QCOMPARE(f.S->Book.RecordCount(), 4);
    QCOMPARE(f.S->Book.IndexOf(f.S->Book.Current), 2); // directly after Adámek in book order
    QCOMPARE(f.Status(1), QString::fromUtf8("4 záznamy"));
    f.Editor->EditText(EField::NazevPolozky, "Bartos");
    f.Editor->ListBoxNazevClick(0);
    QCOMPARE(f.ListNames().at(1), QByteArray("Bartos"));
    f.Editor->ListBoxNazevDblClick();
    QCOMPARE(f.ListNames(), (QList<QByteArray> {Cp("Adámek"), "Bartos", Cp("Horák"), Cp("Zelenka")}));
}

void TestRecordEditing::unnamedNewEntryStaysReachable()
{
    TSessionFixture f;
    f.Open({Entry("Adámek"), Entry("Horák")});
    f.Editor->IPridatClick();
    f.Editor->ListBoxNazevClick(f.Row("Horák")); // left without any edit
    QVERIFY(f.Prompt.Shown.isEmpty());
    f.Editor->ListBoxNazevClick(1);
    QVERIFY(f.Prompt.Shown.isEmpty());
    QCOMPARE(f.CurrentName(), QByteArray());
    QCOMPARE(f.S->Book.IndexOf(f.S->Book.Current), 1);
    f.Editor->EditText(EField::Prijmeni, "Nový");
    f.Editor->ListBoxNazevClick(0);
    QCOMPARE(f.S->Book.Record(1).Name(), QByteArray("Nový"));
}

void TestRecordEditing::deleteEntry_data()
{
    QTest::addColumn<QList<QByteArray>>("names");
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<QByteArray>>("after");
    QTest::addColumn<int>("selected");
    QTest::newRow("middle") << QList<QByteArray> {"A", "B", "C"} << 1 << QList<QByteArray> {"A", "C"} << 1;
    QTest::newRow("last selects the one above") << QList<QByteArray> {"A", "B", "C"} << 2
                                               << QList<QByteArray> {"A", "B"} << 1;
    QTest::newRow("only record is emptied") << QList<QByteArray> {"A"} << 0 << QList<QByteArray> {""} << 0;
}

void TestRecordEditing::deleteEntry()
{
    QFETCH(QList<QByteArray>, names);
    QFETCH(int, row);
    QFETCH(QList<QByteArray>, after);
    QFETCH(int, selected);
    TSessionFixture f;
    QList<TContactRecord> records;
    for (const QByteArray &n : names)
        records.append(Entry(n.constData(), 1));
    f.Open(records);
    f.Editor->ListBoxNazevClick(row);
    f.Editor->IZrusitClick();
    QCOMPARE(f.Prompt.Texts(), QStringList {Msg::DeleteQuestion()});
    QCOMPARE(f.ListNames(), after);
    QCOMPARE(f.S->Book.CurrentIndex, selected);
    QCOMPARE(f.CurrentName(), after.at(selected));
    QCOMPARE(f.S->Editor.Text(EField::NazevPolozky), after.at(selected));
    QCOMPARE(f.S->Book.RecordCount(), qMax<qsizetype>(1, names.size() - 1));
    QVERIFY(f.S->Book.Changed);
    if (names.size() == 1)
        QVERIFY(!f.S->Book.Current->Flag(1));
}

void TestRecordEditing::deleteAnsweredNo()
{
    TSessionFixture f;
    f.Open({Entry("A"), Entry("B")});
    f.Prompt.Answers.enqueue(kHlaskaNe);
    f.Editor->IZrusitClick();
    QCOMPARE(f.S->Book.RecordCount(), 2);
    QVERIFY(!f.S->Book.Changed);
}

void TestRecordEditing::deleteLastListedUnderMask()
{
    TSessionFixture f;
    f.Open({Entry("A"), Entry("B", 1), Entry("C")});
    f.S->Book.Mask.RequireSet[0] = true;
    f.S->Book.Mask.Active = true;
    f.S->Book.RefillListWithMask();
    f.Editor->ShowRecord();
    QCOMPARE(f.CurrentName(), QByteArray("B"));
    f.Editor->IZrusitClick();
    QCOMPARE(f.Prompt.Texts(), QStringList {Msg::DeleteQuestion()}); // no lookup error
    QCOMPARE(f.S->Book.RecordCount(), 2);
    QCOMPARE(f.S->Book.ListedCount, 0);
    QVERIFY(f.ListNames().isEmpty());
    QVERIFY(f.S->Book.Current);
    // The editor shows nothing and takes nothing, so the hidden entry cannot be edited.
    QVERIFY(!f.S->Editor.Enabled());
    QCOMPARE(f.S->Editor.Text(EField::NazevPolozky), QByteArray());
    f.Editor->EditText(EField::Prijmeni, "X");
    QVERIFY(!f.S->Editor.RecordEdited);
    f.Editor->IZrusitClick(); // nothing listed: nothing to delete
    QCOMPARE(f.S->Book.RecordCount(), 2);
    // A new entry comes in on the empty list and can be edited.
    f.Editor->IPridatClick();
    QCOMPARE(f.ListNames(), QList<QByteArray> {" "});
    QCOMPARE(f.S->Book.CurrentIndex, 0);
    QVERIFY(f.S->Editor.Enabled());
    f.Editor->EditText(EField::NazevPolozky, "D");
    QVERIFY(f.Editor->StoreFields());
    QCOMPARE(f.S->Book.RecordCount(), 3);
    QCOMPARE(f.S->Book.Record(0).Name(), QByteArray("A"));
    QCOMPARE(f.S->Book.Record(1).Name(), QByteArray("D"));
}

void TestRecordEditing::everyKindOfEditSetsChanged_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("text") << 0;
    QTest::newRow("flag") << 1;
    QTest::newRow("note") << 2;
    QTest::newRow("first name") << 3;
}

void TestRecordEditing::everyKindOfEditSetsChanged()
{
    QFETCH(int, kind);
    TSessionFixture f;
    f.Open({Entry("A"), Entry("B")});
    QCOMPARE(f.Status(2), QString());
    switch (kind) {
    case 0:
        f.Editor->EditText(EField::Ucet, "123/0800");
        break;
    case 1:
        f.Editor->EditFlag(7, true);
        break;
    case 2:
        f.Editor->EditNote("pozn\r\nrádek");
        break;
    case 3:
        f.Editor->EditText(EField::Jmeno, "Jan");
        break;
    }
    QVERIFY(f.S->Editor.RecordEdited);
    QVERIFY(f.S->Book.Changed);
    QCOMPARE(f.Status(2), Msg::Changed());
    QCOMPARE(f.S->Editor.FirstNameEdited, kind == 3);
    f.Editor->ListBoxNazevClick(1);
    f.Editor->ListBoxNazevClick(0);
    const TContactRecord &r = *f.S->Book.Current;
    QCOMPARE(r.Text(EField::Ucet), kind == 0 ? QByteArray("123/0800") : QByteArray());
    QCOMPARE(r.Flag(7), kind == 1);
    QCOMPARE(r.Note(), kind == 2 ? QByteArray("pozn\r\nrádek") : QByteArray());
}

void TestRecordEditing::showingAnotherRecordIsNoEdit()
{
    TSessionFixture f;
    f.Open({Entry("A", 3), Entry("B")});
    f.Editor->ListBoxNazevClick(1);
    f.Editor->ListBoxNazevClick(0);
    QVERIFY(!f.S->Editor.RecordEdited);
    QVERIFY(!f.S->Book.Changed);
    QVERIFY(f.S->Editor.Flag(1));
    QCOMPARE(f.Status(2), QString());
}

void TestRecordEditing::ageLabel_data()
{
    QTest::addColumn<QByteArray>("birthday");
    QTest::addColumn<QString>("age");
    QTest::newRow("a year") << QByteArray("07.12.2025") << QString::fromUtf8("1 let   (366 dní)");
    QTest::newRow("letters") << QByteArray("ab.cd.efgh") << QString();
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestRecordEditing::ageLabel()
{
    QFETCH(QByteArray, birthday);
    QFETCH(QString, age);
    TSessionFixture f;
    TContactRecord r = Entry("A");
    r.SetText(EField::Narozeniny, birthday);
    r.SetText(EField::Svatek, "24.12.");
    f.S->Calendar.SetLines({QByteArray("24.12.    Adam, Eva")});
    f.Open({r});
    QCOMPARE(f.S->Editor.Vek(), age);
    QCOMPARE(f.S->Editor.Jmeniny(), QByteArray("Adam, Eva"));
}

void TestRecordEditing::stateDoubleClick()
{
    TSessionFixture f;
    f.Open({Entry("A")});
    f.Editor->Stat1DblClick(2);
    QCOMPARE(f.S->Editor.Text(EField::Stat2), Cp("Česká republika"));
    QVERIFY(f.S->Book.Changed);
}

void TestRecordEditing::doubleClickResorts()
{
    TSessionFixture f;
    f.Open({Entry("B"), Entry("A")});
    f.Editor->ListBoxNazevClick(1);
    f.Editor->EditText(EField::NazevPolozky, "0");
    f.Editor->ListBoxNazevDblClick();
    QCOMPARE(f.ListNames(), (QList<QByteArray> {"0", "A"}));
    QCOMPARE(f.S->Book.CurrentIndex, 0);
    QCOMPARE(f.CurrentName(), QByteArray("0"));
}

// Entries added and never named sort first; each line still stands for its own entry.
void TestRecordEditing::resortWithUnnamedEntries()
{
    TSessionFixture f;
    f.Open({Entry("Nováková Jana"), Entry("Adámek")});
    f.Editor->IPridatClick();
    f.Editor->IPridatClick();
    f.Editor->ListBoxNazevDblClick();
    QVERIFY(f.Prompt.Shown.isEmpty());
    QCOMPARE(f.ListNames(), (QList<QByteArray> {" ", " ", Cp("Adámek"), Cp("Nováková Jana")}));
    QCOMPARE(f.S->Book.CurrentIndex, 0);
    QCOMPARE(f.CurrentName(), QByteArray());
    f.Editor->EditText(EField::Prijmeni, Cp("Malý"));
    f.Editor->ListBoxNazevClick(1);
    QVERIFY(f.Prompt.Shown.isEmpty());
    QCOMPARE(f.CurrentName(), QByteArray());
    QVERIFY(f.S->Book.Current != f.S->Book.FindByName(Cp("Malý")));
    QCOMPARE(f.ListNames(), (QList<QByteArray> {Cp("Malý"), " ", Cp("Adámek"), Cp("Nováková Jana")}));
    QList<QByteArray> listed = f.ListNames(), named = f.BookNames();
    listed.replace(1, QByteArray());
    std::sort(listed.begin(), listed.end());
    std::sort(named.begin(), named.end());
    QCOMPARE(listed, named);
}

QTEST_GUILESS_MAIN(TestRecordEditing)
#include "tst_recordediting.moc"

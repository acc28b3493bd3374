#include "session/AddressBook.h"

#include "FakePrompt.h"
#include "TestBook.h"
#include "util/Cp1250.h"

#include <QSet>
#include <QTest>

using TestBook::Entry;

// The walk over the listed entries pairs lines with entries as a click on each line does.
class TestListedRecords : public QObject
{
    Q_OBJECT

private slots:
    void pairsAsEachLineDoes_data();
    void pairsAsEachLineDoes();
};

void TestListedRecords::pairsAsEachLineDoes_data()
{
    QTest::addColumn<QByteArrayList>("names");   // the entries in book order
    QTest::addColumn<QList<unsigned>>("flags"); // per entry
    QTest::addColumn<int>("requireFlag");       // the mask's required flag, 0 for none
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QList<int>>("expected");   // entry per line, -1 for none

    QTest::newRow("unique names") << QByteArrayList {"B", "A", "C"} << QList<unsigned> {0, 0, 0} << 0
                                  << QByteArrayList {"A", "B", "C"} << QList<int> {1, 0, 2};
    QTest::newRow("repeated names in book order")
        << QByteArrayList {"Novák", "Adam", "Novák", "Novák"} << QList<unsigned> {0, 0, 0, 0} << 0
        << QByteArrayList {"Adam", "Novák", "Novák", "Novák"} << QList<int> {1, 0, 2, 3};
    QTest::newRow("entries the mask passes first")
        << QByteArrayList {"Novák", "Novák", "Novák"} << QList<unsigned> {0, 1, 0} << 1
        << QByteArrayList {"Novák", "Novák", "Novák"} << QList<int> {1, 0, 2};
    QTest::newRow("more lines than entries, a line without one")
        << QByteArrayList {"Novák", "Adam"} << QList<unsigned> {0, 0} << 0
        << QByteArrayList {"Adam", "Nikdo", "Novák", "Novák"} << QList<int> {1, -1, 0, -1};
    QTest::newRow("unnamed line stands for entries without a name")
        << QByteArrayList {"", "Adam", ""} << QList<unsigned> {0, 0, 0} << 0
        << QByteArrayList {" ", "Adam", " "} << QList<int> {0, 1, 2};
    QTest::newRow("unnamed line beside an entry named by a space")
        << QByteArrayList {"", " "} << QList<unsigned> {0, 0} << 0 << QByteArrayList {" ", " "}
        << QList<int> {1, -1};
    QTest::newRow("names differing in case or in a byte after the text")
        << QByteArrayList {"novák", "Novák", QByteArray("Nov\0ák", 6)} << QList<unsigned> {0, 0, 0} << 0
        << QByteArrayList {"Novák", "novák", QByteArray("Nov\0ák", 6)} << QList<int> {1, 0, 2};
}

void TestListedRecords::pairsAsEachLineDoes()
{
    QFETCH(QByteArrayList, names);
    QFETCH(QList<unsigned>, flags);
    QFETCH(int, requireFlag);
    QFETCH(QByteArrayList, lines);
    QFETCH(QList<int>, expected);
    TFakePrompt prompt;
    TAddressBook book(prompt);
    for (qsizetype i = 0; i < names.size(); ++i) {
        TContactRecord r = Entry("", flags[i]);
        r.SetText(EField::NazevPolozky, ToCp1250(QString::fromUtf8(names[i])));
        book.AppendRecord(r);
    }
    if (requireFlag > 0) {
        book.Mask.Active = true;
        book.Mask.RequireSet[size_t(requireFlag - 1)] = true;
    }
    QList<QByteArray> cp;
    for (const QByteArray &l : lines)
        cp.append(ToCp1250(QString::fromUtf8(l)));
    // In the order given: the pairing does not rely on the lines being sorted.
    for (const QByteArray &l : cp)
        book.List.Insert(book.List.Count(), l);

    const QList<TContactRecord *> listed = book.ListedRecords();
    QCOMPARE(listed.size(), lines.size());
    for (qsizetype row = 0; row < lines.size(); ++row) {
        TContactRecord *want = expected[row] < 0 ? nullptr : &book.Record(expected[row]);
        QVERIFY2(listed[row] == want, qPrintable(QStringLiteral("line %1").arg(row)));
    }
}

QTEST_GUILESS_MAIN(TestListedRecords)
#include "tst_listedrecords.moc"

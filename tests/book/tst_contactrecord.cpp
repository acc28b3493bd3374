#include "book/BookLabels.h"
#include "book/ContactRecord.h"

#include "TestBook.h"

#include <QTest>

using TestBook::Cp;

class TestContactRecord : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void capacityCut();
    void bytesAfterTextSurviveUnchangedStore();
    void damagedLengthByteStaysInsideField();
    void note_data();
    void note();
    void headerRoundTrip_data();
    void headerRoundTrip();
};

void TestContactRecord::layout_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("capacity");
    QTest::newRow("TitulPred") << QByteArray("TitulPred") << 0 << 10;
    QTest::newRow("NazevPolozky") << QByteArray("NazevPolozky") << 11 << 50;
    QTest::newRow("RodneCislo") << QByteArray("RodneCislo") << 136 << 11;
    QTest::newRow("Psc3") << QByteArray("Psc3") << 539 << 10;
    QTest::newRow("VStatu1") << QByteArray("VStatu1") << 550 << 5;
    QTest::newRow("Telefon1") << QByteArray("Telefon1") << 562 << 20;
    QTest::newRow("Linka9") << QByteArray("Linka9") << 583 + 39 * 8 << 5;
    QTest::newRow("Http") << QByteArray("Http") << 901 << 40;
    QTest::newRow("Email") << QByteArray("Email") << 942 << 40;
    QTest::newRow("Narozeniny") << QByteArray("Narozeniny") << 1065 << 10;
    QTest::newRow("Svatek") << QByteArray("Svatek") << 1076 << 6;
    QTest::newRow("Ucet") << QByteArray("Ucet") << 1166 << 40;
}

void TestContactRecord::layout()
{
    QFETCH(QByteArray, name);
    QFETCH(int, offset);
    QFETCH(int, capacity);
    const int index = FieldIndexByName(name);
    QVERIFY(index >= 0);
    QCOMPARE(FieldInfo(index).Offset, offset);
    QCOMPARE(FieldInfo(index).Capacity, capacity);

    TContactRecord r;
    r.SetText(EField(index), "AB");
    QCOMPARE(r.Data()[offset], char(2));
    QCOMPARE(QByteArray(r.Data() + offset + 1, 2), QByteArray("AB"));
}

void TestContactRecord::capacityCut()
{
    TContactRecord r;
    r.SetText(EField::Prijmeni, "ABCDEFGHIJKLMNOPQRSTUVWXY");
    QCOMPARE(r.Text(EField::Prijmeni), QByteArray("ABCDEFGHIJKLMNOPQRST"));
    QCOMPARE(r.Data()[FieldInfo(EField::Jmeno).Offset], char(0)); // the next field is untouched
}

void TestContactRecord::bytesAfterTextSurviveUnchangedStore()
{
    QByteArray raw(kRecordSize, '\xAA');
    raw[FieldInfo(EField::Prijmeni).Offset] = 3;
    TContactRecord r = TContactRecord::FromBytes(raw.constData());
    r.SetText(EField::Prijmeni, r.Text(EField::Prijmeni));
    r.SetFlag(1, r.Flag(1));
    QCOMPARE(QByteArray(r.Data(), kRecordSize), raw);
}

void TestContactRecord::damagedLengthByteStaysInsideField()
{
    QByteArray raw(kRecordSize, 'x');
    raw[FieldInfo(EField::Svatek).Offset] = char(200);
    const TContactRecord r = TContactRecord::FromBytes(raw.constData());
    QCOMPARE(r.Text(EField::Svatek).size(), 6);
}

void TestContactRecord::note_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("stored");
    QTest::newRow("empty") << 0 << 0;
    QTest::newRow("short") << 10 << 10;
    QTest::newRow("exactly 2000") << 2000 << 2000;
    QTest::newRow("2001 is cut") << 2001 << 2000;
}

void TestContactRecord::note()
{
    QFETCH(int, length);
    QFETCH(int, stored);
    TContactRecord r;
    r.SetFlag(1, true);
    r.SetNote(QByteArray(length, 'n'));
    QCOMPARE(r.Note().size(), stored);
    QVERIFY(r.Flag(1)); // the note never runs into the flags
    QCOMPARE(r.Data()[kFlagsOffset], char(1));
}

void TestContactRecord::headerRoundTrip_data()
{
    QTest::addColumn<QByteArray>("caption");
    QTest::addColumn<QByteArray>("readBack");
    QTest::newRow("plain") << Cp("Rodina") << Cp("Rodina");
    QTest::newRow("blanks around") << Cp("  Rodina  ") << Cp("Rodina");
    QTest::newRow("exactly 60") << QByteArray(60, 'k') << QByteArray(60, 'k');
    QTest::newRow("61 is cut") << QByteArray(61, 'k') << QByteArray(60, 'k');
    QTest::newRow("accents") << Cp("Spolužák ze střední školy") << Cp("Spolužák ze střední školy");
}

void TestContactRecord::headerRoundTrip()
{
    QFETCH(QByteArray, caption);
    QFETCH(QByteArray, readBack);
    TBookLabels l = TBookLabels::Defaults();
    l.FlagCaptions[1] = caption;
    l.ReminderFlags[4] = true;
    const TContactRecord h = l.ToHeader();
    // Slot 2 holds exactly 60 characters, padded with spaces; slot 3 follows unchanged.
    QCOMPARE(QByteArray(h.Data() + kNoteOffset + 60, 60), caption.left(60).leftJustified(60, ' '));
    QCOMPARE(h.Text(EField::NazevPolozky), QByteArray());
    const TBookLabels back = TBookLabels::FromHeader(h);
    QCOMPARE(back.FlagCaptions[1], readBack);
    QCOMPARE(back.FlagCaptions[2], l.FlagCaptions[2]);
    QCOMPARE(back.PhoneCaptions, l.PhoneCaptions);
    QCOMPARE(back.AddressCaptions, l.AddressCaptions);
    QCOMPARE(back.ReminderFlags, l.ReminderFlags);
}

QTEST_APPLESS_MAIN(TestContactRecord)
#include "tst_contactrecord.moc"

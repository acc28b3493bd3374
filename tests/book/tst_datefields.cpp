#include "book/DateFields.h"

#include <QTest>

namespace {

// Appends the check digit that makes a ten-digit birth number divisible by 11;
// the caller picks a prefix whose remainder is below 10.
QByteArray WithCheckDigit(const QByteArray &firstNine)
{
    const int check = int(firstNine.toLongLong() % 11);
    Q_ASSERT(check < 10);
    return firstNine.left(6) + '/' + firstNine.mid(6) + QByteArray::number(check);
}

} // namespace

class TestDateFields : public QObject
{
    Q_OBJECT

private slots:
    void normalizeBirthday_data();
    void normalizeBirthday();
    void normalizeNameDay_data();
    void normalizeNameDay();
    void birthNumber_data();
    void birthNumber();
    void ageText_data();
    void ageText();
};

void TestDateFields::normalizeBirthday_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("field"); // value after leaving the field
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("invalid");

    QTest::newRow("empty") << QByteArray() << QByteArray() << false << false;
    QTest::newRow("two-digit year") << QByteArray("1.1.70") << QByteArray("01.01.1970") << true << false;
    QTest::newRow("one-digit day and month")
        << QByteArray("5.3.1961") << QByteArray("05.03.1961") << true << false;
    QTest::newRow("hyphens") << QByteArray("05-03-1961") << QByteArray("05.03.1961") << true << false;
    QTest::newRow("slashes") << QByteArray("05/3/1961") << QByteArray("05.03.1961") << true << false;
    QTest::newRow("already in form") << QByteArray("05.03.1961") << QByteArray("05.03.1961") << false
                                     << false;
    QTest::newRow("month length not checked")
        << QByteArray("31.02.1970") << QByteArray("31.02.1970") << false << false;
    QTest::newRow("month 13") << QByteArray("01.13.1970") << QByteArray() << false << true;
    QTest::newRow("day 32") << QByteArray("32.01.1970") << QByteArray() << false << true;
    QTest::newRow("day 0") << QByteArray("00.01.1970") << QByteArray() << false << true;
    QTest::newRow("year 1899") << QByteArray("01.01.1899") << QByteArray() << false << true;
    QTest::newRow("year 2100") << QByteArray("01.01.2100") << QByteArray() << false << true;
    QTest::newRow("year 2099") << QByteArray("31.12.2099") << QByteArray("31.12.2099") << false << false;
    QTest::newRow("no year") << QByteArray("1.1") << QByteArray("01.01.") << true << false;
    QTest::newRow("no year, as phones write it") << QByteArray("15.04.") << QByteArray("15.04.") << false << false;
    QTest::newRow("no year, month 13") << QByteArray("15.13.") << QByteArray() << false << true;
    QTest::newRow("year cut short") << QByteArray("15.04.1") << QByteArray() << false << true;
    QTest::newRow("three-digit day") << QByteArray("123.1.1970") << QByteArray() << false << true;
    QTest::newRow("letter first") << QByteArray("a1.01.1970") << QByteArray() << false << true;
    QTest::newRow("tail after year kept")
        << QByteArray("01.01.1970xyz") << QByteArray("01.01.1970xyz") << false << false;
    QTest::newRow("tail cut when month padded")
        << QByteArray("1.1.1970123") << QByteArray("01.01.19701") << true << false;
}

void TestDateFields::normalizeBirthday()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, field);
    QFETCH(bool, changed);
    QFETCH(bool, invalid);
    const TNormalizeResult r = NormalizeBirthday(input);
    QCOMPARE(r.Invalid, invalid);
    if (!invalid)
        QCOMPARE(r.Changed, changed);
    QCOMPARE(r.FieldValue(input), field);
}

void TestDateFields::normalizeNameDay_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("field");

    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("19.3") << QByteArray("19.3") << QByteArray("19.03.");
    QTest::newRow("1.1") << QByteArray("1.1") << QByteArray("01.01.");
    QTest::newRow("blank separators") << QByteArray("19 03 ") << QByteArray("19.03.");
    QTest::newRow("in form") << QByteArray("19.03.") << QByteArray("19.03.");
    QTest::newRow("no year check") << QByteArray("31.12.") << QByteArray("31.12.");
    QTest::newRow("month 13") << QByteArray("13.13.") << QByteArray();
    QTest::newRow("two digits only") << QByteArray("11") << QByteArray();
    QTest::newRow("day 0") << QByteArray("0.5.") << QByteArray();
}

void TestDateFields::normalizeNameDay()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, field);
    const TNormalizeResult r = NormalizeNameDay(input);
    QCOMPARE(r.FieldValue(input), field);
}

void TestDateFields::birthNumber_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("birthday");

    QTest::newRow("empty") << QByteArray() << QByteArray() << true << QByteArray();
    QTest::newRow("blank separator corrected")
        << QByteArray("806215 0008") << QByteArray("806215/0008") << true << QByteArray("15.12.1980");
    QTest::newRow("wrong check digit")
        << QByteArray("806215/0009") << QByteArray("806215/0009") << false << QByteArray("15.12.1980");
    QTest::newRow("no separator still derives")
        << QByteArray("8062150008") << QByteArray("8062150008") << false << QByteArray("15.12.1980");
    QTest::newRow("nine digits divisible")
        << QByteArray("455101/009") << QByteArray("455101/009") << true << QByteArray("01.01.1945");
    QTest::newRow("nine digits carry no check digit")
        << QByteArray("455101/010") << QByteArray("455101/010") << true << QByteArray("01.01.1945");
    QTest::newRow("nine digits below 54 are never tested")
        << QByteArray("536215/001") << QByteArray("536215/001") << true << QByteArray("15.12.1953");
    QTest::newRow("nine digits from 54 on are a digit short")
        << QByteArray("806215/008") << QByteArray("806215/008") << false << QByteArray("15.12.1980");
    // Checked on 07.12.2026.
    QTest::newRow("born in the future") << WithCheckDigit("300101000") << WithCheckDigit("300101000") << false
                                        << QByteArray();
    QTest::newRow("born later this year") << WithCheckDigit("261208000") << WithCheckDigit("261208000")
                                          << false << QByteArray();
    QTest::newRow("born today") << WithCheckDigit("261207001") << WithCheckDigit("261207001") << true
                                << QByteArray("07.12.2026");
    QTest::newRow("man born 2003") << WithCheckDigit("035115000") << WithCheckDigit("035115000") << true
                                   << QByteArray("15.01.2003");
    QTest::newRow("woman born 2003") << WithCheckDigit("035615000") << WithCheckDigit("035615000") << true
                                     << QByteArray("15.06.2003");
    QTest::newRow("man born 2004, month +20")
        << WithCheckDigit("042203000") << WithCheckDigit("042203000") << true << QByteArray("03.02.2004");
    QTest::newRow("woman born 2010, month +70")
        << WithCheckDigit("108231000") << WithCheckDigit("108231000") << true << QByteArray("31.12.2010");
    QTest::newRow("born 1954") << WithCheckDigit("540101001") << WithCheckDigit("540101001") << true
                               << QByteArray("01.01.1954");
    // 705101000 and 540101000 leave remainder 10 mod 11: check digit 0 until 1985.
    QTest::newRow("remainder 10, check 0, 1970")
        << QByteArray("705101/0000") << QByteArray("705101/0000") << true << QByteArray("01.01.1970");
    QTest::newRow("remainder 10, check 0, 1954")
        << QByteArray("540101/0000") << QByteArray("540101/0000") << true << QByteArray("01.01.1954");
    QTest::newRow("remainder 10, check 1, 1970")
        << QByteArray("705101/0001") << QByteArray("705101/0001") << false << QByteArray("01.01.1970");
    // 905101009 leaves remainder 10 too, but a 1990 number cannot use check digit 0.
    QTest::newRow("remainder 10, check 0, 1990")
        << QByteArray("905101/0090") << QByteArray("905101/0090") << false << QByteArray("01.01.1990");
    QTest::newRow("month 13") << QByteArray("801315/0000") << QByteArray("801315/0000") << false
                              << QByteArray("15.13.1980");
    QTest::newRow("month 41 is no month code")
        << QByteArray("804115/0000") << QByteArray("804115/0000") << false << QByteArray("15.41.1980");
    QTest::newRow("month 83 is no month code")
        << QByteArray("808315/0000") << QByteArray("808315/0000") << false << QByteArray("15.83.1980");
    QTest::newRow("month 00") << QByteArray("800015/0000") << QByteArray("800015/0000") << false
                              << QByteArray("15.00.1980");
    QTest::newRow("day 32") << QByteArray("800132/0007") << QByteArray("800132/0007") << false
                            << QByteArray("32.01.1980");
    QTest::newRow("six digits only") << QByteArray("806215") << QByteArray("806215/") << false
                                     << QByteArray("15.12.1980");
    QTest::newRow("too short to derive") << QByteArray("8062") << QByteArray("8062") << false << QByteArray();
    QTest::newRow("letters in the date")
        << QByteArray("80a215/0008") << QByteArray("80a215/0008") << false << QByteArray();
    QTest::newRow("letters in the suffix")
        << QByteArray("806215/00x8") << QByteArray("806215/00x8") << false << QByteArray("15.12.1980");
    QTest::newRow("suffix too long") << QByteArray("806215/00080") << QByteArray("806215/00080") << false
                                     << QByteArray("15.12.1980");
}

void TestDateFields::birthNumber()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QFETCH(QByteArray, birthday);
    const TBirthNumberResult r = CheckBirthNumber(input, QDate(2026, 12, 7));
    QCOMPARE(r.Text, text);
    QCOMPARE(r.Changed, text != input);
    QCOMPARE(r.Valid, valid);
    QCOMPARE(r.DerivedBirthday, birthday);
    // A derived birthday of a valid number passes the birthday rules unchanged.
    if (valid && !birthday.isEmpty()) {
        const TNormalizeResult n = NormalizeBirthday(birthday);
        QVERIFY(!n.Invalid && !n.Changed);
    }
}

void TestDateFields::ageText_data()
{
    QTest::addColumn<QByteArray>("birthday");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("text");

    QTest::newRow("born today") << QByteArray("15.06.2020") << QDate(2020, 6, 15)
                                << QString::fromUtf8("0 let   (1 dní)");
    QTest::newRow("first birthday, leap year between")
        << QByteArray("01.01.2000") << QDate(2001, 1, 1) << QString::fromUtf8("1 let   (367 dní)");
    QTest::newRow("day before birthday")
        << QByteArray("15.12.1980") << QDate(2020, 12, 14) << QString::fromUtf8("39 let   (14610 dní)");
    QTest::newRow("on birthday") << QByteArray("15.12.1980") << QDate(2020, 12, 15)
                                 << QString::fromUtf8("40 let   (14611 dní)");
    QTest::newRow("later month") << QByteArray("15.06.1980") << QDate(2020, 7, 1)
                                 << QString::fromUtf8("40 let   (14627 dní)");
    QTest::newRow("29 February, not yet in a common year")
        << QByteArray("29.02.2000") << QDate(2001, 2, 28) << QString::fromUtf8("0 let   (366 dní)");
    QTest::newRow("empty") << QByteArray() << QDate(2020, 1, 1) << QString();
    QTest::newRow("letters") << QByteArray("xx.01.1980") << QDate(2020, 1, 1) << QString();
    QTest::newRow("not a calendar date") << QByteArray("31.02.1970") << QDate(2020, 1, 1) << QString();
    QTest::newRow("month 13") << QByteArray("01.13.1970") << QDate(2020, 1, 1) << QString();
    QTest::newRow("no year") << QByteArray("01.01.") << QDate(2020, 1, 1) << QString();
}

void TestDateFields::ageText()
{
    QFETCH(QByteArray, birthday);
    QFETCH(QDate, today);
    QFETCH(QString, text);
    QCOMPARE(AgeText(birthday, today), text);
}

QTEST_GUILESS_MAIN(TestDateFields)
#include "tst_datefields.moc"

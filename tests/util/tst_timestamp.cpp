#include "util/Clock.h"
#include "util/TimeStamp.h"

#include <QTest>

#include <cmath>
#include <ctime>
#include <limits>

namespace {

class TFixedClock : public IClock
{
public:
    explicit TFixedClock(QDateTime now)
        : m_now(std::move(now))
    {
    }
    QDateTime Now() const override { return m_now; }

private:
    QDateTime m_now;
};

constexpr TStamp kNewYearsEve = 200112312359599.0; // 31.12.2001 23:59:59.9

} // namespace

class TestTimeStamp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void makeStamp_data();
    void makeStamp();
    void splitStamp_data();
    void splitStamp();
    void nowStamp();
    void toDateTime_data();
    void toDateTime();
    void fromDateTime();
    void text_data();
    void text();
    void fromText_data();
    void fromText();
    void display_data();
    void display();
    void parseDisplay_data();
    void parseDisplay();
    void displayRoundTrip();
    void addDays_data();
    void addDays();
    void daysBetween_data();
    void daysBetween();
};

void TestTimeStamp::initTestCase()
{
    // A zone with daylight saving, so that the skipped spring hour is exercised.
    qputenv("TZ", "Europe/Prague");
    tzset();
}

void TestTimeStamp::makeStamp_data()
{
    QTest::addColumn<QList<int>>("parts");
    QTest::addColumn<TStamp>("expected");
    QTest::newRow("full") << QList<int> { 2001, 12, 31, 23, 59, 59, 999 } << kNewYearsEve;
    QTest::newRow("two-digit year") << QList<int> { 85, 6, 7, 8, 9, 10, 0 } << 198506070809100.0;
    QTest::newRow("year zero") << QList<int> { 0, 1, 1, 0, 0, 0, 0 } << 190001010000000.0;
    QTest::newRow("year above range") << QList<int> { 2070, 1, 2, 3, 4, 5, 600 } << 206701020304056.0;
    QTest::newRow("year below range") << QList<int> { 1850, 1, 2, 0, 0, 0, 0 } << 190001020000000.0;
    QTest::newRow("31 February kept") << QList<int> { 2001, 2, 31, 0, 0, 0, 0 } << 200102310000000.0;
    QTest::newRow("msec truncated") << QList<int> { 2001, 2, 3, 0, 0, 0, 99 } << 200102030000000.0;
    QTest::newRow("three-digit month") << QList<int> { 2001, 123, 1, 0, 0, 0, 0 } << 0.0;
    QTest::newRow("msec of a second and more") << QList<int> { 2001, 1, 1, 0, 0, 0, 1000 } << 0.0;
    QTest::newRow("negative day") << QList<int> { 2001, 1, -1, 0, 0, 0, 0 } << 0.0;
    QTest::newRow("negative msec") << QList<int> { 2001, 1, 1, 0, 0, 0, -100 } << 0.0;
    QTest::newRow("month 0 of 1900") << QList<int> { 1900, 0, 5, 0, 0, 0, 0 } << 0.0;
    QTest::newRow("month 13 of 2067") << QList<int> { 2067, 13, 1, 0, 0, 0, 0 } << 0.0;
    QTest::newRow("last stamp") << QList<int> { 2067, 12, 31, 23, 59, 59, 900 } << kStampMax;
}

void TestTimeStamp::makeStamp()
{
    QFETCH(QList<int>, parts);
    QFETCH(TStamp, expected);
    QCOMPARE(MakeStamp(parts[0], parts[1], parts[2], parts[3], parts[4], parts[5], parts[6]), expected);
}

void TestTimeStamp::splitStamp_data()
{
    QTest::addColumn<TStamp>("stamp");
    QTest::addColumn<QList<int>>("parts");
    QTest::newRow("full") << kNewYearsEve << QList<int> { 2001, 12, 31, 23, 59, 59, 900 };
    QTest::newRow("impossible day") << 200102310000000.0 << QList<int> { 2001, 2, 31, 0, 0, 0, 0 };
    QTest::newRow("zero") << 0.0 << QList<int> { 0, 0, 0, 0, 0, 0, 0 };
    QTest::newRow("above range") << kStampMax + 1 << QList<int> { 0, 0, 0, 0, 0, 0, 0 };
    QTest::newRow("below range") << kStampMin - 1 << QList<int> { 0, 0, 0, 0, 0, 0, 0 };
    QTest::newRow("parse error") << kStampParseError << QList<int> { 0, 0, 0, 0, 0, 0, 0 };
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN()
                                  << QList<int> { 0, 0, 0, 0, 0, 0, 0 };
}

void TestTimeStamp::splitStamp()
{
    QFETCH(TStamp, stamp);
    QFETCH(QList<int>, parts);
    const TStampParts p = SplitStamp(stamp);
    QCOMPARE((QList<int> { p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second, p.Msec }), parts);
}

void TestTimeStamp::nowStamp()
{
    const TFixedClock clock(QDateTime(QDate(2003, 4, 5), QTime(6, 7, 8, 950)));
    QCOMPARE(NowStamp(clock), 200304050607089.0);
}

void TestTimeStamp::toDateTime_data()
{
    QTest::addColumn<TStamp>("stamp");
    QTest::addColumn<QDateTime>("expected");
    QTest::newRow("full") << kNewYearsEve << QDateTime(QDate(2001, 12, 31), QTime(23, 59, 59, 900));
    QTest::newRow("leap day") << 200002290000000.0 << QDateTime(QDate(2000, 2, 29), QTime(0, 0));
    QTest::newRow("no leap day") << 200102290000000.0 << QDateTime();
    QTest::newRow("day 0") << 200101000000000.0 << QDateTime();
    QTest::newRow("zero") << 0.0 << QDateTime();
    QTest::newRow("hour 25") << 200101012500000.0 << QDateTime();
    QTest::newRow("skipped spring hour") << 200103250230000.0 << QDateTime(QDate(2001, 3, 25), QTime(3, 30));
}

void TestTimeStamp::toDateTime()
{
    QFETCH(TStamp, stamp);
    QFETCH(QDateTime, expected);
    const QDateTime dt = StampToDateTime(stamp);
    QCOMPARE(dt.isValid(), expected.isValid());
    if (expected.isValid())
        QCOMPARE(dt, expected);
}

void TestTimeStamp::fromDateTime()
{
    QCOMPARE(StampFromDateTime(QDate(1999, 1, 2), 3, 4, 5, 600), 199901020304056.0);
    QCOMPARE(StampFromDateTime(QDate(), 3, 4, 5, 600), 0.0);
    QCOMPARE(StampFromDateTime(QDateTime(QDate(2001, 12, 31), QTime(23, 59, 59, 999))), kNewYearsEve);
    QCOMPARE(StampFromDateTime(QDateTime()), 0.0);
}

void TestTimeStamp::text_data()
{
    QTest::addColumn<TStamp>("stamp");
    QTest::addColumn<QString>("expected");
    QTest::newRow("full") << kNewYearsEve << QStringLiteral("200112312359599");
    QTest::newRow("first") << kStampMin << QStringLiteral("190001010000000");
    QTest::newRow("zero") << 0.0 << QStringLiteral("000000000000000");
    QTest::newRow("out of range") << 1e20 << QStringLiteral("000000000000000");
}

void TestTimeStamp::text()
{
    QFETCH(TStamp, stamp);
    QFETCH(QString, expected);
    QCOMPARE(StampToText(stamp), expected);
}

void TestTimeStamp::fromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TStamp>("expected");
    QTest::newRow("digits") << QStringLiteral("200112312359599") << kNewYearsEve;
    QTest::newRow("zeros") << QStringLiteral("000000000000000") << 0.0;
    QTest::newRow("exponent") << QStringLiteral("2.00112312359599E14") << kNewYearsEve;
    QTest::newRow("unreadable") << QStringLiteral("2001-12-31") << 0.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("out of range") << QStringLiteral("210001010000000") << 0.0;
    QTest::newRow("parse error") << QStringLiteral("-1") << 0.0;
}

void TestTimeStamp::fromText()
{
    QFETCH(QString, text);
    QFETCH(TStamp, expected);
    QCOMPARE(StampFromText(text), expected);
}

void TestTimeStamp::display_data()
{
    QTest::addColumn<TStamp>("stamp");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("expected");
    QTest::newRow("full") << kNewYearsEve << 21 << QStringLiteral("31.12.2001 23:59:59.9");
    QTest::newRow("date") << kNewYearsEve << 10 << QStringLiteral("31.12.2001");
    QTest::newRow("minutes") << kNewYearsEve << 16 << QStringLiteral("31.12.2001 23:59");
    QTest::newRow("padded") << 190001020304050.0 << 23 << QStringLiteral("02.01.1900 03:04:05.0  ");
    QTest::newRow("zero cut") << 0.0 << 10 << QStringLiteral("Mimo rozsa");
    QTest::newRow("zero padded") << 0.0 << 13 << QStringLiteral("Mimo rozsah  ");
    QTest::newRow("width 0") << kNewYearsEve << 0 << QString();
}

void TestTimeStamp::display()
{
    QFETCH(TStamp, stamp);
    QFETCH(int, width);
    QFETCH(QString, expected);
    QCOMPARE(StampDisplay(stamp, width), expected);
}

void TestTimeStamp::parseDisplay_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("precision");
    QTest::addColumn<TStamp>("expected");
    const QString full = QStringLiteral("31.12.2001 23:59:59.9");
    QTest::newRow("p0 empty") << QString() << 0 << 0.0;
    QTest::newRow("p0 garbage") << QStringLiteral("abc") << 0 << 0.0;
    QTest::newRow("p1 year") << full << 1 << 200100000000000.0;
    QTest::newRow("p2 month") << full << 2 << 200112000000000.0;
    QTest::newRow("p3 day") << full << 3 << 200112310000000.0;
    QTest::newRow("p4 hour") << full << 4 << 200112312300000.0;
    QTest::newRow("p5 minute") << full << 5 << 200112312359000.0;
    QTest::newRow("p6 second and tenths") << full << 6 << kNewYearsEve;
    QTest::newRow("p7") << full << 7 << kNewYearsEve;
    QTest::newRow("p8") << full << 8 << kStampParseError;
    QTest::newRow("negative precision") << full << -1 << kStampParseError;
    QTest::newRow("29 February 2001") << QStringLiteral("29.02.2001") << 3 << 200102290000000.0;
    QTest::newRow("day without zero") << QStringLiteral("1.1.2000") << 3 << kStampParseError;
    QTest::newRow("empty") << QString() << 3 << kStampParseError;
    QTest::newRow("date only, minutes asked") << QStringLiteral("31.12.2001") << 5 << kStampParseError;
    QTest::newRow("separators free") << QStringLiteral("31/12/2001") << 3 << 200112310000000.0;
    QTest::newRow("unused garbage") << QStringLiteral("xx.xx.2001") << 1 << 200100000000000.0;
    QTest::newRow("month 13") << QStringLiteral("01.13.2001") << 2 << kStampParseError;
    QTest::newRow("day 32") << QStringLiteral("32.01.2001") << 3 << kStampParseError;
    QTest::newRow("day 00") << QStringLiteral("00.01.2001") << 3 << kStampParseError;
    QTest::newRow("year 1899") << QStringLiteral("01.01.1899") << 1 << kStampParseError;
    QTest::newRow("year 2068") << QStringLiteral("01.01.2068") << 1 << kStampParseError;
    QTest::newRow("hour 24") << QStringLiteral("01.01.2001 24:00") << 4 << kStampParseError;
    QTest::newRow("minute 60") << QStringLiteral("01.01.2001 23:60") << 5 << kStampParseError;
    QTest::newRow("second 60") << QStringLiteral("01.01.2001 23:59:60.0") << 6 << kStampParseError;
    QTest::newRow("signed day") << QStringLiteral("+1.01.2001") << 3 << kStampParseError;
    QTest::newRow("blank in day") << QStringLiteral(" 1.01.2001") << 3 << kStampParseError;
    QTest::newRow("no tenths") << QStringLiteral("01.01.2001 00:00:00") << 6 << kStampParseError;
}

void TestTimeStamp::parseDisplay()
{
    QFETCH(QString, text);
    QFETCH(int, precision);
    QFETCH(TStamp, expected);
    QCOMPARE(ParseStampDisplay(text, precision), expected);
}

void TestTimeStamp::displayRoundTrip()
{
    for (TStamp s : { kStampMin, kStampMax, kNewYearsEve, 198506070809100.0 })
        QCOMPARE(ParseStampDisplay(StampDisplay(s, 21), 7), s);
    for (TStamp s : { kStampMin, kStampMax, kNewYearsEve })
        QCOMPARE(StampFromText(StampToText(s)), s);
}

void TestTimeStamp::addDays_data()
{
    QTest::addColumn<TStamp>("stamp");
    QTest::addColumn<int>("days");
    QTest::addColumn<TStamp>("expected");
    QTest::newRow("over the year, time kept") << kNewYearsEve << 1 << 200201012359599.0;
    QTest::newRow("back to leap day") << 200003011200000.0 << -1 << 200002291200000.0;
    QTest::newRow("a leap year") << 200001010000000.0 << 366 << 200101010000000.0;
    QTest::newRow("zero days") << kNewYearsEve << 0 << kNewYearsEve;
    QTest::newRow("impossible date") << 200102310000000.0 << 1 << 0.0;
    QTest::newRow("no date") << 0.0 << 5 << 0.0;
}

void TestTimeStamp::addDays()
{
    QFETCH(TStamp, stamp);
    QFETCH(int, days);
    QFETCH(TStamp, expected);
    QCOMPARE(AddDays(stamp, days), expected);
}

void TestTimeStamp::daysBetween_data()
{
    QTest::addColumn<TStamp>("a");
    QTest::addColumn<TStamp>("b");
    QTest::addColumn<int>("expected");
    QTest::newRow("two days") << 200201020000000.0 << kNewYearsEve << 2;
    QTest::newRow("negative") << kNewYearsEve << 200201020000000.0 << -2;
    QTest::newRow("time of day dropped") << 200201010000000.0 << kNewYearsEve << 1;
    QTest::newRow("same day") << 200112310000000.0 << kNewYearsEve << 0;
    QTest::newRow("leap year") << 200101010000000.0 << 200001010000000.0 << 366;
    QTest::newRow("no date is 30.12.1899") << kStampMin << 0.0 << 2;
    QTest::newRow("impossible date is 30.12.1899") << 200102310000000.0 << kStampMin << -2;
    QTest::newRow("both missing") << 0.0 << 1e20 << 0;
    QTest::newRow("skipped spring hour") << 200103260000000.0 << 200103250230000.0 << 1;
}

void TestTimeStamp::daysBetween()
{
    QFETCH(TStamp, a);
    QFETCH(TStamp, b);
    QFETCH(int, expected);
    QCOMPARE(DaysBetween(a, b), expected);
}

QTEST_APPLESS_MAIN(TestTimeStamp)
#include "tst_timestamp.moc"

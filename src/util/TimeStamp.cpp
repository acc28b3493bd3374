#include "util/TimeStamp.h"

#include "util/Clock.h"

#include <QLocale>
#include <QTime>

#include <cmath>

namespace {

// The day that a missing or impossible date stands for in day counts.
const QDate kZeroDate(1899, 12, 30);

const QString kOutOfRange = QStringLiteral("Mimo rozsah");

qint64 StampDigits(TStamp s)
{
    return StampInRange(s) ? qint64(std::llround(s)) : 0;
}

QString TwoDigits(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

// Digits only, no sign or blanks; -1 otherwise.
int ParseDigits(QStringView text)
{
    int v = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}

} // namespace

bool StampInRange(TStamp s)
{
    return s >= kStampMin && s <= kStampMax;
}

TStamp MakeStamp(int year, int month, int day, int hour, int minute, int second, int msec)
{
    if (year < 100)
        year += 1900;
    year = qBound(1900, year, 2067);
    const int tenths = msec / 100;
    // A negative part would put a sign among the digits, a part of three digits
    // would make the number too long: both are unreadable or out of range.
    for (int part : { month, day, hour, minute, second })
        if (part < 0 || part > 99)
            return 0;
    if (tenths < 0 || tenths > 9)
        return 0;
    const qint64 digits = qint64(year) * 100'000'000'000 + qint64(month) * 1'000'000'000
        + qint64(day) * 10'000'000 + qint64(hour) * 100'000 + qint64(minute) * 1'000 + qint64(second) * 10
        + tenths;
    const TStamp s = TStamp(digits);
    return StampInRange(s) ? s : 0;
}

TStampParts SplitStamp(TStamp s)
{
    qint64 v = StampDigits(s);
    TStampParts p;
    p.Msec = int(v % 10) * 100;
    v /= 10;
    p.Second = int(v % 100);
    v /= 100;
    p.Minute = int(v % 100);
    v /= 100;
    p.Hour = int(v % 100);
    v /= 100;
    p.Day = int(v % 100);
    v /= 100;
    p.Month = int(v % 100);
    v /= 100;
    p.Year = int(v);
    return p;
}

TStamp NowStamp(const IClock &clock)
{
    return StampFromDateTime(clock.Now());
}

QDateTime StampToDateTime(TStamp s)
{
    const TStampParts p = SplitStamp(s);
    const QDate date(p.Year, p.Month, p.Day);
    const QTime time(p.Hour, p.Minute, p.Second, p.Msec);
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    QDateTime dt(date, time);
    if (!dt.isValid()) // the hour skipped when the clocks go forward
        dt = QDateTime(date, QTime(0, 0)).addMSecs(time.msecsSinceStartOfDay());
    return dt;
}

TStamp StampFromDateTime(const QDate &date, int hour, int minute, int second, int msec)
{
    if (!date.isValid())
        return 0;
    return MakeStamp(date.year(), date.month(), date.day(), hour, minute, second, msec);
}

TStamp StampFromDateTime(const QDateTime &dt)
{
    if (!dt.isValid())
        return 0;
    const QTime t = dt.time();
    return StampFromDateTime(dt.date(), t.hour(), t.minute(), t.second(), t.msec());
}

QString StampToText(TStamp s)
{
    return QStringLiteral("%1").arg(StampDigits(s), 15, 10, QLatin1Char('0'));
}

TStamp StampFromText(const QString &text)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && StampInRange(v) ? v : 0;
}

QString StampDisplay(TStamp s, int width)
{
    if (width <= 0)
        return QString();
    QString text = kOutOfRange;
    if (StampInRange(s)) {
        const TStampParts p = SplitStamp(s);
        text = TwoDigits(p.Day) + QLatin1Char('.') + TwoDigits(p.Month) + QLatin1Char('.')
            + QString::number(p.Year) + QLatin1Char(' ') + TwoDigits(p.Hour) + QLatin1Char(':')
            + TwoDigits(p.Minute) + QLatin1Char(':') + TwoDigits(p.Second) + QLatin1Char('.')
            + QString::number(p.Msec / 100);
    }
    return text.leftJustified(width, QLatin1Char(' '), true);
}

TStamp ParseStampDisplay(const QString &text, int precision)
{
    if (precision == 0)
        return 0;
    if (precision < 0 || precision > 7)
        return kStampParseError;
    const QString t = text + QString(26, QLatin1Char('x'));
    struct TGroup
    {
        qsizetype Pos, Len; // 1-based position in the display text
        int Min, Max;
        qint64 Weight;
        int Precision; // first precision that uses the group
    };
    static constexpr TGroup kGroups[] = {
        { 7, 4, 1900, 2067, 100'000'000'000, 1 }, // year
        { 4, 2, 1, 12, 1'000'000'000, 2 }, // month
        { 1, 2, 1, 31, 10'000'000, 3 }, // day
        { 12, 2, 0, 23, 100'000, 4 }, // hour
        { 15, 2, 0, 59, 1'000, 5 }, // minute
        { 18, 2, 0, 59, 10, 6 }, // second
        { 21, 1, 0, 9, 1, 6 }, // tenths
    };
    qint64 digits = 0;
    for (const TGroup &g : kGroups) {
        if (precision < g.Precision)
            continue;
        const int v = ParseDigits(QStringView(t).mid(g.Pos - 1, g.Len));
        if (v < g.Min || v > g.Max)
            return kStampParseError;
        digits += v * g.Weight;
    }
    return TStamp(digits);
}

TStamp AddDays(TStamp s, int days)
{
    const TStampParts p = SplitStamp(s);
    const QDate date(p.Year, p.Month, p.Day);
    if (!date.isValid())
        return 0;
    return StampFromDateTime(date.addDays(days), p.Hour, p.Minute, p.Second, p.Msec);
}

int DaysBetween(TStamp a, TStamp b)
{
    // Only the calendar matters here, not whether the local clock showed that time.
    auto dayOf = [](TStamp s) {
        const TStampParts p = SplitStamp(s);
        const QDate date(p.Year, p.Month, p.Day);
        const bool ok = date.isValid() && QTime::isValid(p.Hour, p.Minute, p.Second, p.Msec);
        return ok ? date : kZeroDate;
    };
    return int(dayOf(b).daysTo(dayOf(a)));
}

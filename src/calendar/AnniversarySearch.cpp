#include "calendar/AnniversarySearch.h"

#include "session/AddressBook.h"

#include <cstring>

namespace {

constexpr qsizetype kDayLength = 6; // "DD.MM."

int Digit(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

// The bucket of a DD.MM. text, or -1 when the text could never equal the day part of a
// display text (which always has two-digit day and month and real values).
int Bucket(QByteArrayView day)
{
    if (day.size() < kDayLength || day[2] != '.' || day[5] != '.')
        return -1;
    const int d1 = Digit(day[0]), d2 = Digit(day[1]), m1 = Digit(day[3]), m2 = Digit(day[4]);
    if (d1 < 0 || d2 < 0 || m1 < 0 || m2 < 0)
        return -1;
    const int d = d1 * 10 + d2, m = m1 * 10 + m2;
    if (d < 1 || d > 31 || m < 1 || m > 12)
        return -1;
    return m * 32 + d;
}

// Positions from..to (counted from 1) as a whole decimal number, or -1.
int NumberAt(QByteArrayView text, qsizetype from, qsizetype to)
{
    if (from > text.size())
        return -1;
    const QByteArrayView part = text.sliced(from - 1, qMin(to, text.size()) - from + 1);
    int n = 0;
    for (char c : part) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return part.isEmpty() ? -1 : n;
}

char *PutNumber(char *d, int n)
{
    char digits[12];
    int len = 0;
    const bool negative = n < 0;
    unsigned u = negative ? 0u - unsigned(n) : unsigned(n);
    do {
        digits[len++] = char('0' + u % 10);
        u /= 10;
    } while (u);
    if (negative)
        *d++ = '-';
    while (len)
        *d++ = digits[--len];
    return d;
}

} // namespace

int AnniversaryDayCount(TStamp since, TStamp now, int lookAhead)
{
    // Beyond this the end day leaves the range of stamps anyway; keeps lookAhead - 1 in int.
    lookAhead = qBound(-100000, lookAhead, 100000);
    return DaysBetween(AddDays(now, lookAhead - 1), since);
}

namespace {

struct TBirth
{
    int Day = -1, Month = -1, Year = -1;
};

TBirth ReadBirth(QByteArrayView narozeniny)
{
    TBirth b {NumberAt(narozeniny, 1, 2), NumberAt(narozeniny, 4, 5), NumberAt(narozeniny, 7, 10)};
    if (b.Day < 0 || b.Month < 0 || b.Year < 0)
        return {};
    return b;
}

int Age(int bd, int bm, int by, int year, int month, int day)
{
    if (by < 0)
        return 0;
    int age = year - by - 1;
    if (month > bm || (month == bm && day >= bd))
        ++age;
    return age;
}

} // namespace

int AnniversaryAge(QByteArrayView narozeniny, int year, int month, int day)
{
    const TBirth b = ReadBirth(narozeniny);
    return Age(b.Day, b.Month, b.Year, year, month, day);
}

TAnniversaryIndex::TAnniversaryIndex(const std::array<bool, 10> &reminderFlags) : m_flags(reminderFlags)
{
    for (bool f : reminderFlags)
        m_anyFlag = m_anyFlag || f;
}

TAnniversaryIndex::TAnniversaryIndex(const TAddressBook &book, const std::array<bool, 10> &reminderFlags)
    : TAnniversaryIndex(reminderFlags)
{
    if (m_anyFlag) {
        for (qsizetype i = 0; i < book.RecordCount(); ++i)
            Add(book.Record(i).View());
    }
    Finish();
}

void TAnniversaryIndex::Add(const TRecordView &r)
{
    if (!m_anyFlag)
        return;
    bool candidate = false;
    for (int f = 1; f <= 10 && !candidate; ++f)
        candidate = m_flags[size_t(f - 1)] && r.Flag(f);
    if (!candidate)
        return;
    ++m_candidates;
    const QByteArrayView birthday = r.TextView(EField::Narozeniny);
    const QByteArrayView nameDay = r.TextView(EField::Svatek);
    const int bBucket = Bucket(birthday);
    // The name day must be the whole field, the birthday only starts with the day.
    const int sBucket = nameDay.size() == kDayLength ? Bucket(nameDay) : -1;
    if (bBucket < 0 && sBucket < 0)
        return;
    const QByteArrayView name = r.NameView();
    const TBirth birth = bBucket >= 0 ? ReadBirth(birthday) : TBirth();
    THit hit {m_names.size(), int(name.size()), birth.Day, birth.Month, birth.Year, false, birthday.size() > kDayLength,
              false};
    m_names += name;
    if (bBucket >= 0 && bBucket == sBucket) {
        hit.Birthday = hit.NameDay = true; // both on one day make one line
        m_keyed.push_back({bBucket, hit});
        return;
    }
    if (bBucket >= 0) {
        hit.Birthday = true;
        m_keyed.push_back({bBucket, hit});
        hit.Birthday = false;
    }
    if (sBucket >= 0) {
        hit.NameDay = true;
        m_keyed.push_back({sBucket, hit});
    }
}

void TAnniversaryIndex::Finish()
{
    // Counting sort by bucket keeps book order within a day.
    m_start.fill(0);
    for (const TKeyed &k : m_keyed)
        ++m_start[size_t(k.Bucket) + 1];
    for (int b = 0; b < kBuckets; ++b)
        m_start[size_t(b) + 1] += m_start[size_t(b)];
    m_hits.resize(m_keyed.size());
    std::array<qsizetype, kBuckets> fill {};
    for (int b = 0; b < kBuckets; ++b)
        fill[size_t(b)] = m_start[size_t(b)];
    for (const TKeyed &k : m_keyed)
        m_hits[size_t(fill[size_t(k.Bucket)]++)] = k.Hit;
    m_keyed = {};
}

QList<QByteArray> TAnniversaryIndex::Lines(TStamp since, int dayCount) const
{
    QList<QByteArray> lines;
    EachLine(since, dayCount, [&](QByteArrayView line) { lines.append(line.toByteArray()); });
    return lines;
}

void TAnniversaryIndex::EachLine(TStamp since, int dayCount,
                                 const std::function<void(QByteArrayView line)> &each) const
{
    if (m_hits.empty() || dayCount <= 0)
        return;
    // Without a real start day every day of the walk is "no date" and matches nothing.
    if (AddDays(since, 0) == 0)
        return;
    // Built in place: a line is the day, the name (at most 50 bytes) and a few words.
    char line[160];
    const auto put = [](char *d, QByteArrayView text) {
        std::memcpy(d, text.data(), size_t(text.size()));
        return d + text.size();
    };
    for (int k = 1; k <= dayCount; ++k) {
        const TStamp d = AddDays(since, k);
        if (d == 0)
            continue;
        const TStampParts p = SplitStamp(d);
        const int b = p.Month * 32 + p.Day;
        const char day[] = {char('0' + p.Day / 10), char('0' + p.Day % 10), '.', char('0' + p.Month / 10),
                            char('0' + p.Month % 10), '.', ' ', '-', ' '};
        for (qsizetype h = m_start[size_t(b)]; h < m_start[size_t(b) + 1]; ++h) {
            const THit &hit = m_hits[size_t(h)];
            char *at = put(line, QByteArrayView(day, sizeof day));
            at = put(at, QByteArrayView(m_names.constData() + hit.NameOffset, hit.NameLength));
            if (hit.Birthday && !hit.YearKnown) {
                at = put(at, " narozeniny");
            } else if (hit.Birthday) {
                *at++ = ' ';
                at = PutNumber(at, Age(hit.BirthDay, hit.BirthMonth, hit.BirthYear, p.Year, p.Month, p.Day));
                at = put(at, ". narozeniny");
            }
            if (hit.NameDay)
                at = put(at, " sv\xE1tek");
            each(QByteArrayView(line, at - line));
        }
    }
}

QList<QByteArray> FindAnniversaries(const TAddressBook &book, const std::array<bool, 10> &reminderFlags,
                                    TStamp since, TStamp now, int lookAhead)
{
    const int n = AnniversaryDayCount(since, now, lookAhead);
    if (n <= 0)
        return {};
    return TAnniversaryIndex(book, reminderFlags).Lines(since, n);
}

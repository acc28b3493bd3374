#include "calendar/AnniversarySearch.h"

#include "core/AddressBook.h"

namespace {

constexpr qsizetype kDayLength = 6; // "DD.MM."

quint64 DayKey(QByteArrayView day)
{
    quint64 key = 0;
    for (char c : day)
        key = (key << 8) | uchar(c);
    return key;
}

// The DD.MM. text of a day, as the first six characters of its display text.
QByteArray DayText(int month, int day)
{
    const char text[kDayLength] = {char('0' + day / 10), char('0' + day % 10), '.',
                                   char('0' + month / 10), char('0' + month % 10), '.'};
    return QByteArray(text, kDayLength);
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

} // namespace

int AnniversaryDayCount(TStamp since, TStamp now, int lookAhead)
{
    // Beyond this the end day leaves the range of stamps anyway; keeps lookAhead - 1 in int.
    lookAhead = qBound(-100000, lookAhead, 100000);
    return DaysBetween(AddDays(now, lookAhead - 1), since);
}

int AnniversaryAge(QByteArrayView narozeniny, int year, int month, int day)
{
    const int bd = NumberAt(narozeniny, 1, 2);
    const int bm = NumberAt(narozeniny, 4, 5);
    const int by = NumberAt(narozeniny, 7, 10);
    if (bd < 0 || bm < 0 || by < 0)
        return 0;
    int age = year - by - 1;
    if (month > bm || (month == bm && day >= bd))
        ++age;
    return age;
}

TAnniversaryIndex::TAnniversaryIndex(const TAddressBook &book, const std::array<bool, 10> &reminderFlags)
    : m_book(book)
{
    bool any = false;
    for (bool f : reminderFlags)
        any = any || f;
    if (!any)
        return;
    for (qsizetype i = 0; i < book.RecordCount(); ++i) {
        const TContactRecord &r = book.Record(i);
        bool candidate = false;
        for (int f = 1; f <= 10 && !candidate; ++f)
            candidate = reminderFlags[size_t(f - 1)] && r.Flag(f);
        if (!candidate)
            continue;
        ++m_candidates;
        const QByteArrayView birthday = r.TextView(EField::Narozeniny);
        const QByteArrayView nameDay = r.TextView(EField::Svatek);
        const bool hasBirthday = birthday.size() >= kDayLength;
        const bool hasNameDay = nameDay.size() == kDayLength;
        const quint64 bKey = hasBirthday ? DayKey(birthday.first(kDayLength)) : 0;
        const quint64 sKey = hasNameDay ? DayKey(nameDay) : 0;
        // Both on one day make one line.
        if (hasBirthday && hasNameDay && bKey == sKey) {
            m_days[bKey].append({i, true, true});
            continue;
        }
        if (hasBirthday)
            m_days[bKey].append({i, true, false});
        if (hasNameDay)
            m_days[sKey].append({i, false, true});
    }
}

QList<QByteArray> TAnniversaryIndex::Lines(TStamp since, int dayCount) const
{
    QList<QByteArray> lines;
    if (m_days.isEmpty() || dayCount <= 0)
        return lines;
    // Without a real start day every day of the walk is "no date" and matches nothing.
    if (AddDays(since, 0) == 0)
        return lines;
    for (int k = 1; k <= dayCount; ++k) {
        const TStamp d = AddDays(since, k);
        if (d == 0)
            continue;
        const TStampParts p = SplitStamp(d);
        const QByteArray day = DayText(p.Month, p.Day);
        const auto it = m_days.constFind(DayKey(day));
        if (it == m_days.cend())
            continue;
        for (const THit &h : *it) {
            const TContactRecord &r = m_book.Record(h.Record);
            QByteArray line;
            line.reserve(64);
            line += day;
            line += " - ";
            line += r.NameView();
            if (h.Birthday) {
                line += ' ';
                line += QByteArray::number(AnniversaryAge(r.TextView(EField::Narozeniny), p.Year, p.Month, p.Day));
                line += ". narozeniny";
            }
            if (h.NameDay)
                line += " sv\xE1tek";
            lines.append(line);
        }
    }
    return lines;
}

QList<QByteArray> FindAnniversaries(const TAddressBook &book, const std::array<bool, 10> &reminderFlags,
                                    TStamp since, TStamp now, int lookAhead)
{
    const int n = AnniversaryDayCount(since, now, lookAhead);
    if (n <= 0)
        return {};
    return TAnniversaryIndex(book, reminderFlags).Lines(since, n);
}

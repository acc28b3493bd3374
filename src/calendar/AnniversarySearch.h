#pragma once

#include "util/TimeStamp.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <functional>
#include <vector>

class TAddressBook;
class TRecordView;

// How many days a search looks at: from the day after `since` up to and including
// now + lookAhead - 1; 0 or less means none.
int AnniversaryDayCount(TStamp since, TStamp now, int lookAhead);

// The candidates of a book grouped by their DD.MM. day, built once, so that a walk
// over the days costs one lookup per day plus the lines found.
class TAnniversaryIndex
{
public:
    // Entries take part when one of their flags is set together with the same
    // reminder flag.
    TAnniversaryIndex(const TAddressBook &book, const std::array<bool, 10> &reminderFlags);
    // Empty, for entries handed one by one with Add in book order (straight from a
    // file, without holding the book); Finish groups them before Lines.
    explicit TAnniversaryIndex(const std::array<bool, 10> &reminderFlags);
    void Add(const TRecordView &r);
    void Finish();

    // One line per entry and day, "15.12. - Nováková Jana 40. narozeniny svátek" in
    // Windows-1250; days in order, book order within a day.
    QList<QByteArray> Lines(TStamp since, int dayCount) const;
    // The same lines handed one by one, each valid only during the call.
    void EachLine(TStamp since, int dayCount, const std::function<void(QByteArrayView line)> &each) const;

    qsizetype CandidateCount() const { return m_candidates; }

private:
    // What a line needs of its entry, copied out when grouping so that the walk never
    // goes back to the records (a full book is 200 MB of them).
    struct THit
    {
        qsizetype NameOffset; // in m_names
        int NameLength;
        int BirthDay, BirthMonth, BirthYear; // all -1 when the age reads as 0
        bool Birthday;
        bool YearKnown; // false for a birthday "DD.MM." given without a year: no age
        bool NameDay;
    };

    // Day and month as 32 * month + day; texts that name no such day never match.
    static constexpr int kBuckets = 13 * 32;

    struct TKeyed
    {
        int Bucket;
        THit Hit;
    };

    std::array<bool, 10> m_flags;
    bool m_anyFlag = false;
    std::vector<TKeyed> m_keyed; // until Finish
    QByteArray m_names;
    // The hits of bucket b are m_hits[m_start[b]] up to m_hits[m_start[b + 1]], in book order.
    std::vector<THit> m_hits;
    std::array<qsizetype, kBuckets + 1> m_start {};
    qsizetype m_candidates = 0;
};

// The whole search: the days from the day after `since` to now + lookAhead - 1.
QList<QByteArray> FindAnniversaries(const TAddressBook &book, const std::array<bool, 10> &reminderFlags,
                                    TStamp since, TStamp now, int lookAhead);

// The age on the given day for a birthday DD.MM.YYYY; 0 when a part is not a number.
int AnniversaryAge(QByteArrayView narozeniny, int year, int month, int day);

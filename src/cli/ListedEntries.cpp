#include "cli/ListedEntries.h"

#include "book/BookMap.h"
#include "session/DisplayMask.h"
#include "session/NameList.h"

#include <numeric>

bool ParseCliMask(const QString &text, TDisplayMask &mask)
{
    if (text.size() != kFlagCount)
        return false;
    mask.Clear();
    for (int i = 0; i < kFlagCount; ++i) {
        const QChar c = text.at(i).toUpper();
        if (c == QLatin1Char('A'))
            mask.RequireSet[size_t(i)] = true;
        else if (c == QLatin1Char('N'))
            mask.RequireClear[size_t(i)] = true;
        else if (c != QLatin1Char('F'))
            return false;
    }
    mask.Active = true;
    return true;
}

std::vector<qsizetype> ListedEntries(const TBookMap &book, const TDisplayMask *mask)
{
    std::vector<qsizetype> listed;
    if (mask) {
        for (qsizetype i = 0; i < book.RecordCount(); ++i) {
            if (mask->Matches(TRecordView(book.RecordBytes(i))))
                listed.push_back(i);
        }
    } else {
        listed.resize(size_t(book.RecordCount()));
        std::iota(listed.begin(), listed.end(), 0);
    }
    const std::vector<qsizetype> order =
        ListOrder(qsizetype(listed.size()), [&](qsizetype i) { return book.Name(listed[size_t(i)]); });
    std::vector<qsizetype> entries;
    entries.reserve(order.size());
    for (qsizetype i : order)
        entries.push_back(listed[size_t(i)]);
    return entries;
}

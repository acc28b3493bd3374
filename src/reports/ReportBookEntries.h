#pragma once

#include "book/BookMap.h"
#include "reports/ReportRun.h"

#include <memory>
#include <vector>

class IPrompt;

// A report's walk over a book file read in place, for a run without a window: the list
// is the book's names in list order, each line paired with its own entry, and no entry
// is copied. A book of no entries lists one empty entry, as an opened book does. The
// names are sorted only once a walk goes from line to line: a report of one entry
// needs the first of them, or the one asked for, and no order.
class TReportBookEntries : public IReportEntries
{
public:
    explicit TReportBookEntries(IPrompt &prompt);
    ~TReportBookEntries() override;

    TBookFileError Open(const QString &path);
    // Makes the first line of that name current; false when no line has it.
    bool Choose(QByteArrayView name);

    qsizetype LineCount() const override { return qsizetype(m_records.size()); }
    bool StoreEdits() override { return true; }
    qsizetype Pair() override;
    bool Answers(qsizetype) const override { return true; }
    void MoveTo(qsizetype line) override;
    qsizetype CurrentLine() const override;
    TRecordView Current() const override;
    bool OpenFileTag(const TFileTag &tag) override;

private:
    static constexpr qsizetype kFirstLine = -2; // m_current before anything chose one
    static constexpr qsizetype kEmpty = -1; // the empty entry of a book without entries

    // Lists the records of `map` at `records` (in book order).
    void List(std::unique_ptr<TBookMap> map, std::vector<qsizetype> records);
    void Sort() const;
    QByteArrayView Name(qsizetype record) const;
    // The record the first line stands for, found without sorting.
    qsizetype FirstListed() const;
    TRecordView Record(qsizetype record) const;

    IPrompt &m_prompt;
    std::unique_ptr<TBookMap> m_map;
    std::vector<qsizetype> m_records; // listed, in book order
    mutable std::vector<qsizetype> m_order; // the record of each line, once sorted
    mutable qsizetype m_current = kFirstLine;
    mutable qsizetype m_line = 0; // of m_current, once sorted
    TContactRecord m_empty;
};

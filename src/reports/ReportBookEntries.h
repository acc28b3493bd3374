#pragma once

#include "book/BookMap.h"
#include "reports/ReportRun.h"

#include <memory>
#include <vector>

class IPrompt;

// A report's walk over a book file read in place, for a run without a window: the list
// is the book's names in list order, each line paired with its own entry, and no entry
// is copied. A book of no entries lists one empty entry, as an opened book does.
class TReportBookEntries : public IReportEntries
{
public:
    explicit TReportBookEntries(IPrompt &prompt);
    ~TReportBookEntries() override;

    TBookFileError Open(const QString &path);
    // The first line of that name; -1 when none.
    qsizetype LineOf(QByteArrayView name) const;
    void SetCurrentLine(qsizetype line) { m_line = line; }

    qsizetype LineCount() const override { return qsizetype(m_order.size()); }
    bool StoreEdits() override { return true; }
    qsizetype Pair() override { return LineCount(); }
    bool Answers(qsizetype) const override { return true; }
    void MoveTo(qsizetype line) override { m_line = line; }
    qsizetype CurrentLine() const override { return m_line; }
    TRecordView Current() const override;
    bool OpenFileTag(const TFileTag &tag) override;

private:
    // Lists the records of `map` (those at `records`, in book order) by their names.
    void List(std::unique_ptr<TBookMap> map, const std::vector<qsizetype> &records);

    IPrompt &m_prompt;
    std::unique_ptr<TBookMap> m_map;
    std::vector<qsizetype> m_order; // record of each line; -1: the empty entry
    qsizetype m_line = 0;
    TContactRecord m_empty;
};

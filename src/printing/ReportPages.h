#pragma once

#include "printing/PageContent.h"

#include <QByteArray>

#include <optional>
#include <vector>

// A written report as printed pages: its bytes read in the report's code page, in a
// fixed-width font sized so that the widest line fits the page width, a new page at each
// form feed and wherever a page is full. Printer commands of DOS templates (ESC and the
// one character after it, other control characters) are dropped, never printed.
class TReportPages : public IPageSource
{
public:
    static constexpr double kMargin = 15; // mm on each side: inside any printer's reach
    static constexpr double kLargestPoint = 11;
    static constexpr double kSmallestPoint = 5; // below this lines wrap instead
    static constexpr int kTabWidth = 8;

    // The largest report the program writes; a larger file is no report of ours.
    static constexpr qint64 kMaxReport = qint64(512) << 20;

    TReportPages(QByteArray bytes, int codePage, const TMonoMetrics &metrics, TMmSize page = {});
    // The report written at `path`, read as a regular file of at most kMaxReport bytes;
    // empty when it cannot be read.
    static std::optional<TReportPages> Read(const QString &path, int codePage, const TMonoMetrics &metrics);

    // One line as it is printed: Unicode, tabs expanded, printer commands dropped.
    static QString PrintedLine(QByteArrayView raw, int codePage);

    TMmSize PageSize() const override { return m_page; }
    int PageCount() const override { return int(m_pageStarts.size()); }
    TPage Page(int index) const override;

    double PointSize() const { return m_pointSize; }
    int Columns() const { return m_columns; } // a longer line goes on in the next row
    int LinesPerPage() const { return m_linesPerPage; }

private:
    struct TRow
    {
        qsizetype Start;
        qsizetype Length;
        int Part; // the wrapped piece of the line shown in this row
    };

    QByteArray m_bytes;
    int m_codePage;
    TMmSize m_page;
    double m_pointSize = kLargestPoint;
    int m_columns = 0;
    int m_linesPerPage = 1;
    std::vector<TRow> m_rows;
    std::vector<size_t> m_pageStarts; // first row of each page
};

#include "printing/ReportPages.h"

#include "util/CodePage.h"
#include "util/RegularFile.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace {

constexpr char kEsc = 0x1b;
constexpr char kFormFeed = 0x0c;

// A raw line of the report and whether a form feed comes before it.
struct TRawLine
{
    qsizetype Start;
    qsizetype Length;
    bool NewPage;
};

// Lines end at CR LF, lone CR and lone LF; a form feed ends a line that has text and
// starts a new page. ESC takes the next byte with it, even a line break.
std::vector<TRawLine> SplitLines(const QByteArray &bytes)
{
    std::vector<TRawLine> lines;
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    bool newPage = false;
    auto end = [&](qsizetype at) {
        lines.push_back({start, at - start, newPage});
        newPage = false;
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c == kEsc) {
            ++i;
        } else if (c == '\r' || c == '\n') {
            end(i);
            if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
                ++i;
            start = i + 1;
        } else if (c == kFormFeed) {
            if (i > start)
                end(i);
            newPage = true;
            start = i + 1;
        }
    }
    if (start < n)
        end(n);
    // Blank lines at the very end print nothing; a form feed before them, or as the last
    // byte, starts no empty page.
    while (!lines.empty() && lines.back().Length == 0)
        lines.pop_back();
    return lines;
}

} // namespace

QString TReportPages::PrintedLine(QByteArrayView raw, int codePage)
{
    QString line;
    line.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const auto b = static_cast<unsigned char>(raw[i]);
        if (b == static_cast<unsigned char>(kEsc)) {
            ++i;
        } else if (b == '\t') {
            line.append(QString(kTabWidth - line.size() % kTabWidth, QLatin1Char(' ')));
        } else if (b < 0x20 || b == 0x7f) {
            continue; // other printer commands: condensed, bold, bell...
        } else {
            const char16_t u = b < 0x80 ? char16_t(b) : CodePageToUnicode(codePage, b);
            line.append(u == 0xFFFF ? QChar(u'?') : QChar(u));
        }
    }
    return line;
}

TReportPages::TReportPages(QByteArray bytes, int codePage, const TMonoMetrics &metrics, TMmSize page)
    : m_bytes(std::move(bytes)), m_codePage(codePage), m_page(page)
{
    const std::vector<TRawLine> lines = SplitLines(m_bytes);
    qsizetype widest = 0;
    std::vector<qsizetype> widths;
    widths.reserve(lines.size());
    for (const TRawLine &l : lines) {
        widths.push_back(PrintedLine(QByteArrayView(m_bytes).sliced(l.Start, l.Length), codePage).size());
        widest = std::max(widest, widths.back());
    }
    const double width = m_page.Width - 2 * kMargin;
    const double height = m_page.Height - 2 * kMargin;
    const double perPoint = metrics.Advance * kMmPerPoint;
    m_pointSize = widest > 0 ? std::min(kLargestPoint, width / (double(widest) * perPoint)) : kLargestPoint;
    m_pointSize = std::max(m_pointSize, kSmallestPoint);
    m_columns = std::max(1, int(std::floor(width / (m_pointSize * perPoint) + 1e-9)));
    m_linesPerPage = std::max(1, int(std::floor(height / (m_pointSize * metrics.LineSpacing * kMmPerPoint))));

    for (size_t k = 0; k < lines.size(); ++k) {
        if (lines[k].NewPage || m_pageStarts.empty() || m_rows.size() - m_pageStarts.back() >= size_t(m_linesPerPage))
            m_pageStarts.push_back(m_rows.size());
        const int parts = std::max<qsizetype>(1, (widths[k] + m_columns - 1) / m_columns);
        for (int p = 0; p < parts; ++p) {
            if (p > 0 && m_rows.size() - m_pageStarts.back() >= size_t(m_linesPerPage))
                m_pageStarts.push_back(m_rows.size());
            m_rows.push_back({lines[k].Start, lines[k].Length, p});
        }
    }
    if (m_pageStarts.empty())
        m_pageStarts.push_back(0); // an empty report is one empty page
}

std::optional<TReportPages> TReportPages::Read(const QString &path, int codePage, const TMonoMetrics &metrics)
{
    QFile file;
    if (OpenRegularFile(path, file, kMaxReport) != TRegularOpen::Ok)
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return TReportPages(std::move(bytes), codePage, metrics);
}

TPage TReportPages::Page(int index) const
{
    TPage page;
    if (index < 0 || index >= PageCount())
        return page;
    const size_t first = m_pageStarts[size_t(index)];
    const size_t last = size_t(index) + 1 < m_pageStarts.size() ? m_pageStarts[size_t(index) + 1] : m_rows.size();
    TTextBlock block;
    block.Box = {kMargin, kMargin, m_page.Width - 2 * kMargin, m_page.Height - 2 * kMargin};
    block.Font = TTextFont::Mono;
    block.PointSize = m_pointSize;
    for (size_t r = first; r < last; ++r) {
        const TRow &row = m_rows[r];
        const QString line = PrintedLine(QByteArrayView(m_bytes).sliced(row.Start, row.Length), m_codePage);
        block.Lines.append(line.mid(qsizetype(row.Part) * m_columns, m_columns));
    }
    page.Blocks.append(block);
    return page;
}

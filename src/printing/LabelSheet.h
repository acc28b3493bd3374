#pragma once

#include "printing/LabelLayout.h"

#include <functional>

// Address labels on sheets, one sheet made at a time: label i of `count` in cell
// start - 1 + i, counted over the sheets row by row, left to right.
class TLabelSheet : public IPageSource
{
public:
    static constexpr double kPointSize = 11;

    using TLines = std::function<QStringList(qsizetype)>;
    // `start` is 1-based, 1 to layout.PerSheet(): the first free label of a used sheet.
    TLabelSheet(const TLabelLayout &layout, qsizetype count, TLines lines, int start = 1);

    TMmSize PageSize() const override { return m_layout.Sheet; }
    int PageCount() const override;
    TPage Page(int index) const override;

    // Where the text of a label may go: inside the label, clear of its edges.
    static TMmRect TextBox(const TMmRect &cell);

private:
    TLabelLayout m_layout;
    qsizetype m_count;
    TLines m_lines;
    int m_skip;
};

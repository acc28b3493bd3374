#include "printing/LabelSheet.h"

#include <algorithm>

TLabelSheet::TLabelSheet(const TLabelLayout &layout, qsizetype count, TLines lines, int start)
    : m_layout(layout), m_count(count), m_lines(std::move(lines)), m_skip(std::clamp(start, 1, layout.PerSheet()) - 1)
{
}

int TLabelSheet::PageCount() const
{
    if (m_count <= 0)
        return 1; // nothing passed: one empty sheet, as asked
    return int((m_skip + m_count + m_layout.PerSheet() - 1) / m_layout.PerSheet());
}

TMmRect TLabelSheet::TextBox(const TMmRect &cell)
{
    const double padX = std::min(5.0, cell.W * 0.08);
    const double padY = std::min(3.0, cell.H * 0.1);
    return {cell.X + padX, cell.Y + padY, cell.W - 2 * padX, cell.H - 2 * padY};
}

TPage TLabelSheet::Page(int index) const
{
    TPage page;
    const int perSheet = m_layout.PerSheet();
    for (int cell = 0; cell < perSheet; ++cell) {
        const qsizetype label = qsizetype(index) * perSheet + cell - m_skip;
        if (label < 0 || label >= m_count)
            continue;
        TTextBlock block;
        block.Box = TextBox(m_layout.Cell(cell));
        block.Lines = m_lines(label);
        block.PointSize = kPointSize;
        block.Align = TVerticalAlign::Middle;
        page.Blocks.append(block);
    }
    return page;
}

#include "printing/paint/PagePainter.h"

#include "util/GuardedFile.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace {

double MmToX(const QPagedPaintDevice &device, double mm)
{
    return mm * device.logicalDpiX() / 25.4;
}

double MmToY(const QPagedPaintDevice &device, double mm)
{
    return mm * device.logicalDpiY() / 25.4;
}

// Width of the widest line and height of all lines at `font` on `device`.
QSizeF TextSize(const QStringList &lines, const QFont &font, const QPagedPaintDevice &device)
{
    const QFontMetricsF fm(font, &device);
    double widest = 0;
    for (const QString &line : lines)
        widest = std::max(widest, fm.horizontalAdvance(line));
    const double height = lines.isEmpty() ? 0 : (lines.size() - 1) * fm.lineSpacing() + fm.ascent() + fm.descent();
    return {widest, height};
}

} // namespace

QFont PrintFont(TTextFont font, double pointSize)
{
    QFont f(font == TTextFont::Mono ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
    f.setStyleHint(font == TTextFont::Mono ? QFont::TypeWriter : QFont::SansSerif);
    f.setFixedPitch(font == TTextFont::Mono);
    f.setKerning(font != TTextFont::Mono);
    f.setPointSizeF(pointSize);
    return f;
}

TMonoMetrics MeasureMonoFont()
{
    QFont f = PrintFont(TTextFont::Mono, 10);
    f.setPixelSize(1000);
    const QFontMetricsF fm(f);
    return {fm.horizontalAdvance(QLatin1Char('0')) / 1000 * 1.002, fm.lineSpacing() / 1000};
}

QPageLayout SourcePageLayout(const IPageSource &source)
{
    const TMmSize size = source.PageSize();
    const bool landscape = size.Width > size.Height;
    const QSizeF portrait = landscape ? QSizeF(size.Height, size.Width) : QSizeF(size.Width, size.Height);
    const QPageSize pageSize(portrait, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    return QPageLayout(pageSize, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter);
}

double FittedPointSize(const TTextBlock &block, const QPagedPaintDevice &device)
{
    double size = block.PointSize;
    const double boxW = MmToX(device, block.Box.W);
    const double boxH = MmToY(device, block.Box.H);
    // Hinting keeps sizes from scaling exactly; a few rounds settle it.
    for (int round = 0; round < 8; ++round) {
        const QSizeF text = TextSize(block.Lines, PrintFont(block.Font, size), device);
        const double factor = std::min({1.0, text.width() > 0 ? boxW / text.width() : 1.0,
                                        text.height() > 0 ? boxH / text.height() : 1.0});
        if (factor >= 1.0)
            break;
        size *= factor * 0.995;
    }
    return size;
}

void PaintPage(QPainter &painter, const QPagedPaintDevice &device, const TPage &page)
{
    for (const TTextBlock &block : page.Blocks) {
        if (block.Lines.isEmpty())
            continue;
        const QFont font = PrintFont(block.Font, FittedPointSize(block, device));
        painter.setFont(font);
        const QFontMetricsF fm(font, &device);
        const double height = (block.Lines.size() - 1) * fm.lineSpacing() + fm.ascent() + fm.descent();
        const double top = MmToY(device, block.Box.Y);
        const double boxH = MmToY(device, block.Box.H);
        double y = top;
        if (block.Align == TVerticalAlign::Middle)
            y = top + std::max(0.0, (boxH - height) / 2);
        else if (block.Align == TVerticalAlign::Bottom)
            y = top + std::max(0.0, boxH - height);
        const double x = MmToX(device, block.Box.X);
        for (const QString &line : block.Lines) {
            painter.drawText(QPointF(x, y + fm.ascent()), line);
            y += fm.lineSpacing();
        }
    }
}

bool PaintPages(QPainter &painter, QPagedPaintDevice &device, const IPageSource &source,
                const std::function<bool()> &nextPage, const TPageProgress &progress, int first, int last)
{
    const int count = source.PageCount();
    if (last < 0 || last >= count)
        last = count - 1;
    first = std::clamp(first, 0, std::max(0, last));
    painter.setPen(Qt::black);
    for (int i = first; i <= last; ++i) {
        if (i > first && !nextPage())
            return false;
        PaintPage(painter, device, source.Page(i));
        if (progress && !progress(i - first + 1, last - first + 1))
            return false;
    }
    return true;
}

TPdfError WritePdf(const QString &path, const IPageSource &source, const TPageProgress &progress)
{
    TGuardedFile file(path);
    switch (file.Begin()) {
    case TGuardedFile::TError::None:
        break;
    case TGuardedFile::TError::NotRegular:
        return TPdfError::NotRegular;
    default:
        return TPdfError::Open;
    }
    bool stopped = false;
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Vorlink"));
        writer.setPageLayout(SourcePageLayout(source));
        QPainter painter;
        if (!painter.begin(&writer))
            return TPdfError::Write;
        stopped = !PaintPages(painter, writer, source, [&] { return writer.newPage(); }, progress);
        painter.end();
    }
    if (stopped) {
        file.Cancel();
        return TPdfError::Cancelled;
    }
    return file.Commit() == TGuardedFile::TError::None ? TPdfError::None : TPdfError::Write;
}

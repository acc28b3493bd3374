#pragma once

#include "printing/PageContent.h"
#include "printing/PdfError.h"

#include <QFont>
#include <QString>

#include <functional>

class QPagedPaintDevice;
class QPainter;
class QPageLayout;

// The one routine that puts pages on paper or into a PDF. A page's blocks are drawn in
// their millimetre boxes from the sheet's corner; a block whose lines do not fit its box
// is drawn smaller until they do.

QFont PrintFont(TTextFont font, double pointSize);
// The fixed-width font as the painter will use it.
TMonoMetrics MeasureMonoFont();
// The page of a source for a device: the standard size where one matches (a landscape
// envelope as a standard envelope turned), no margins.
QPageLayout SourcePageLayout(const IPageSource &source);

// Reports the pages done and the total after each page; false stops the job.
using TPageProgress = std::function<bool(int done, int total)>;

// Paints the pages `first` to `last` (0-based, inclusive; -1 for the last page) on a
// device already set to the source's page layout; before every page but the first it
// calls `nextPage` (QPrinter::newPage or QPdfWriter::newPage). False when stopped.
bool PaintPages(QPainter &painter, QPagedPaintDevice &device, const IPageSource &source,
                const std::function<bool()> &nextPage, const TPageProgress &progress = {}, int first = 0,
                int last = -1);
// One page's blocks; the painter is open on `device`.
void PaintPage(QPainter &painter, const QPagedPaintDevice &device, const TPage &page);
// The point size a block is drawn at: its own, or less where its lines would not fit.
double FittedPointSize(const TTextBlock &block, const QPagedPaintDevice &device);

// The whole source as a PDF file; an older file is replaced only once the new one is
// complete, and stays as it was on any failure or when stopped.
TPdfError WritePdf(const QString &path, const IPageSource &source, const TPageProgress &progress = {});

#include "printing/ui/PrinterOutput.h"

#include <QPainter>
#include <QPrinter>

bool PrintSource(QPrinter &printer, const IPageSource &source, const TPageProgress &progress)
{
    printer.setFullPage(true);
    printer.setPageLayout(SourcePageLayout(source));
    // The print dialog counts pages from 1; 0 means all of them.
    const int first = printer.fromPage() > 0 ? printer.fromPage() - 1 : 0;
    const int last = printer.toPage() > 0 ? printer.toPage() - 1 : -1;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const bool done = PaintPages(painter, printer, source, [&] { return printer.newPage(); }, progress, first, last);
    if (!done)
        printer.abort();
    painter.end();
    return done;
}

#pragma once

#include "printing/paint/PagePainter.h"

class QPrinter;

// Pages of a source on a printer (or the preview's printer): the sheet's own size and
// orientation, painted from the paper's corner, only the pages the person chose.
// False when stopped or when the printer could not be started.
bool PrintSource(QPrinter &printer, const IPageSource &source, const TPageProgress &progress = {});

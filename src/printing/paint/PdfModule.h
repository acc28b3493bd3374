#pragma once

#include "printing/PageContent.h"

#include <QString>

class QCoreApplication;

// The painter as a module loaded at run time, so that vorlink-cli starts without Qt Gui
// and needs it only for the commands that draw pages. Plain C names, looked up by name.
extern "C" {
// The application object of a drawing command: Qt Gui on its own offscreen screen.
using TVorlinkPdfApplication = QCoreApplication *(*)(int *argc, char **argv);
// TPdfError of writing the source's pages to the file.
using TVorlinkPdfWrite = int (*)(const QString *path, const IPageSource *source);
using TVorlinkPdfMonoMetrics = void (*)(TMonoMetrics *metrics);
}

#define VORLINK_PDF_APPLICATION "vorlink_pdf_application"
#define VORLINK_PDF_WRITE "vorlink_pdf_write"
#define VORLINK_PDF_MONO_METRICS "vorlink_pdf_mono_metrics"

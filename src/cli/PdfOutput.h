#pragma once

#include "printing/PageContent.h"
#include "printing/PdfError.h"

#include <QString>

class QCoreApplication;

// The commands that draw pages reach the painter through its module (vorlink-pdf), loaded
// beside the program or from the installed library folder; every other command starts
// without Qt Gui.
namespace PdfOutput {
// The application object for a drawing command; null, with `problem` set, when the
// module is missing.
QCoreApplication *MakeApplication(int &argc, char **argv, QString &problem);
bool Available();
TMonoMetrics MonoMetrics();
TPdfError Write(const QString &path, const IPageSource &source);
} // namespace PdfOutput

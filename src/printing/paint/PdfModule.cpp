// Built only into the vorlink-pdf module (see PdfModule.h), never into a program.
#include "printing/paint/PdfModule.h"

#include "printing/paint/PagePainter.h"

#include <QGuiApplication>

namespace {

QtMessageHandler g_previous = nullptr;

void QuietHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    // The offscreen screen warns where the session has no runtime folder; it needs none.
    if (!text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")) && g_previous)
        g_previous(type, context, text);
}

} // namespace

extern "C" {

Q_DECL_EXPORT QCoreApplication *vorlink_pdf_application(int *argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    g_previous = qInstallMessageHandler(QuietHandler);
    return new QGuiApplication(*argc, argv);
}

Q_DECL_EXPORT int vorlink_pdf_write(const QString *path, const IPageSource *source)
{
    return int(WritePdf(*path, *source));
}

Q_DECL_EXPORT void vorlink_pdf_mono_metrics(TMonoMetrics *metrics)
{
    *metrics = MeasureMonoFont();
}
}

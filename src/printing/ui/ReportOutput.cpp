#include "printing/ui/ReportOutput.h"

#include "printing/ReportPages.h"
#include "printing/paint/PagePainter.h"
#include "session/Prompt.h"

#include <QDir>
#include <QFileInfo>

QString TReportOutput::PdfBeside(const QString &path)
{
    const QFileInfo info(path);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".pdf"));
}

void TReportOutput::Output(const QString &path, int codePage, TPrintAction action)
{
    const std::optional<TReportPages> pages = TReportPages::Read(path, codePage, MeasureMonoFont());
    if (!pages) {
        m_prompt.Hlaska(QString::fromUtf8("Sestavu %1 nelze přečíst; nic se nevytisklo.").arg(path), THlaskaKind::Chyba);
        return;
    }
    m_jobs.Run(action, *pages, PdfBeside(path));
}

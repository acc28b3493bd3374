#include "printing/ui/ReportOutput.h"

#include "printing/ReportPages.h"
#include "printing/paint/PagePainter.h"
#include "session/Prompt.h"
#include "util/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString TReportOutput::PdfBeside(const QString &path)
{
    const QFileInfo info(path);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".pdf"));
}

void TReportOutput::Output(const QString &path, int codePage, TPrintAction action)
{
    QFile file;
    QByteArray bytes;
    if (OpenRegularFile(path, file, kMaxReport) == TRegularOpen::Ok)
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        m_prompt.Hlaska(QString::fromUtf8("Sestavu %1 nelze přečíst; nic se nevytisklo.").arg(path), THlaskaKind::Chyba);
        return;
    }
    const TReportPages pages(std::move(bytes), codePage, MeasureMonoFont());
    m_jobs.Run(action, pages, PdfBeside(path));
}

#include "printing/ui/PrintJobs.h"

#include "printing/ui/PrinterOutput.h"
#include "session/Prompt.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>

#include <memory>

namespace {

QString U(const char *utf8) { return QString::fromUtf8(utf8); }

// A dialog must not come up with the hourglass of the work that asked for it.
void NormalCursor()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

// The progress of one job, shown once it has more than a few pages; "Přerušit" stops it
// after the page being made.
class TJobProgress
{
public:
    TJobProgress(QWidget *parent, QString text) : m_parent(parent), m_text(std::move(text)) { }

    TPageProgress Callback()
    {
        return [this](int done, int total) { return Step(done, total); };
    }
    bool Stopped() const { return m_stopped; }

private:
    bool Step(int done, int total)
    {
        if (total <= TPrintJobs::kPagesWithoutProgress)
            return true;
        if (!m_dialog) {
            m_dialog = std::make_unique<QProgressDialog>(m_text, U("Přerušit"), 0, total, m_parent);
            m_dialog->setObjectName(QStringLiteral("ProgressTisk"));
            m_dialog->setWindowTitle(U("Tisk"));
            m_dialog->setWindowModality(Qt::WindowModal);
            m_dialog->setMinimumDuration(0);
            m_dialog->setAutoClose(false);
            m_dialog->setAutoReset(false);
            NormalCursor();
        }
        // A modal progress dialog lets events through here, "Přerušit" among them.
        m_dialog->setValue(done);
        m_stopped = m_dialog->wasCanceled();
        return !m_stopped;
    }

    QWidget *m_parent;
    QString m_text;
    std::unique_ptr<QProgressDialog> m_dialog;
    bool m_stopped = false;
};

} // namespace

TPrintJobs::TPrintJobs(IPrompt &prompt, QWidget *parent) : m_parent(parent), m_prompt(prompt) { }

QString TPrintJobs::PdfDialogTitle()
{
    return U("Uložit jako PDF");
}

bool TPrintJobs::Print(const IPageSource &source)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(SourcePageLayout(source));
    QPrintDialog dialog(&printer, m_parent);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    dialog.setWindowTitle(U("Tisk"));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(1, source.PageCount());
    NormalCursor();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    TJobProgress progress(m_parent, U("Tisknou se stránky…"));
    if (PrintSource(printer, source, progress.Callback()))
        return true;
    if (progress.Stopped())
        m_prompt.Hlaska(U("Tisk byl přerušen."), THlaskaKind::Informace);
    else
        m_prompt.Hlaska(U("Tiskárnu %1 nelze použít; nic se nevytisklo.").arg(printer.printerName()), THlaskaKind::Chyba);
    return false;
}

void TPrintJobs::Preview(const IPageSource &source)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(SourcePageLayout(source));
    QPrintPreviewDialog dialog(&printer, m_parent);
    dialog.setObjectName(QStringLiteral("PreviewDialog"));
    dialog.setWindowTitle(U("Náhled tisku"));
    bool failed = false;
    // Called for the preview's pages and again for the printer chosen from it.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *target) {
        TJobProgress progress(&dialog, U("Připravují se stránky…"));
        if (!PrintSource(*target, source, progress.Callback()) && !progress.Stopped())
            failed = true;
    });
    NormalCursor();
    dialog.exec();
    if (failed)
        m_prompt.Hlaska(U("Tiskárnu %1 nelze použít; nic se nevytisklo.").arg(printer.printerName()), THlaskaKind::Chyba);
}

bool TPrintJobs::SavePdf(const IPageSource &source, const QString &suggested)
{
    QFileDialog d(m_parent, PdfDialogTitle());
    d.setObjectName(QStringLiteral("SavePdfDialog"));
    d.setNameFilter(U("Dokumenty PDF (*.pdf)"));
    d.setDefaultSuffix(QStringLiteral("pdf"));
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setFileMode(QFileDialog::AnyFile);
    if (!suggested.isEmpty())
        d.selectFile(suggested);
    NormalCursor();
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return false;
    return WritePdfFile(source, d.selectedFiles().constFirst());
}

bool TPrintJobs::WritePdfFile(const IPageSource &source, const QString &path)
{
    TJobProgress progress(m_parent, U("Ukládá se PDF…"));
    const TPdfError e = WritePdf(path, source, progress.Callback());
    if (e == TPdfError::None)
        return true;
    m_prompt.Hlaska(PdfErrorText(e, path), e == TPdfError::Cancelled ? THlaskaKind::Informace : THlaskaKind::Chyba);
    return false;
}

bool TPrintJobs::Run(TPrintAction action, const IPageSource &source, const QString &suggestedPdf)
{
    switch (action) {
    case TPrintAction::Print:
        return Print(source);
    case TPrintAction::Preview:
        Preview(source);
        return true;
    case TPrintAction::Pdf:
        return SavePdf(source, suggestedPdf);
    }
    return false;
}

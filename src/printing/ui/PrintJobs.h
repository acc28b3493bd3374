#pragma once

#include "printing/PageContent.h"

#include <QPointer>
#include <QString>

class IPrompt;
class QWidget;

// What the printing windows do with their pages.
enum class TPrintAction { Print, Preview, Pdf };

// Printing, preview and PDF of any page source behind the program's own dialogs. A job of
// more than a few pages shows its progress and can be stopped; every failure is told
// through the message box.
class TPrintJobs
{
public:
    static constexpr int kPagesWithoutProgress = 3;

    TPrintJobs(IPrompt &prompt, QWidget *parent);

    // The print dialog (printer, copies, page range), then the chosen pages.
    bool Print(const IPageSource &source);
    // The preview window; it prints from there as the print dialog would.
    void Preview(const IPageSource &source);
    // Asks for a file name (`suggested` first), then writes it.
    bool SavePdf(const IPageSource &source, const QString &suggested);
    bool WritePdfFile(const IPageSource &source, const QString &path);

    bool Run(TPrintAction action, const IPageSource &source, const QString &suggestedPdf);

    static QString PdfDialogTitle();

private:
    QPointer<QWidget> m_parent;
    IPrompt &m_prompt;
};

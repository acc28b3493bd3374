#pragma once

#include "printing/ui/PrintJobs.h"

#include <QString>

class IPrompt;

// A report file just written, on paper, in the preview or as a PDF beside it: its text in
// the report's code page as pages of the fixed-width font.
class TReportOutput
{
public:
    TReportOutput(TPrintJobs &jobs, IPrompt &prompt) : m_jobs(jobs), m_prompt(prompt) { }

    // `codePage` as the template's header gives it (0 437, 1 Kamenický, 2 Latin 2,
    // 4 Windows-1250).
    void Output(const QString &path, int codePage, TPrintAction action);

    // "SESTAVA.TXT" -> "SESTAVA.pdf" beside it.
    static QString PdfBeside(const QString &path);

private:
    TPrintJobs &m_jobs;
    IPrompt &m_prompt;
};

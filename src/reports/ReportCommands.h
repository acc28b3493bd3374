#pragma once

#include "reports/ReportPorts.h"
#include "reports/ReportRun.h"
#include "reports/ReportTemplate.h"

#include <QByteArray>
#include <QList>
#include <QString>

class TContactRecord;
class TDocumentCommands;
class TRecordEditor;
class TSession;

// "Tisk" and "Nastavení tisku": a template turned into a text file over the listed
// entries, and a template handed to the text editor.
class TReportCommands
{
public:
    TReportCommands(TSession &s, TRecordEditor &editor, TDocumentCommands &docs, IReportDialogs &dialogs,
                    ITextEditorLauncher &launcher);

    // After "Tisk" writes a report, the printer gets it as chosen in the dialog.
    void SetPrinter(IReportPrinter *printer) { m_printer = printer; }

    void ITiskClick();
    void INastaveniTiskuClick();

    // One run over a template file; a non-empty `output` replaces the header's file name.
    TReportOutcome Run(const QString &templatePath, const QString &output = {});
    // The file the last written report went to, and its code page.
    struct TWritten
    {
        QString Path;
        int CodePage = 0;
    };
    const TWritten &LastWritten() const { return m_written; }

    // Templates above this size are refused unread.
    static constexpr qint64 kMaxTemplateSize = qint64(16) << 20;
    // The lines of a template file without its comment lines; false when it cannot be read.
    static bool LoadTemplate(const QString &path, QList<QByteArray> &lines);

    // How often the walk lets the list and the editor repaint.
    static constexpr qsizetype kEntriesPerRepaint = 512;
    // What a report may write in all (TReportRun).
    static constexpr qsizetype kMaxOutput = TReportRun::kMaxOutput;
    void SetOutputLimit(qsizetype bytes) { m_outputLimit = bytes; }

private:
    class TSessionEntries;

    TSession &m_s;
    TRecordEditor &m_editor;
    TDocumentCommands &m_docs;
    IReportDialogs &m_dialogs;
    ITextEditorLauncher &m_launcher;
    qsizetype m_outputLimit = kMaxOutput;
    IReportPrinter *m_printer = nullptr;
    TWritten m_written;
};

// The folder of the shipped templates: beside the program, else in the data folders
// of the desktop; empty when neither has one.
QString ReportTemplatesDir(const QString &programDir);

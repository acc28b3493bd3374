#pragma once

#include "reports/ReportPorts.h"
#include "reports/ReportTemplate.h"

#include <QByteArray>
#include <QList>
#include <QString>

class TContactRecord;
class TDocumentCommands;
class TRecordEditor;
class TSession;

enum class TReportOutcome
{
    Cancelled, // no template chosen
    NotReport, // the first line left is no header: nothing done, nothing said
    Stopped, // a failure was reported, or the person declined; nothing written
    Written,
};

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
    // A report goes to its file as it is made and replaces an older one only when whole.
    // A line that would take it past kMaxOutput (far beyond any book's report) stops the
    // run with nothing written, so a hostile template (wide fields repeated for every
    // entry) can neither fill the disk nor take long; no line may pass kMaxLine, so the
    // memory stays small.
    static constexpr qsizetype kMaxOutput = qsizetype(512) << 20;
    static constexpr qsizetype kMaxLine = qsizetype(32) << 20;
    static constexpr qsizetype kFlushSize = qsizetype(1) << 20;
    void SetOutputLimit(qsizetype bytes) { m_outputLimit = bytes; }

private:
    class TRun;

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

#pragma once

#include "reports/ReportTemplate.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

class IPrompt;
class TGuardedFile;

enum class TReportOutcome
{
    Cancelled, // no template chosen
    NotReport, // the first line left is no header: nothing done, nothing said
    Stopped, // a failure was reported, or the person declined; nothing written
    Written,
};

namespace ReportText {
QString GenerationFailed();
QString FileTagOpenFailed();
} // namespace ReportText

// The lines of a list a report walks, each paired with its entry, one of them current.
// The window walks its own list and editor; the command line walks a book read in place.
class IReportEntries
{
public:
    virtual ~IReportEntries() = default;
    // The lines listed; none: there is nothing to report.
    virtual qsizetype LineCount() const = 0;
    // Before a walk over every line; false stops the run.
    virtual bool StoreEdits() = 0;
    // Pairs the lines with their entries afresh; the number of lines paired.
    virtual qsizetype Pair() = 0;
    // Whether an entry answers to paired line `line`.
    virtual bool Answers(qsizetype line) const = 0;
    // Makes the entry of paired line `line` current; it answers.
    virtual void MoveTo(qsizetype line) = 0;
    virtual qsizetype CurrentLine() const = 0;
    virtual TRecordView Current() const = 0;
    // A file tag: the entries of its book its mask passes are listed instead; false once
    // the failure was said.
    virtual bool OpenFileTag(const TFileTag &tag) = 0;
    // The walk is over (written or not).
    virtual void Finished() { }
};

// One report: the template's lines over the listed entries, written to a file as made.
class TReportRun
{
public:
    // A report goes to its file as it is made and replaces an older one only when whole.
    // A line that would take it past the output limit (far beyond any book's report)
    // stops the run with nothing written, so a hostile template (wide fields repeated for
    // every entry) can neither fill the disk nor take long; no line may pass kMaxLine, so
    // the memory stays small.
    static constexpr qsizetype kMaxOutput = qsizetype(512) << 20;
    static constexpr qsizetype kMaxLine = qsizetype(32) << 20;
    static constexpr qsizetype kFlushSize = qsizetype(1) << 20;

    TReportRun(IPrompt &prompt, IReportEntries &entries, TStamp now, qsizetype outputLimit = kMaxOutput);
    ~TReportRun();

    // `lines` without comment lines, the header first; a non-empty `output` replaces the
    // header's file name.
    TReportOutcome Execute(const QList<QByteArray> &lines, const QString &output);
    // Once written: the file the report went to, and the code page its header asked for.
    const QString &OutputName() const { return m_name; }
    int CodePage() const { return m_header.CodePage; }

private:
    // The lines after the header; false when a failure stopped the run.
    bool Walk(const QList<QByteArray> &lines);
    bool FileLine(const QByteArray &line);
    bool StartBlock();
    void Advance();
    // What the next line may hold, its line break aside: what the report has left, and
    // never more than one line may take, so memory stays small whatever a template asks.
    qsizetype Room() const { return qMax<qsizetype>(0, qMin(OutLimit() - m_out.size(), kMaxLine) - 2); }
    // The most the bytes not yet written may grow to.
    qsizetype OutLimit() const { return m_outputLimit - m_flushed; }
    // Sends what was made to the output file (opened on the first call); false, with the
    // write failure said, when it could not be written.
    bool Flush();
    // Writes an expanded line; false, with the failure said, when it was none.
    bool Emit(const TExpanded &line);
    // The data line through its compiled form, written at once; false when declined.
    bool ExpandFast(qsizetype index, const QByteArray &line, TExpandStatus &status);
    void ReportError(const QString &text);

    IPrompt &m_prompt;
    IReportEntries &m_entries;
    const TStamp m_now;
    const qsizetype m_outputLimit;
    TReportHeader m_header;
    QByteArray m_out;
    QString m_name;
    std::unique_ptr<TGuardedFile> m_file; // dropped unwritten unless committed
    qsizetype m_flushed = 0;
    bool m_allEntries = false;
    // The paired lines of the block being walked and the position among them.
    qsizetype m_paired = 0;
    qsizetype m_pos = 0;
    bool m_pairedValid = false;
    bool m_missing = false;
    // Data lines taken apart on first use, per line and mode; null where declined.
    QHash<qsizetype, std::shared_ptr<TCompiledLine>> m_compiled;
    std::vector<char> m_table; // Windows-1250 to the output page, byte by byte
};

#include "reports/ReportCommands.h"

#include "book/BookFile.h"
#include "reports/ReportTagParts.h"
#include "session/DocumentCommands.h"
#include "session/Messages.h"
#include "session/Prompt.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "util/CodePage.h"
#include "util/Cp1250.h"
#include "util/GuardedFile.h"
#include "util/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <memory>
#include <vector>


namespace {

QString GenerationFailed() { return QString::fromUtf8("Chyba generování vybrané sestavy"); }
QString FileTagOpenFailed() { return QString::fromUtf8("Chyba při otevírání souboru"); }
QString WriteFailed() { return QString::fromUtf8("Chyba při zápisu vybrané sestavy"); }
QString Written() { return QString::fromUtf8("Sestava byla zapsana do "); }
QString EditFailed() { return QString::fromUtf8("Chyba úpravy vybrané sestavy"); }

} // namespace

// The state of one run: the template, the output so far and the walk over the list.
class TReportCommands::TRun
{
public:
    TRun(TReportCommands &c) : m_c(c), m_s(c.m_s), m_b(c.m_s.Book), m_now(NowStamp(c.m_s.Clock)) { }

    TReportOutcome Execute(const QList<QByteArray> &lines, const QString &output);

private:
    // The lines after the header; false when a failure stopped the run.
    bool Walk(const QList<QByteArray> &lines);
    enum class TStep { Next, Restart, Stop };

    bool FileLine(const QByteArray &line);
    bool StartBlock();
    void Advance();
    void Repaint(bool force);
    // What the next line may hold, its line break aside: what the report has left, and
    // never more than one line may take, so memory stays small whatever a template asks.
    qsizetype Room() const { return qMax<qsizetype>(0, qMin(OutLimit() - m_out.size(), kMaxLine) - 2); }
    // The most the bytes not yet written may grow to.
    qsizetype OutLimit() const { return m_c.m_outputLimit - m_flushed; }
    // Sends what was made to the output file (opened on the first call); false, with the
    // write failure said, when it could not be written.
    bool Flush();
    // Writes an expanded line; false, with the failure said, when it was none.
    bool Emit(const TExpanded &line);
    // The data line through its compiled form, written at once; false when declined.
    bool ExpandFast(qsizetype index, const QByteArray &line, TExpandStatus &status);
    TReportOutcome Fail(const QString &text)
    {
        m_b.ReportError(text);
        return TReportOutcome::Stopped;
    }

    TReportCommands &m_c;
    TSession &m_s;
    TAddressBook &m_b;
    const TStamp m_now;
    TReportHeader m_header;
    QByteArray m_out;
    QString m_name;
    std::unique_ptr<TGuardedFile> m_file; // dropped unwritten unless committed
    qsizetype m_flushed = 0;
    bool m_allEntries = false;
    // The listed entries of the block being walked, in list order, and the position.
    QList<TContactRecord *> m_listed;
    qsizetype m_pos = 0;
    bool m_listedValid = false;
    qsizetype m_sinceRepaint = 0;
    bool m_missing = false;
    // Whether the walk changed the entry shown; edits typed and kept stay in the editor.
    bool m_moved = false;
    // Data lines taken apart on first use, per line and mode; null where declined.
    QHash<qsizetype, std::shared_ptr<TCompiledLine>> m_compiled;
    std::vector<char> m_table; // Windows-1250 to the output page, byte by byte
};

bool TReportCommands::TRun::Emit(const TExpanded &line)
{
    if (line.Status != TExpandStatus::Line) {
        m_b.ReportError(GenerationFailed());
        return false;
    }
    const QByteArray text = m_header.CodePage == int(TCodePage::Win1250)
        ? line.Text
        : ConvertCodePage(line.Text, 4, m_header.CodePage);
    const qsizetype limit = OutLimit();
    if (!ReportTags::Append(m_out, limit, text) || !ReportTags::Append(m_out, limit, "\r\n")) {
        m_b.ReportError(GenerationFailed());
        return false;
    }
    return true;
}

bool TReportCommands::TRun::ExpandFast(qsizetype index, const QByteArray &line, TExpandStatus &status)
{
    const qsizetype key = index * 2 + (m_allEntries ? 1 : 0);
    auto it = m_compiled.find(key);
    if (it == m_compiled.end()) {
        auto compiled = std::make_shared<TCompiledLine>();
        if (!TCompiledLine::Compile(line, m_allEntries, m_now, *compiled))
            compiled.reset();
        it = m_compiled.insert(key, compiled);
    }
    const TCompiledLine *c = it.value().get();
    const qsizetype start = m_out.size();
    if (!c || !c->ExpandInto(*m_b.Current, m_out, status, Room()))
        return false;
    if (status != TExpandStatus::Line)
        return true;
    if (m_header.CodePage != int(TCodePage::Win1250)) {
        if (m_table.empty()) {
            m_table.resize(256);
            for (int b = 0; b < 256; ++b)
                m_table[size_t(b)] = char(ConvertByte(static_cast<unsigned char>(b), 4, m_header.CodePage));
        }
        char *d = m_out.data();
        for (qsizetype i = start; i < m_out.size(); ++i)
            d[i] = m_table[static_cast<unsigned char>(d[i])];
    }
    if (!ReportTags::Append(m_out, OutLimit(), "\r\n")) {
        m_out.truncate(start);
        return false;
    }
    return true;
}

void TReportCommands::TRun::Repaint(bool force)
{
    if (!force && ++m_sinceRepaint < kEntriesPerRepaint)
        return;
    m_sinceRepaint = 0;
    m_c.m_editor.ShowRecord();
    m_s.Prompt.ProcessEvents();
}

bool TReportCommands::TRun::FileLine(const QByteArray &line)
{
    const TFileTag tag = ParseFileTag(line);
    // The open book is only dropped with consent and once the new one is known to be good.
    if (m_b.IsOpen && m_b.Changed
        && m_s.Prompt.Hlaska(Msg::UnsavedQuestion(), THlaskaKind::Otazka) != kHlaskaAno)
        return false;
    const QString path = FromCp1250(tag.Path);
    TBook fresh;
    TContactRecord header;
    // A name holding a NUL would be read, and later saved, as the name cut short.
    const TBookFileError e
        = path.contains(QChar(u'\0')) ? TBookFileError::Missing : BookFile::Read(path, header, fresh);
    if (e != TBookFileError::None) {
        const QString own = Msg::BookFileError(e);
        if (!own.isEmpty() && e != TBookFileError::Missing)
            m_b.ReportError(own);
        m_b.ReportError(FileTagOpenFailed());
        return false;
    }
    if (fresh.RecordCount() == 0) {
        m_b.ReportError(Msg::LookupFailed());
        return false;
    }
    QList<QByteArray> names;
    for (qsizetype i = 0; i < fresh.RecordCount(); ++i) {
        if (FileMaskPasses(tag.Mask, fresh.Record(i)))
            names.append(fresh.Record(i).Name());
    }
    if (names.isEmpty()) {
        m_b.ReportError(GenerationFailed());
        return false;
    }
    m_c.m_docs.AdoptBook(path, header, fresh);
    m_listedValid = false;
    m_moved = true;
    m_b.ListedCount = names.size();
    m_b.List.Fill(std::move(names));
    m_b.CurrentIndex = 0;
    m_b.FindRecordForListItem(0);
    m_c.m_editor.ShowRecord();
    m_b.UpdateStatusBar();
    m_s.Prompt.ProcessEvents();
    return true;
}

bool TReportCommands::TRun::StartBlock()
{
    // Nothing listed: there is no entry to report, not even a hidden one.
    if (m_b.List.Count() == 0) {
        m_b.ReportError(GenerationFailed());
        return false;
    }
    if (!m_allEntries)
        return true;
    // As a click on the first line: the typed edits are stored first.
    if (!m_c.m_editor.StoreFields())
        return false;
    m_listed = m_b.ListedRecords();
    m_listedValid = true;
    m_pos = -1;
    Advance();
    if (!m_allEntries) {
        m_b.ReportError(Msg::LookupFailed());
        return false;
    }
    return true;
}

void TReportCommands::TRun::Advance()
{
    // Every listed line once, each paired with its own entry whatever names repeat; a
    // line no entry answers to is passed over and said once at the end.
    // A block end met before any block walks on from the entry shown.
    if (!m_listedValid) {
        m_listed = m_b.ListedRecords();
        m_pos = m_b.CurrentIndex;
        m_listedValid = true;
    }
    while (++m_pos < m_listed.size()) {
        if (TContactRecord *r = m_listed[m_pos]) {
            m_b.CurrentIndex = m_pos;
            m_b.Current = r;
            m_moved = true;
            Repaint(false);
            return;
        }
        m_missing = true;
    }
    m_allEntries = false;
}

bool TReportCommands::TRun::Flush()
{
    if (!m_file) {
        m_file = std::make_unique<TGuardedFile>(m_name);
        if (m_name.isEmpty() || m_file->Begin() != TGuardedFile::TError::None) {
            m_b.ReportError(WriteFailed());
            return false;
        }
    }
    if (m_file->write(m_out) != m_out.size()) {
        m_b.ReportError(WriteFailed());
        return false;
    }
    m_flushed += m_out.size();
    m_out.resize(0);
    return true;
}

TReportOutcome TReportCommands::TRun::Execute(const QList<QByteArray> &lines, const QString &output)
{
    if (lines.isEmpty())
        return Fail(GenerationFailed());
    if (!ParseReportHeader(lines.first(), m_header))
        return TReportOutcome::NotReport;
    const QString name = output.isEmpty() ? FromCp1250(m_header.OutputFile) : output;
    // The system would take the name as cut at a NUL: another file than the one named.
    if (name.contains(QChar(u'\0')))
        return Fail(WriteFailed());
    m_name = name;
    bool walked;
    {
        TBusyScope busy(m_s.Prompt);
        walked = Walk(lines);
        // The list and the editor show where the walk stopped.
        if (m_moved)
            m_c.m_editor.ShowCurrent();
    }
    if (m_missing)
        m_b.ReportError(Msg::LookupFailed());
    if (!walked)
        return TReportOutcome::Stopped;
    if (!Flush())
        return TReportOutcome::Stopped;
    if (m_file->Commit() != TGuardedFile::TError::None)
        return Fail(WriteFailed());
    m_c.m_written = {name, m_header.CodePage};
    // A relative name is resolved against the folder the program runs in: say which.
    m_s.Prompt.Hlaska(Written() + QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(name).absoluteFilePath())),
                      THlaskaKind::Informace);
    return TReportOutcome::Written;
}

bool TReportCommands::TRun::Walk(const QList<QByteArray> &lines)
{
    qsizetype index = 1;
    qsizetype restart = 1;
    bool inBlock = false;
    m_allEntries = m_header.AllEntries;
    const auto blockEndAfter = [&](qsizetype from) {
        for (qsizetype i = from; i < lines.size(); ++i) {
            if (lines[i].contains("<\"/DATA\">"))
                return i;
        }
        return lines.size();
    };
    m_out.reserve(qMin<qsizetype>(1 << 16, m_c.m_outputLimit));
    while (index < lines.size()) {
        // Long reports go to their file as they are made.
        if (m_out.size() >= kFlushSize && !Flush())
            return false;
        const QByteArray &line = lines[index];
        switch (ClassifyTemplateLine(line, inBlock)) {
        case TTemplateLine::File:
            if (!FileLine(line))
                return false;
            inBlock = false;
            m_allEntries = m_header.AllEntries;
            restart = 1;
            ++index;
            break;
        case TTemplateLine::BlockStart:
            inBlock = true;
            if (!StartBlock())
                return false;
            restart = ++index;
            break;
        case TTemplateLine::BlockEnd:
            if (m_allEntries) {
                Advance();
                if (m_allEntries) {
                    index = restart;
                    break;
                }
            }
            inBlock = false;
            ++index;
            break;
        case TTemplateLine::Data: {
            TExpandStatus status;
            if (!ExpandFast(index, line, status)) {
                const TExpanded e = ExpandDataLine(line, *m_b.Current, m_allEntries, m_now, Room());
                status = e.Status;
                if (status != TExpandStatus::Skip && !Emit(e))
                    return false;
            } else if (status == TExpandStatus::Error) {
                m_b.ReportError(GenerationFailed());
                return false;
            }
            if (status == TExpandStatus::Skip) {
                Advance();
                if (m_allEntries) {
                    index = restart;
                } else {
                    inBlock = false;
                    index = blockEndAfter(index + 1) + 1;
                }
                break;
            }
            ++index;
            break;
        }
        case TTemplateLine::Plain:
            if (!Emit(ExpandPlainLine(line, m_now, Room())))
                return false;
            ++index;
            break;
        }
    }
    return true;
}

TReportCommands::TReportCommands(TSession &s, TRecordEditor &editor, TDocumentCommands &docs,
                                 IReportDialogs &dialogs, ITextEditorLauncher &launcher)
    : m_s(s), m_editor(editor), m_docs(docs), m_dialogs(dialogs), m_launcher(launcher)
{
}

bool TReportCommands::LoadTemplate(const QString &path, QList<QByteArray> &lines)
{
    // A template is a few kilobytes: a huge file, a FIFO or a device is none.
    QFile f;
    if (OpenRegularFile(path, f, kMaxTemplateSize) != TRegularOpen::Ok)
        return false;
    const QByteArray text = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    lines = SplitTemplateLines(text);
    RemoveCommentLines(lines);
    return true;
}

TReportOutcome TReportCommands::Run(const QString &templatePath, const QString &output)
{
    m_written = {};
    if (!m_s.Book.IsOpen)
        return TReportOutcome::Stopped;
    QList<QByteArray> lines;
    if (!LoadTemplate(templatePath, lines)) {
        m_s.Book.ReportError(GenerationFailed());
        return TReportOutcome::Stopped;
    }
    TRun run(*this);
    return run.Execute(lines, output);
}

void TReportCommands::ITiskClick()
{
    if (!m_s.Book.IsOpen)
        return;
    const QString path = m_dialogs.AskTemplate();
    if (path.isEmpty() || Run(path) != TReportOutcome::Written)
        return;
    const TAfterReport after = m_dialogs.AfterReport();
    if (m_printer && after != TAfterReport::FileOnly)
        m_printer->PrintReport(m_written.Path, m_written.CodePage, after);
}

void TReportCommands::INastaveniTiskuClick()
{
    const QString path = m_dialogs.AskTemplateToEdit();
    if (path.isEmpty())
        return;
    if (!m_launcher.StartEditor(path))
        m_s.Prompt.Hlaska(EditFailed(), THlaskaKind::Chyba);
}

QString ReportTemplatesDir(const QString &programDir)
{
    const QString beside = QDir(programDir).filePath(QStringLiteral("templates"));
    if (!programDir.isEmpty() && QFileInfo(beside).isDir())
        return beside;
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("vorlink/templates"),
                                  QStandardPaths::LocateDirectory);
}

#include "reports/ReportRun.h"

#include "reports/ReportTagParts.h"
#include "session/Messages.h"
#include "session/Prompt.h"
#include "util/CodePage.h"
#include "util/Cp1250.h"
#include "util/GuardedFile.h"

#include <QDir>
#include <QFileInfo>

#include <vector>

namespace {

QString WriteFailed() { return QString::fromUtf8("Chyba při zápisu vybrané sestavy"); }
QString Written() { return QString::fromUtf8("Sestava byla zapsana do "); }

} // namespace

QString ReportText::GenerationFailed() { return QString::fromUtf8("Chyba generování vybrané sestavy"); }
QString ReportText::FileTagOpenFailed() { return QString::fromUtf8("Chyba při otevírání souboru"); }

using ReportText::GenerationFailed;

TReportRun::TReportRun(IPrompt &prompt, IReportEntries &entries, TStamp now, qsizetype outputLimit)
    : m_prompt(prompt), m_entries(entries), m_now(now), m_outputLimit(outputLimit)
{
}

TReportRun::~TReportRun() = default;

void TReportRun::ReportError(const QString &text)
{
    m_prompt.Hlaska(text, THlaskaKind::Chyba);
}

bool TReportRun::Emit(const TExpanded &line)
{
    if (line.Status != TExpandStatus::Line) {
        ReportError(GenerationFailed());
        return false;
    }
    const QByteArray text = m_header.CodePage == int(TCodePage::Win1250)
        ? line.Text
        : ConvertCodePage(line.Text, 4, m_header.CodePage);
    const qsizetype limit = OutLimit();
    if (!ReportTags::Append(m_out, limit, text) || !ReportTags::Append(m_out, limit, "\r\n")) {
        ReportError(GenerationFailed());
        return false;
    }
    return true;
}

bool TReportRun::ExpandFast(qsizetype index, const QByteArray &line, TExpandStatus &status)
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
    if (!c || !c->ExpandInto(m_entries.Current(), m_out, status, Room()))
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

bool TReportRun::FileLine(const QByteArray &line)
{
    if (!m_entries.OpenFileTag(ParseFileTag(line)))
        return false;
    m_pairedValid = false;
    return true;
}

bool TReportRun::StartBlock()
{
    // Nothing listed: there is no entry to report, not even a hidden one.
    if (m_entries.LineCount() == 0) {
        ReportError(GenerationFailed());
        return false;
    }
    if (!m_allEntries)
        return true;
    // As a click on the first line: the typed edits are stored first.
    if (!m_entries.StoreEdits())
        return false;
    m_paired = m_entries.Pair();
    m_pairedValid = true;
    m_pos = -1;
    Advance();
    if (!m_allEntries) {
        ReportError(Msg::LookupFailed());
        return false;
    }
    return true;
}

void TReportRun::Advance()
{
    // Every listed line once, each paired with its own entry whatever names repeat; a
    // line no entry answers to is passed over and said once at the end.
    // A block end met before any block walks on from the entry shown.
    if (!m_pairedValid) {
        m_paired = m_entries.Pair();
        m_pos = m_entries.CurrentLine();
        m_pairedValid = true;
    }
    while (++m_pos < m_paired) {
        if (m_entries.Answers(m_pos)) {
            m_entries.MoveTo(m_pos);
            return;
        }
        m_missing = true;
    }
    m_allEntries = false;
}

bool TReportRun::Flush()
{
    if (!m_file) {
        m_file = std::make_unique<TGuardedFile>(m_name);
        if (m_name.isEmpty() || m_file->Begin() != TGuardedFile::TError::None) {
            ReportError(WriteFailed());
            return false;
        }
    }
    if (m_file->write(m_out) != m_out.size()) {
        ReportError(WriteFailed());
        return false;
    }
    m_flushed += m_out.size();
    m_out.resize(0);
    return true;
}

TReportOutcome TReportRun::Execute(const QList<QByteArray> &lines, const QString &output)
{
    if (lines.isEmpty()) {
        ReportError(GenerationFailed());
        return TReportOutcome::Stopped;
    }
    if (!ParseReportHeader(lines.first(), m_header))
        return TReportOutcome::NotReport;
    const QString name = output.isEmpty() ? FromCp1250(m_header.OutputFile) : output;
    // The system would take the name as cut at a NUL: another file than the one named.
    if (name.contains(QChar(u'\0'))) {
        ReportError(WriteFailed());
        return TReportOutcome::Stopped;
    }
    m_name = name;
    bool walked;
    {
        TBusyScope busy(m_prompt);
        walked = Walk(lines);
        m_entries.Finished();
    }
    if (m_missing)
        ReportError(Msg::LookupFailed());
    if (!walked)
        return TReportOutcome::Stopped;
    if (!Flush())
        return TReportOutcome::Stopped;
    if (m_file->Commit() != TGuardedFile::TError::None) {
        ReportError(WriteFailed());
        return TReportOutcome::Stopped;
    }
    // A relative name is resolved against the folder the program runs in: say which.
    m_prompt.Hlaska(Written() + QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(name).absoluteFilePath())),
                    THlaskaKind::Informace);
    return TReportOutcome::Written;
}

bool TReportRun::Walk(const QList<QByteArray> &lines)
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
    // What each line is, in a block and outside one, told once rather than per entry.
    std::vector<TTemplateLine> outside(size_t(lines.size())), inside(size_t(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        outside[size_t(i)] = ClassifyTemplateLine(lines[i], false);
        inside[size_t(i)] = ClassifyTemplateLine(lines[i], true);
    }
    m_out.reserve(qMin<qsizetype>(1 << 16, m_outputLimit));
    while (index < lines.size()) {
        // Long reports go to their file as they are made.
        if (m_out.size() >= kFlushSize && !Flush())
            return false;
        const QByteArray &line = lines[index];
        switch ((inBlock ? inside : outside)[size_t(index)]) {
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
                const TExpanded e = ExpandDataLine(line, m_entries.Current(), m_allEntries, m_now, Room());
                status = e.Status;
                if (status != TExpandStatus::Skip && !Emit(e))
                    return false;
            } else if (status == TExpandStatus::Error) {
                ReportError(GenerationFailed());
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

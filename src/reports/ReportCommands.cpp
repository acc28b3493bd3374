#include "reports/ReportCommands.h"

#include "book/BookFile.h"
#include "session/DocumentCommands.h"
#include "session/Messages.h"
#include "session/Prompt.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "util/Cp1250.h"
#include "util/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString EditFailed() { return QString::fromUtf8("Chyba úpravy vybrané sestavy"); }

} // namespace

// The window's walk: its list and the entries of the open book, the editor following.
class TReportCommands::TSessionEntries : public IReportEntries
{
public:
    explicit TSessionEntries(TReportCommands &c) : m_c(c), m_s(c.m_s), m_b(c.m_s.Book) { }

    qsizetype LineCount() const override { return m_b.List.Count(); }
    bool StoreEdits() override { return m_c.m_editor.StoreFields(); }
    qsizetype Pair() override
    {
        m_listed = m_b.ListedRecords();
        return m_listed.size();
    }
    bool Answers(qsizetype line) const override { return m_listed[line] != nullptr; }
    void MoveTo(qsizetype line) override
    {
        m_b.CurrentIndex = line;
        m_b.Current = m_listed[line];
        m_moved = true;
        Repaint();
    }
    qsizetype CurrentLine() const override { return m_b.CurrentIndex; }
    TRecordView Current() const override { return m_b.Current->View(); }
    bool OpenFileTag(const TFileTag &tag) override;
    void Finished() override
    {
        // The list and the editor show where the walk stopped.
        if (m_moved)
            m_c.m_editor.ShowCurrent();
    }

private:
    void Repaint()
    {
        if (++m_sinceRepaint < kEntriesPerRepaint)
            return;
        m_sinceRepaint = 0;
        m_c.m_editor.ShowRecord();
        m_s.Prompt.ProcessEvents();
    }

    TReportCommands &m_c;
    TSession &m_s;
    TAddressBook &m_b;
    QList<TContactRecord *> m_listed;
    qsizetype m_sinceRepaint = 0;
    // Whether the walk changed the entry shown; edits typed and kept stay in the editor.
    bool m_moved = false;
};

bool TReportCommands::TSessionEntries::OpenFileTag(const TFileTag &tag)
{
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
        m_b.ReportError(ReportText::FileTagOpenFailed());
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
        m_b.ReportError(ReportText::GenerationFailed());
        return false;
    }
    m_c.m_docs.AdoptBook(path, header, fresh);
    // The list holds what the tag's mask passes; as the mask it becomes, it pairs lines
    // of a repeated name with the entries it passes, not with the first of that name.
    // Letters other than A, N and F passed nothing and did not come this far.
    for (int i = 0; i < kFlagCount; ++i) {
        m_b.Mask.RequireSet[size_t(i)] = tag.Mask[i] == 'A';
        m_b.Mask.RequireClear[size_t(i)] = tag.Mask[i] == 'N';
        m_b.Mask.Active = m_b.Mask.Active || tag.Mask[i] != 'F';
    }
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
        m_s.Book.ReportError(ReportText::GenerationFailed());
        return TReportOutcome::Stopped;
    }
    TSessionEntries entries(*this);
    TReportRun run(m_s.Prompt, entries, NowStamp(m_s.Clock), m_outputLimit);
    const TReportOutcome outcome = run.Execute(lines, output);
    if (outcome == TReportOutcome::Written)
        m_written = {run.OutputName(), run.CodePage()};
    return outcome;
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

#include "exchange/ExchangeCommands.h"

#include "book/BookFile.h"
#include "exchange/Import.h"
#include "session/DocumentCommands.h"
#include "session/MainView.h"
#include "session/Messages.h"
#include "session/Prompt.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "util/ProgressPace.h"

#include <QFileInfo>

namespace {

QString NoMaskMessage() { return QString::fromUtf8("Není zvolená žádná maska"); }
QString ExportFailedMessage() { return QString::fromUtf8("Export se nepodařil"); }

QStringList Filters(const std::vector<TExtraFormat> &formats)
{
    QStringList filters;
    for (const TExtraFormat &f : formats)
        filters << f.Filter;
    return filters;
}

} // namespace

TExchangeCommands::TExchangeCommands(TSession &s, TRecordEditor &editor, TDocumentCommands &docs,
                                     IExchangeDialogs &dialogs)
    : m_s(s), m_editor(editor), m_docs(docs), m_dialogs(dialogs)
{
}

void TExchangeCommands::IImportClick()
{
    TAddressBook &b = m_s.Book;
    if (b.IsOpen && b.Changed
        && m_s.Prompt.Hlaska(Msg::UnsavedQuestion(), THlaskaKind::Otazka) != kHlaskaAno)
        return;
    TImportChoice choice;
    if (!m_dialogs.AskImportWith(choice, Filters(m_importFormats))) {
        // As the append command does after a cancelled dialog: the list refilled, the
        // first entry shown.
        m_docs.AfterLoad(false);
        return;
    }
    if (choice.Extra >= 0 && size_t(choice.Extra) < m_importFormats.size()) {
        m_importFormats[size_t(choice.Extra)].Run(choice.Path);
        return;
    }
    if (ImportFile(choice))
        m_docs.AfterLoad(false);
}

bool TExchangeCommands::ImportFile(const TImportChoice &choice)
{
    TBusyScope busy(m_s.Prompt);
    TBook fresh;
    TBookLabels labels;
    const TImportError e =
        Import::Read(choice.Kind, choice.Path, labels, fresh, TProgressPace([this](qint64 done, qint64 total) {
                         m_dialogs.Progress(done, total);
                         m_s.Prompt.ProcessEvents();
                     }));
    m_dialogs.Progress(0, 0);
    if (e != TImportError::None) {
        const QString text = Import::Message(e);
        if (!text.isEmpty())
            m_s.Book.ReportError(text);
        return false;
    }

    TAddressBook &b = m_s.Book;
    b.ReplaceRecords(fresh);
    m_s.Editor.RecordEdited = false;
    m_s.ResetBookSettings();
    b.Labels = labels;
    m_s.View.ApplyLabels(b.Labels);
    b.Mask.Active = false;
    b.FileName = Import::BookName(choice.Path);
    m_docs.SetHasFile(true);
    b.IsOpen = true;
    // The entries exist only in memory until the book is saved.
    b.Changed = true;
    return true;
}

void TExchangeCommands::IExportClick()
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen)
        return;
    int extra = -1;
    const QString path = m_dialogs.AskExportWith(Filters(m_exportFormats), extra);
    if (path.isEmpty())
        return;
    if (extra >= 0 && size_t(extra) < m_exportFormats.size()) {
        m_exportFormats[size_t(extra)].Run(path);
        return;
    }
    bool failed = false;
    {
        TBusyScope busy(m_s.Prompt);
        if (QFileInfo(path).suffix().startsWith(QLatin1Char('W'), Qt::CaseInsensitive))
            failed = !ExportMasked(path);
    }
    if (failed)
        m_s.Prompt.Hlaska(ExportFailedMessage(), THlaskaKind::Informace);
}

bool TExchangeCommands::ExportMasked(const QString &path)
{
    TAddressBook &b = m_s.Book;
    if (!b.Mask.Active) {
        m_s.Prompt.Hlaska(NoMaskMessage(), THlaskaKind::Vystraha);
        return false;
    }
    if (!m_editor.StoreFields())
        return false;
    const TDisplayMask mask = b.Mask;
    const TBookFileError e = BookFile::WriteSelected(
        path, b.Labels.ToHeader(), b, [&mask](const TContactRecord &r) { return mask.Matches(r); },
        [&] { return m_s.SaveBookSettings(path); });
    if (e == TBookFileError::None)
        return true;
    const QString text = Msg::BookFileError(e);
    if (!text.isEmpty())
        b.ReportError(text);
    return false;
}

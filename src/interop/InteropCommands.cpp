#include "interop/InteropCommands.h"

#include "book/BookFile.h"
#include "interop/InteropFile.h"
#include "session/DocumentCommands.h"
#include "session/MainView.h"
#include "session/Prompt.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "util/Clock.h"
#include "util/ProgressPace.h"

#include <QDir>
#include <QFileInfo>

TInteropCommands::TInteropCommands(TSession &s, TRecordEditor &editor, TDocumentCommands &docs,
                                   IInteropDialogs &dialogs)
    : m_s(s), m_editor(editor), m_docs(docs), m_dialogs(dialogs)
{
}

QStringList TInteropCommands::ExportFilters()
{
    return {QString::fromUtf8("Vizitky vCard 3.0 (*.vcf)"), QString::fromUtf8("Vizitky vCard 4.0 (*.vcf)"),
            QString::fromUtf8("Tabulka pro Google Kontakty (*.csv)"), QString::fromUtf8("Tabulka pro Outlook (*.csv)"),
            QString::fromUtf8("Kalendář narozenin a svátků (*.ics)")};
}

QString TInteropCommands::ImportFilter()
{
    return QString::fromUtf8("Vizitky vCard (*.vcf *.VCF *.vcard)");
}

bool TInteropCommands::Export(TInteropFormat format, const QString &chosen)
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen || chosen.isEmpty())
        return false;
    // A name typed without an extension gets the format's.
    QString path = chosen;
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + InteropFormat::Suffix(format);
    TExportOptions o;
    o.Format = format;
    o.OwnCountry = m_s.Settings.Stat;
    o.OwnArea = m_s.Settings.Misto;
    o.Stamp = m_s.Clock.Now();
    if ((format == TInteropFormat::CsvOutlook || format == TInteropFormat::Ics) && !m_dialogs.AskExportOptions(o))
        return false;
    if (!m_editor.StoreFields())
        return false;
    TExportResult r;
    {
        TBusyScope busy(m_s.Prompt);
        r = ExportRecords(path, b.ListedRecords(), b.Labels, o, TProgressPace([this](qint64 done, qint64 total) {
                              m_dialogs.Progress(done, total);
                              m_s.Prompt.ProcessEvents();
                          }));
        m_dialogs.Progress(0, 0);
    }
    if (r.Error != TInteropError::None) {
        b.ReportError(InteropText::ErrorText(r.Error));
        return false;
    }
    m_s.Prompt.Hlaska(InteropText::Written(format, r), THlaskaKind::Informace);
    return true;
}

bool TInteropCommands::ImportVCard(const QString &path)
{
    TAddressBook &b = m_s.Book;
    const TImportTarget target = b.IsOpen ? m_dialogs.AskImportTarget() : TImportTarget::NewBook;
    if (target == TImportTarget::Cancel)
        return false;
    const bool append = target == TImportTarget::Append;
    if (append && !m_editor.StoreFields())
        return false;
    TBook fresh;
    const TBookLabels labels = append ? b.Labels : TBookLabels::Defaults();
    TVCardImportStats stats;
    TInteropError e;
    {
        TBusyScope busy(m_s.Prompt);
        // An open book's single empty entry is replaced, not kept beside the cards.
        const bool onlyEmpty = b.RecordCount() == 1 && b.Record(0).NameView().isEmpty();
        const qint64 room = BookFile::kMaxRecords - (append && !onlyEmpty ? b.RecordCount() : 0);
        e = ImportVCardFile(
            path, fresh, labels,
            [&](QByteArrayView name) { return append && b.FindByName(name) != nullptr; }, stats, room,
            TProgressPace([this](qint64 done, qint64 total) {
                m_dialogs.Progress(done, total);
                m_s.Prompt.ProcessEvents();
            }));
        m_dialogs.Progress(0, 0);
        if (e == TInteropError::None) {
            if (append) {
                if (onlyEmpty && fresh.RecordCount() > 0)
                    b.DiscardRecords();
                b.TakeRecords(fresh);
            } else {
                b.DiscardRecords();
                b.SwapRecords(fresh);
                if (b.RecordCount() == 0)
                    b.AppendRecord(TContactRecord());
                m_s.ResetBookSettings();
                b.Labels = labels;
                m_s.View.ApplyLabels(b.Labels);
                b.Mask.Active = false;
                const QFileInfo info(path);
                b.FileName = QDir(info.absolutePath()).filePath(info.completeBaseName() + QStringLiteral(".WDT"));
                m_docs.SetHasFile(true);
            }
            b.MakeCurrent(0);
            b.ListedCount = b.RecordCount();
            m_s.Editor.RecordEdited = false;
            b.IsOpen = true;
            b.Changed = true;
        }
    }
    if (e != TInteropError::None) {
        b.ReportError(InteropText::ErrorText(e));
        return false;
    }
    m_docs.AfterLoad(false);
    m_s.Prompt.Hlaska(InteropText::Summary(stats), THlaskaKind::Informace);
    return true;
}

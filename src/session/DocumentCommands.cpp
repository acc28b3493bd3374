#include "session/DocumentCommands.h"

#include "book/BookFile.h"
#include "session/Messages.h"
#include "session/Prompt.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "util/Clock.h"
#include "util/FileName.h"

#include <QFileInfo>
#include <QLockFile>

namespace {

bool SameFile(const QString &a, const QString &b)
{
    return FileName::Same(a, b);
}

} // namespace

TDocumentCommands::TDocumentCommands(TSession &s, TRecordEditor &editor, QObject *parent)
    : QObject(parent), m_s(s), m_editor(editor)
{
}

TDocumentCommands::~TDocumentCommands() = default;

bool TDocumentCommands::TakeLock(const QString &path, std::unique_ptr<QLockFile> &lock, bool ask)
{
    auto l = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    // Held for as long as the book is open: only a holder that has died makes it stale.
    l->setStaleLockTime(0);
    if (l->tryLock(0)) {
        lock = std::move(l);
        return true;
    }
    if (l->error() != QLockFile::LockFailedError || !ask)
        return true;
    return m_s.Prompt.Hlaska(Msg::OpenElsewhereQuestion(), THlaskaKind::Otazka) == kHlaskaAno;
}

bool TDocumentCommands::HoldsLock(const QString &path) const
{
    return m_lock && SameFile(m_lockPath, path);
}

void TDocumentCommands::KeepLock(std::unique_ptr<QLockFile> lock, const QString &path)
{
    m_lock = std::move(lock);
    m_lockPath = path;
}

void TDocumentCommands::SetSaveEnabled(bool on)
{
    if (m_saveEnabled == on)
        return;
    m_saveEnabled = on;
    emit SaveEnabledChanged(on);
}

bool TDocumentCommands::LeaveBook()
{
    TAddressBook &b = m_s.Book;
    if (b.IsOpen && b.Changed
        && m_s.Prompt.Hlaska(Msg::UnsavedQuestion(), THlaskaKind::Otazka) != kHlaskaAno)
        return false;
    return m_s.SaveBookSettings(b.FileName);
}

void TDocumentCommands::NewBook(bool changed)
{
    TAddressBook &b = m_s.Book;
    SetSaveEnabled(false);
    m_hasFile = false;
    KeepLock(nullptr, {});
    m_stamp = {};
    m_stampPath.clear();
    m_s.ResetBookSettings();
    b.FileName = Msg::Unnamed();
    b.Mask.Active = false;
    b.DiscardRecords();
    b.MakeCurrent(0);
    b.AppendRecord(TContactRecord());
    b.MakeCurrent(0);
    b.ListedCount = 1;
    b.CurrentIndex = 0;
    m_s.Editor.RecordEdited = false;
    b.Changed = changed;
    b.IsOpen = true;
    b.List.Fill({QByteArray()});
    m_editor.ShowRecord();
    b.UpdateStatusBar();
}

void TDocumentCommands::INovyClick()
{
    if (!LeaveBook())
        return;
    NewBook(true);
}

bool TDocumentCommands::ReadBook(const QString &path, TContactRecord &header, TBook &into, TFileStamp *stamp)
{
    const TBookFileError e = BookFile::Read(path, header, into, stamp);
    if (e == TBookFileError::None)
        return true;
    // A missing file fails without a message of its own.
    if (e != TBookFileError::Missing)
        m_s.Book.ReportError(Msg::BookFileError(e));
    return false;
}

bool TDocumentCommands::LoadBook(const QString &path)
{
    TBook fresh;
    TContactRecord header;
    TFileStamp stamp;
    if (!ReadBook(path, header, fresh, &stamp))
        return false;
    m_stamp = stamp;
    m_stampPath = path;
    SwapIn(path, header, fresh);
    return true;
}

void TDocumentCommands::SwapIn(const QString &path, const TContactRecord &header, TBook &fresh)
{
    TAddressBook &b = m_s.Book;
    b.ReplaceRecords(fresh);
    m_s.Editor.RecordEdited = false;
    m_s.LoadBookSettings(header, path);
    b.Mask.Active = false;
}

void TDocumentCommands::AdoptBook(const QString &path, const TContactRecord &header, TBook &fresh)
{
    // Taken now: the file was read just before, and another program's later write must
    // still be noticed on save; the lock tells other programs without asking.
    m_stamp = TFileStamp::OfPath(path);
    m_stampPath = path;
    if (!HoldsLock(path)) {
        std::unique_ptr<QLockFile> lock;
        TakeLock(path, lock, false);
        KeepLock(std::move(lock), path);
    }
    SwapIn(path, header, fresh);
    TAddressBook &b = m_s.Book;
    b.FileName = path;
    m_hasFile = true;
    b.IsOpen = true;
    b.Changed = false;
    SetSaveEnabled(true);
}

bool TDocumentCommands::AppendBook(const QString &path)
{
    TBook fresh;
    TContactRecord header;
    if (!ReadBook(path, header, fresh))
        return false;
    TAddressBook &b = m_s.Book;
    for (qsizetype i = 0; i < fresh.RecordCount(); ++i)
        b.AppendRecord(fresh.Record(i));
    b.ListedCount = b.RecordCount();
    b.Mask.Active = false;
    return true;
}

bool TDocumentCommands::SaveBook(const QString &path)
{
    if (!m_editor.StoreFields())
        return false;
    // Another program has written the file since this one read or wrote it; saving now
    // would silently throw its work away.
    if (SameFile(m_stampPath, path) && m_stamp.ChangedOnDisk(path)) {
        switch (m_s.Prompt.AskChangedOnDisk(Msg::ChangedOnDiskQuestion())) {
        case TDiskChoice::Overwrite:
            break;
        case TDiskChoice::Reload:
            // The other program's version replaces this one's unsaved changes.
            if (OpenPath(path))
                AfterLoad(false);
            return false;
        case TDiskChoice::Cancel:
            return false;
        }
    }
    TAddressBook &b = m_s.Book;
    TFileStamp written;
    const TBookFileError e = BookFile::Write(path, b.Labels.ToHeader(), b,
                                             [&] { return m_s.SaveBookSettings(path); }, &written);
    if (e == TBookFileError::None) {
        m_stamp = written;
        m_stampPath = path;
        return true;
    }
    const QString text = Msg::BookFileError(e);
    if (!text.isEmpty())
        b.ReportError(text);
    return false;
}

void TDocumentCommands::AfterLoad(bool addRecent)
{
    TAddressBook &b = m_s.Book;
    b.MakeCurrent(0);
    SetSaveEnabled(true);
    // The list always shows what the mask lets through (all entries when it is off).
    if (b.Mask.Active)
        b.RefillListWithMask();
    else
        b.RefillList();
    m_editor.ShowRecord();
    if (addRecent)
        m_s.Recent.AddRecentFile(b.FileName);
    b.UpdateStatusBar();
    m_s.Prompt.SetBusy(false);
    if (addRecent && m_autoSearch && AutoSearchDue())
        m_autoSearch(m_s.Settings.VyrociDopredu);
    if (addRecent)
        emit BookStored();
}

bool TDocumentCommands::AutoSearchDue() const
{
    if (!m_s.Settings.hledatAutomaticky)
        return false;
    const TStamp today = ParseStampDisplay(StampDisplay(NowStamp(m_s.Clock), 10), 3);
    return today > m_s.Settings.NaposledySpusteno;
}

bool TDocumentCommands::OpenPath(const QString &path)
{
    const bool ours = HoldsLock(path);
    std::unique_ptr<QLockFile> lock;
    if (!ours && !TakeLock(path, lock, true))
        return false;
    TBusyScope busy(m_s.Prompt);
    if (!LoadBook(path))
        return false;
    if (!ours)
        KeepLock(std::move(lock), path);
    TAddressBook &b = m_s.Book;
    b.FileName = path;
    m_hasFile = true;
    b.IsOpen = true;
    b.Changed = false;
    return true;
}

void TDocumentCommands::IOtevritClick()
{
    if (!LeaveBook())
        return;
    const QString path = m_s.Prompt.AskOpenBook();
    // A cancelled or failed open opens nothing: the book, the list, the entry being
    // typed and the reminders stay as they were.
    if (path.isEmpty() || !OpenPath(path))
        return;
    AfterLoad(true);
}

void TDocumentCommands::ItemHistorieClick(int item)
{
    const QString path = m_s.Recent.Files().value(item);
    if (path.isEmpty() || !LeaveBook() || !OpenPath(path))
        return;
    AfterLoad(true);
}

void TDocumentCommands::IUlozitClick()
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen || !m_saveEnabled)
        return;
    // A book that never had a file is not saved under the name "Nepojmenovaný".
    if (!m_hasFile) {
        IUlozitJakoClick();
        return;
    }
    // An imported book is named after its source; a book of that name that this program
    // never read or wrote is another book, not an older copy of this one.
    if (!SameFile(m_stampPath, b.FileName) && FileName::Exists(b.FileName)
        && m_s.Prompt.Hlaska(Msg::OverwriteOtherQuestion(), THlaskaKind::Otazka) != kHlaskaAno) {
        b.UpdateStatusBar();
        return;
    }
    {
        TBusyScope busy(m_s.Prompt);
        if (SaveBook(b.FileName))
            b.Changed = false;
    }
    b.UpdateStatusBar();
    if (!b.Changed)
        emit BookStored();
}

void TDocumentCommands::IUlozitJakoClick()
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen)
        return;
    const QString path = m_s.Prompt.AskSaveBook();
    if (!path.isEmpty()) {
        b.FileName = path;
        m_hasFile = true;
        TBusyScope busy(m_s.Prompt);
        if (SaveBook(path)) {
            SetSaveEnabled(true);
            b.Changed = false;
            m_s.Recent.AddRecentFile(path);
            if (!HoldsLock(path)) {
                std::unique_ptr<QLockFile> lock;
                TakeLock(path, lock, false);
                KeepLock(std::move(lock), path);
            }
            emit BookStored();
        }
    }
    b.UpdateStatusBar();
}

void TDocumentCommands::IPripojitClick()
{
    TAddressBook &b = m_s.Book;
    if (b.IsOpen && b.Changed
        && m_s.Prompt.Hlaska(Msg::UnsavedQuestion(), THlaskaKind::Otazka) != kHlaskaAno)
        return;
    if (!m_editor.StoreFields())
        return;
    const QString path = m_s.Prompt.AskOpenBook();
    if (!path.isEmpty()) {
        TBusyScope busy(m_s.Prompt);
        if (AppendBook(path)) {
            b.IsOpen = true;
            b.Changed = true;
        }
    }
    AfterLoad(false);
}

void TDocumentCommands::StartUp(const QString &commandLineFile)
{
    if (!commandLineFile.isEmpty() && OpenPath(commandLineFile)) {
        TAddressBook &b = m_s.Book;
        b.MakeCurrent(0);
        SetSaveEnabled(true);
        b.RefillList();
        m_editor.ShowRecord();
        b.UpdateStatusBar();
        if (m_autoSearch && AutoSearchDue())
            m_autoSearch(m_s.Settings.VyrociDopredu);
        return;
    }
    NewBook(false);
}

bool TDocumentCommands::CloseQuery()
{
    TAddressBook &b = m_s.Book;
    if (b.IsOpen && b.Changed
        && m_s.Prompt.Hlaska(Msg::UnsavedQuestion(), THlaskaKind::Otazka) != kHlaskaAno)
        return false;
    if (!m_s.SaveBookSettings(b.FileName))
        return false;
    m_s.SaveRecentFiles();
    return true;
}

#pragma once

#include "book/FileStamp.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLockFile;
class TBook;
class TContactRecord;
class TRecordEditor;
class TSession;

// The file menu: new, open, save, save as, append, the recent files, and the checks
// around replacing or closing the open book.
class TDocumentCommands : public QObject
{
    Q_OBJECT

public:
    TDocumentCommands(TSession &s, TRecordEditor &editor, QObject *parent = nullptr);
    ~TDocumentCommands() override;

    // Runs after a book was opened (not appended) when its settings ask for the
    // automatic anniversary search; gets the look-ahead in days.
    void SetAutoSearch(std::function<void(int days)> search) { m_autoSearch = std::move(search); }

    // The save item is enabled (it is not after new and at start without a file).
    bool SaveEnabled() const { return m_saveEnabled; }
    // The book has a file of its own; a save without one asks for a path.
    bool HasFile() const { return m_hasFile; }
    // An imported book is saved under the name it was given without asking for one.
    void SetHasFile(bool on) { m_hasFile = on; }

    void INovyClick();
    void IOtevritClick();
    void IUlozitClick();
    void IUlozitJakoClick();
    void IPripojitClick();
    void ItemHistorieClick(int item /*0..4*/);

    bool LeaveBook();
    // Reads the file into a new book and swaps it in only when the whole file was read,
    // so a failure leaves the open book as it was.
    bool LoadBook(const QString &path);
    // Makes a book read elsewhere the open book under `path`, saved and unchanged, with
    // its captions and settings; `fresh` is left empty.
    void AdoptBook(const QString &path, const TContactRecord &header, TBook &fresh);
    bool AppendBook(const QString &path);
    bool SaveBook(const QString &path);
    void AfterLoad(bool addRecent);

    // Start-up: the book of the command line, or a new unnamed book.
    void StartUp(const QString &commandLineFile);
    // The questions before the program ends; false keeps it running.
    bool CloseQuery();

    // The automatic search is due when the book's settings were last written before today.
    bool AutoSearchDue() const;

signals:
    void SaveEnabledChanged(bool on);
    // The person opened the book or saved it (what a sync on open and save waits for).
    void BookStored();

private:
    void NewBook(bool changed);
    void SetSaveEnabled(bool on);
    bool OpenPath(const QString &path);
    // Reads a whole file into a book of its own, reporting failures.
    bool ReadBook(const QString &path, TContactRecord &header, TBook &into, TFileStamp *stamp = nullptr);
    // The lock that tells other running programs this one has the book open. False when
    // another holds it and the person would rather not open the book (`ask`); `lock` stays
    // empty where no lock can be had.
    bool TakeLock(const QString &path, std::unique_ptr<QLockFile> &lock, bool ask);
    bool HoldsLock(const QString &path) const;
    void KeepLock(std::unique_ptr<QLockFile> lock, const QString &path);
    void SwapIn(const QString &path, const TContactRecord &header, TBook &fresh);

    TSession &m_s;
    TRecordEditor &m_editor;
    std::function<void(int)> m_autoSearch;
    bool m_saveEnabled = false;
    bool m_hasFile = false;
    // How the book's file stood when this program last read or wrote it.
    TFileStamp m_stamp;
    QString m_stampPath;
    std::unique_ptr<QLockFile> m_lock;
    QString m_lockPath;
};

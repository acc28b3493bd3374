#pragma once

#include "book/BookLabels.h"
#include "session/WindowClosing.h"
#include "sync/SyncDialogs.h"

#include <QObject>

#include <functional>
#include <memory>

class ICardMapping;
class IPasswordStore;
class TDocumentCommands;
class TRecordEditor;
class TSession;
class TSyncJob;
class TTrustStore;
class TWindowTrust;

// "Nastavení → Synchronizace" and "Soubor → Synchronizovat" of the open book: the
// settings with the password in the keyring, the book saved first, the run on a thread
// of its own behind a progress window, conflicts asked one by one, the summary. A run is
// the work the window's closing waits for.
class TSyncCommands : public QObject, public IClosingWork
{
    Q_OBJECT

public:
    // `mapping` gives the vCard mapping for the open book's captions and settings.
    using TMappingFactory = std::function<std::unique_ptr<ICardMapping>(const TBookLabels &, const TSettings &)>;

    // `trustIni` is the settings file of trusted certificates; empty for the user's own.
    TSyncCommands(TSession &s, TRecordEditor &editor, TDocumentCommands &docs, ISyncDialogs &dialogs,
                  IPasswordStore &passwords, TMappingFactory mapping, const QString &trustIni = {});
    ~TSyncCommands() override;

    void ISynchronizaceClick();
    void ISynchronizovatClick();
    // After the book was opened or saved by the person: a sync when its settings ask.
    void AfterOpenOrSave();

    bool Running() const override;
    // Stops a running sync at its next safe point and waits for it.
    void CancelAndWait();
    // The window is closing: the run stops at its next safe point and ends without its
    // messages; RunningChanged(false) follows.
    void Stop() override;
    QString StopQuestion() const override;
    // How long a silent server is waited for.
    void SetTimeout(int ms) { m_timeoutMs = ms; }

signals:
    void RunningChanged(bool running);

private:
    bool Password(QString &password);
    TServerLookup Lookup(const QString &server, const QString &user, const QString &password);
    bool SaveSynced(TBook &synced);

    TSession &m_s;
    TRecordEditor &m_editor;
    TDocumentCommands &m_docs;
    ISyncDialogs &m_dialogs;
    IPasswordStore &m_passwords;
    TMappingFactory m_mappingFactory;
    std::unique_ptr<TSyncJob> m_job;
    std::unique_ptr<TTrustStore> m_trustStore;
    std::unique_ptr<TWindowTrust> m_trust;
    // Where no keyring runs, the password typed is kept for this run of the program only.
    QString m_sessionPassword;
    int m_timeoutMs = 30000;
    bool m_stoppedForClose = false;
};

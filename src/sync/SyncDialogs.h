#pragma once

#include "settings/Settings.h"
#include "sync/CertificateTrust.h"
#include "sync/SyncEngine.h"

#include <QList>
#include <QString>

#include <functional>

class TSyncJob;

// An address book or calendar found on a server.
struct TFoundCollection
{
    QString Url;
    QString Name;
};

// What looking up a server found; `Error` says why nothing was found.
struct TServerLookup
{
    QList<TFoundCollection> AddressBooks;
    QList<TFoundCollection> Calendars;
    QString Error;
};

// What the sync asks of the person and shows. The window uses dialogs; tests script them.
class ISyncDialogs
{
public:
    virtual ~ISyncDialogs() = default;

    // The settings of the open book's sync; `password` comes filled from the keyring
    // (empty where there is none) and goes back as typed. `lookup` asks the server what
    // it has. False when cancelled.
    virtual bool AskSettings(TSyncSettings &settings, QString &password, bool keyringWorks,
                             const std::function<TServerLookup(const QString &server, const QString &user,
                                                               const QString &password)> &lookup) = 0;
    // The password for a run where the keyring has none; `why` says why it is asked.
    virtual bool AskPassword(const QString &server, const QString &user, const QString &why, QString &password) = 0;
    // One conflict, both versions side by side; `forAll` set applies the choice to the
    // conflicts still to come in this run.
    virtual TConflictChoice AskConflict(const QStringList &mine, const QStringList &theirs, bool &forAll) = 0;
    // A certificate the system does not vouch for: trust it from now on? `trustedBefore`
    // is the fingerprint trusted for this server until now (the certificate has changed),
    // empty at a first meeting.
    virtual bool AskCertificate(const TCertificateInfo &certificate, const QString &trustedBefore) = 0;
    // Shows progress while `job` runs and returns when it finished; the cancel button
    // calls `job.Cancel()`.
    virtual void Wait(TSyncJob &job) = 0;
};

#pragma once

#include "sync/SyncDialogs.h"

class QWidget;

// The sync's windows: its settings, the password where no keyring keeps it, a conflict
// with both versions side by side, and the progress of a run with its cancel button.
class TWidgetSyncDialogs : public ISyncDialogs
{
public:
    explicit TWidgetSyncDialogs(QWidget *parent);

    bool AskSettings(TSyncSettings &settings, QString &password, bool keyringWorks,
                     const std::function<TServerLookup(const QString &, const QString &, const QString &)> &lookup) override;
    bool AskPassword(const QString &server, const QString &user, const QString &why, QString &password) override;
    TConflictChoice AskConflict(const QStringList &mine, const QStringList &theirs, bool &forAll) override;
    bool AskCertificate(const TCertificateInfo &certificate, const QString &trustedBefore) override;
    void Wait(TSyncJob &job) override;

private:
    QWidget *m_parent;
};

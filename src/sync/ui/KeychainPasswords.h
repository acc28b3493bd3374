#pragma once

#include "sync/PasswordStore.h"

#include <functional>

namespace QKeychain {
class Job;
}

// The sync passwords in the desktop's keyring through QtKeychain: the Secret Service
// (GNOME, KDE, KeePassXC …) or KWallet. Nothing ever falls back to a plain file.
class TKeychainPasswords : public IPasswordStore
{
public:
    // timeoutMs bounds one call, an unlock prompt the user is answering included;
    // probeMs bounds the question whether any keyring is on the session bus at all.
    explicit TKeychainPasswords(int timeoutMs = 30000, int probeMs = 2000);

    TPasswordResult Read(const QString &key, QString &password) override;
    TPasswordResult Write(const QString &key, const QString &password) override;
    TPasswordResult Remove(const QString &key) override;
    QString LastDetail() const override { return m_detail; }

private:
    bool KeyringOnBus();
    TPasswordResult Run(QKeychain::Job *job, const std::function<void()> &onOk = {});

    int m_timeoutMs;
    int m_probeMs;
    QString m_detail;
};

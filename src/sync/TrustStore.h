#pragma once

#include "sync/CertificateTrust.h"

#include <QString>

#include <memory>

class QSettings;

// The certificates the user trusted, one per server ("host:port"), by their SHA-256
// fingerprints, in the user's settings under "Sync/Certificates": the window writes them,
// the command line reads the same ones.
class TTrustStore
{
public:
    // An empty path means the user's own store; tests pass a file of their own.
    explicit TTrustStore(const QString &iniPath = {});
    ~TTrustStore();

    // The fingerprint trusted for the server; empty when none is.
    QString Fingerprint(const QString &host, int port) const;
    bool Trusted(const QString &host, int port, const QString &fingerprint) const;
    // Replaces whatever the server had; false when the store could not be written.
    bool Remember(const QString &host, int port, const QString &fingerprint);
    bool Forget(const QString &host, int port);

private:
    std::unique_ptr<QSettings> m_store;
};

// The trust of a run that cannot ask anyone (the command line): what the store holds,
// never written.
class TRememberedTrust : public ICertificateTrust
{
public:
    explicit TRememberedTrust(const TTrustStore &store) : m_store(store) { }
    bool Trusted(const QString &host, int port, const QString &fingerprint) const override
    {
        return m_store.Trusted(host, port, fingerprint);
    }
    TTrustAnswer Ask(const TCertificateInfo &) override { return TTrustAnswer::Refuse; }
    void Remember(const QString &, int, const QString &) override { }

private:
    const TTrustStore &m_store;
};

#pragma once

#include "sync/CertificateTrust.h"

#include <QObject>

#include <functional>

class TTrustStore;

// The trust of the window's sync: what the store holds, and the person asked about a
// certificate it does not. Every call runs on the window's thread (the store's settings
// file and the question live there); the sync's thread waits for the answer.
class TWindowTrust : public QObject, public ICertificateTrust
{
    Q_OBJECT

public:
    // Given the fingerprint trusted for the server before, if any.
    using TAsk = std::function<bool(const TCertificateInfo &, const QString &trustedBefore)>;
    TWindowTrust(TTrustStore &store, TAsk ask);

    bool Trusted(const QString &host, int port, const QString &fingerprint) const override;
    TTrustAnswer Ask(const TCertificateInfo &certificate) override;
    void Remember(const QString &host, int port, const QString &fingerprint) override;

private:
    void OnWindowThread(const std::function<void()> &f) const;

    TTrustStore &m_store;
    TAsk m_ask;
};

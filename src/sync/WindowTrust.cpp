#include "sync/WindowTrust.h"

#include "sync/TrustStore.h"

#include <QThread>

TWindowTrust::TWindowTrust(TTrustStore &store, TAsk ask) : m_store(store), m_ask(std::move(ask))
{
}

void TWindowTrust::OnWindowThread(const std::function<void()> &f) const
{
    if (QThread::currentThread() == thread())
        f();
    else
        QMetaObject::invokeMethod(const_cast<TWindowTrust *>(this), f, Qt::BlockingQueuedConnection);
}

bool TWindowTrust::Trusted(const QString &host, int port, const QString &fingerprint) const
{
    bool trusted = false;
    OnWindowThread([&] { trusted = m_store.Trusted(host, port, fingerprint); });
    return trusted;
}

TTrustAnswer TWindowTrust::Ask(const TCertificateInfo &certificate)
{
    bool trust = false;
    OnWindowThread([&] { trust = m_ask(certificate, m_store.Fingerprint(certificate.Host, certificate.Port)); });
    return trust ? TTrustAnswer::Trust : TTrustAnswer::Refuse;
}

void TWindowTrust::Remember(const QString &host, int port, const QString &fingerprint)
{
    OnWindowThread([&] { m_store.Remember(host, port, fingerprint); });
}

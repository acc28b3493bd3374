#include "sync/TrustStore.h"

#include "settings/SettingsStore.h"

#include <QSettings>

namespace {

QString Key(const QString &host, int port)
{
    // QSettings keeps '/' for groups; a host name never holds one, a bracketed IPv6 address
    // neither.
    return QStringLiteral("Sync/Certificates/") + host.toLower() + QLatin1Char(':') + QString::number(port);
}

} // namespace

TTrustStore::TTrustStore(const QString &iniPath) : m_store(TSettingsStore::Open(iniPath)) { }

TTrustStore::~TTrustStore() = default;

QString TTrustStore::Fingerprint(const QString &host, int port) const
{
    return m_store->value(Key(host, port)).toString();
}

bool TTrustStore::Trusted(const QString &host, int port, const QString &fingerprint) const
{
    const QString kept = Fingerprint(host, port);
    return !fingerprint.isEmpty() && kept.compare(fingerprint, Qt::CaseInsensitive) == 0;
}

bool TTrustStore::Remember(const QString &host, int port, const QString &fingerprint)
{
    m_store->setValue(Key(host, port), fingerprint.toUpper());
    m_store->sync();
    return m_store->status() == QSettings::NoError;
}

bool TTrustStore::Forget(const QString &host, int port)
{
    m_store->remove(Key(host, port));
    m_store->sync();
    return m_store->status() == QSettings::NoError;
}

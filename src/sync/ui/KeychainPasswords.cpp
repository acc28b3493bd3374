#include "sync/ui/KeychainPasswords.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace {

// The bus names a keyring answers on; QtKeychain picks among them by the desktop.
const char *const kKeyringNames[] = {"org.freedesktop.secrets", "org.kde.kwalletd6", "org.kde.kwalletd5",
                                     "org.kde.kwalletd"};

QStringList BusNames(const QDBusConnection &bus, const char *method, int timeoutMs)
{
    const QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                             QStringLiteral("/org/freedesktop/DBus"),
                                                             QStringLiteral("org.freedesktop.DBus"),
                                                             QString::fromLatin1(method));
    const QDBusMessage answer = bus.call(call, QDBus::Block, timeoutMs);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty())
        return {};
    return answer.arguments().constFirst().toStringList();
}

TPasswordResult FromKeychain(QKeychain::Error error, const QString &detail)
{
    switch (error) {
    case QKeychain::NoError:
        return TPasswordResult::Ok;
    case QKeychain::EntryNotFound:
        return TPasswordResult::NotFound;
    case QKeychain::AccessDeniedByUser:
    case QKeychain::AccessDenied:
        return TPasswordResult::Denied;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        return TPasswordResult::NoKeyring;
    case QKeychain::CouldNotDeleteEntry:
    case QKeychain::OtherError:
        break;
    }
    // The keyring left the bus after the probe: the backends pass D-Bus's words on.
    if (detail.contains(QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown"))
        || detail.contains(QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")))
        return TPasswordResult::NoKeyring;
    return TPasswordResult::Failed;
}

} // namespace

TKeychainPasswords::TKeychainPasswords(int timeoutMs, int probeMs)
    : m_timeoutMs(timeoutMs), m_probeMs(probeMs)
{
}

// Without this a call would wait for an answer no one gives: QtKeychain's backends ask
// the bus, and with no keyring on it some wait for D-Bus's own, long, timeout.
bool TKeychainPasswords::KeyringOnBus()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_detail = QStringLiteral("no D-Bus session bus: ") + bus.lastError().message();
        return false;
    }
    const QStringList names = BusNames(bus, "ListNames", m_probeMs) + BusNames(bus, "ListActivatableNames", m_probeMs);
    for (const char *name : kKeyringNames) {
        if (names.contains(QLatin1String(name)))
            return true;
    }
    m_detail = QStringLiteral("no keyring on the D-Bus session bus");
    return false;
}

TPasswordResult TKeychainPasswords::Run(QKeychain::Job *job, const std::function<void()> &onOk)
{
    m_detail.clear();
    if (!KeyringOnBus()) {
        delete job;
        return TPasswordResult::NoKeyring;
    }
    // A password goes to the keyring or nowhere.
    job->setInsecureFallback(false);
    job->setAutoDelete(true);
    QEventLoop loop;
    TPasswordResult result = TPasswordResult::Failed;
    bool answered = false;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job *done) {
        answered = true;
        m_detail = done->error() == QKeychain::NoError ? QString() : done->errorString();
        result = FromKeychain(done->error(), m_detail);
        if (result == TPasswordResult::Ok && onOk)
            onOk();
        loop.quit();
    });
    QTimer::singleShot(m_timeoutMs, &loop, &QEventLoop::quit);
    job->start();
    if (!answered)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!answered)
        m_detail = QStringLiteral("the keyring gave no answer within %1 ms").arg(m_timeoutMs);
    return result;
}

TPasswordResult TKeychainPasswords::Read(const QString &key, QString &password)
{
    auto *job = new QKeychain::ReadPasswordJob(QString::fromLatin1(kSyncPasswordService));
    job->setKey(key);
    return Run(job, [&] { password = job->textData(); });
}

TPasswordResult TKeychainPasswords::Write(const QString &key, const QString &password)
{
    auto *job = new QKeychain::WritePasswordJob(QString::fromLatin1(kSyncPasswordService));
    job->setKey(key);
    job->setTextData(password);
    return Run(job);
}

TPasswordResult TKeychainPasswords::Remove(const QString &key)
{
    auto *job = new QKeychain::DeletePasswordJob(QString::fromLatin1(kSyncPasswordService));
    job->setKey(key);
    return Run(job);
}

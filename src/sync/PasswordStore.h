#pragma once

#include <QString>

class QUrl;

// What the desktop's keyring did with a sync password.
enum class TPasswordResult {
    Ok,
    NotFound,  // nothing kept under the key
    NoKeyring, // no session bus, or no Secret Service or KWallet on it
    Denied,    // the keyring stayed locked: its owner refused to unlock it
    Failed,    // anything else, no answer in time included
};

// The CardDAV passwords, one per server account, in the desktop's keyring; never in a
// settings file or a book. Each call returns when the keyring has answered: it waits in a
// local event loop that keeps the window painted but holds back its input (an unlock
// prompt is a window of the keyring's own), and gives up after a bounded time.
class IPasswordStore
{
public:
    virtual ~IPasswordStore() = default;
    // The password is set only on Ok.
    virtual TPasswordResult Read(const QString &key, QString &password) = 0;
    // Replaces what the key held.
    virtual TPasswordResult Write(const QString &key, const QString &password) = 0;
    virtual TPasswordResult Remove(const QString &key) = 0;
    // The keyring's own words on the last failure (not Czech): for a log, never alone.
    virtual QString LastDetail() const { return {}; }
};

// The keyring's service name of every sync password.
inline constexpr char kSyncPasswordService[] = "vorlink-sync";

// The key of an account: the user and the server's origin ("jan@https://dav.example.cz"),
// so two books in one account share a password while http and https, hosts and ports do
// not. A user name or password in the URL itself is ignored.
QString SyncPasswordKey(const QUrl &server, const QString &user);

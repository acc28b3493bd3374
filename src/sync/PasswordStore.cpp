#include "sync/PasswordStore.h"

#include <QUrl>

QString SyncPasswordKey(const QUrl &server, const QString &user)
{
    const QString scheme = server.scheme().toLower();
    QUrl origin;
    origin.setScheme(scheme);
    origin.setHost(server.host()); // QUrl keeps hosts in lower case
    const int port = server.port();
    const bool defaultPort = (scheme == QLatin1String("https") && port == 443) || (scheme == QLatin1String("http") && port == 80);
    if (!defaultPort)
        origin.setPort(port);
    return user + QLatin1Char('@') + origin.toString(QUrl::FullyEncoded);
}

#pragma once

#include <QByteArray>
#include <QUrl>

// Where the addresses a server names lead: the password and the writes go nowhere but the
// server and the collection the user named, whatever an answer says.
namespace DavUrl {

inline QUrl Resolved(const QUrl &base, const QByteArray &href)
{
    return base.resolved(QUrl::fromEncoded(href));
}

// A member's address as a key: the path, decoded, so "/a/x%40y.ics" and "/a/x@y.ics" meet.
inline QByteArray Key(const QUrl &collection, const QByteArray &href)
{
    return Resolved(collection, href).path(QUrl::FullyDecoded).toUtf8();
}

inline bool SameOrigin(const QUrl &a, const QUrl &b)
{
    const int port = a.scheme() == QLatin1String("https") ? 443 : 80;
    return a.scheme() == b.scheme() && a.host() == b.host() && a.port(port) == b.port(port);
}

// Whether a member the server names lies inside the collection (and is not the collection).
inline bool Inside(const QUrl &collection, const QByteArray &href)
{
    const QUrl url = Resolved(collection, href);
    QString base = collection.path(QUrl::FullyDecoded);
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    const QString path = url.path(QUrl::FullyDecoded);
    return SameOrigin(url, collection) && path.startsWith(base) && path.size() > base.size()
           && !path.contains(QLatin1String("/../"));
}

} // namespace DavUrl

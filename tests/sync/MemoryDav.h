#pragma once

// A CardDAV address book held in memory, answering the sync's requests as a server does
// (sync tokens, multiget, conditional PUT and DELETE), with faults on demand: the process
// killed after a write landed or before it did, a card it will not hand out, another
// client writing between the listing and the writes.

#include "sync/DavClient.h"

#include <QMap>
#include <QRegularExpression>

#include <functional>

// Thrown where the sync's process dies: nothing after it runs.
struct TKilled
{
};

class TMemoryDav : public IDavTransport
{
public:
    struct TCard
    {
        QByteArray Body;
        QByteArray ETag;
    };

    static constexpr const char *kPath = "/kontakty/";

    // Faults of the next requests.
    int KillAtWrite = -1; // the process dies at this write (0 the first) ...
    bool KillLands = true; // ... after the server took it, or before it reached it
    bool KillLate = false; // ... or it lands only after the next run listed the server
    QSet<QByteArray> Unfetchable; // keys whose card a multiget answers with 500
    std::function<void()> BeforeFirstWrite; // another client, once

    QMap<QByteArray, TCard> Cards; // by path

    QList<QByteArray> Order; // paths in the order the cards came, whatever their names

    void Put(const QByteArray &path, const QByteArray &body)
    {
        if (!Cards.contains(path))
            Order << path;
        Cards[path] = {body, "\"e" + QByteArray::number(++m_etag) + '"'};
        Log(path);
    }
    void Remove(const QByteArray &path)
    {
        Cards.remove(path);
        Order.removeOne(path);
        Log(path);
    }
    // The server forgets its tokens, as after a restore.
    void ForgetTokens() { m_forgotten = m_log.size(); }
    qint64 Writes() const { return m_writes; }

    TDavReply Send(const TDavRequest &q) override
    {
        const QByteArray path = q.Url.path(QUrl::FullyEncoded).toUtf8();
        if (q.Method == "REPORT" && q.Body.contains("sync-collection"))
            return SyncCollection(q.Body);
        if (q.Method == "REPORT" && q.Body.contains("addressbook-multiget"))
            return Multiget(q.Body);
        if (q.Method == "PUT" || q.Method == "DELETE")
            return Write(q, path);
        return Reply(405);
    }
    TDavReply Propfind(const QUrl &, const QByteArray &, const QByteArray &, QUrl *) override { return Reply(404); }
    QList<TDavReply> SendAll(const QList<TDavRequest> &requests, int,
                             const std::function<bool(qsizetype, const TDavReply &)> &done) override
    {
        QList<TDavReply> replies;
        for (qsizetype i = 0; i < requests.size(); ++i) {
            replies << Send(requests.at(i));
            if (done && !done(i, replies.last()))
                break;
        }
        return replies;
    }

private:
    static TDavReply Reply(int status, const QByteArray &body = {}, const QByteArray &etag = {})
    {
        TDavReply r;
        r.Sent = true;
        r.Status = status;
        r.Body = body;
        r.ETag = etag;
        return r;
    }
    void Log(const QByteArray &path) { m_log << path; }

    static QByteArray Response(const QByteArray &href, int status, const QByteArray &etag, const QByteArray &card)
    {
        QByteArray r = "<d:response><d:href>" + href + "</d:href>";
        if (status != 200)
            return r + "<d:status>HTTP/1.1 " + QByteArray::number(status) + " X</d:status></d:response>";
        r += "<d:propstat><d:prop><d:getetag>" + etag + "</d:getetag>";
        if (!card.isNull())
            r += "<c:address-data>" + QString::fromUtf8(card).toHtmlEscaped().toUtf8() + "</c:address-data>";
        return r + "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
    }
    static QByteArray MultiStatus(const QByteArray &inner, const QByteArray &token = {})
    {
        return "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\">" + inner
               + (token.isEmpty() ? QByteArray() : "<d:sync-token>" + token + "</d:sync-token>") + "</d:multistatus>";
    }

    TDavReply SyncCollection(const QByteArray &body)
    {
        static const QRegularExpression tokenAt(QStringLiteral("<[^>]*sync-token>t(\\d+)<"));
        const QRegularExpressionMatch m = tokenAt.match(QString::fromUtf8(body));
        qsizetype since = -1;
        if (m.hasMatch()) {
            since = m.captured(1).toLongLong();
            if (since < m_forgotten || since > m_log.size())
                return Reply(403, "<?xml version=\"1.0\"?><d:error xmlns:d=\"DAV:\"><d:valid-sync-token/></d:error>");
        }
        QByteArray inner;
        QSet<QByteArray> named;
        for (qsizetype i = since < 0 ? 0 : since; i < m_log.size(); ++i) {
            const QByteArray &path = m_log.at(i);
            if (named.contains(path))
                continue;
            named.insert(path);
            const auto at = Cards.constFind(path);
            if (at != Cards.cend())
                inner += Response(path, 200, at->ETag, QByteArray());
            else if (since >= 0)
                inner += Response(path, 404, {}, {});
        }
        const TDavReply reply = Reply(207, MultiStatus(inner, "t" + QByteArray::number(m_log.size())));
        Land(); // just after the listing
        return reply;
    }

    TDavReply Multiget(const QByteArray &body)
    {
        Land();
        static const QRegularExpression hrefs(QStringLiteral("<[^>]*href>([^<]*)<"));
        QByteArray inner;
        for (const QRegularExpressionMatch &m : hrefs.globalMatch(QString::fromUtf8(body))) {
            const QByteArray path = m.captured(1).toUtf8();
            const auto at = Cards.constFind(path);
            if (Unfetchable.contains(path))
                inner += Response(path, 500, {}, {});
            else if (at == Cards.cend())
                inner += Response(path, 404, {}, {});
            else
                inner += Response(path, 200, at->ETag, at->Body);
        }
        return Reply(207, MultiStatus(inner));
    }

    TDavReply Write(const TDavRequest &q, const QByteArray &path)
    {
        if (BeforeFirstWrite) {
            const auto other = std::move(BeforeFirstWrite);
            BeforeFirstWrite = nullptr;
            other();
        }
        Land();
        const bool dies = m_writes++ == KillAtWrite;
        if (dies && KillLate) {
            m_late = q;
            throw TKilled();
        }
        if (dies && !KillLands)
            throw TKilled();
        QByteArray ifMatch, ifNoneMatch;
        for (const auto &h : q.Headers) {
            if (h.first == "If-Match")
                ifMatch = h.second;
            else if (h.first == "If-None-Match")
                ifNoneMatch = h.second;
        }
        const auto at = Cards.constFind(path);
        TDavReply reply;
        if ((!ifNoneMatch.isEmpty() && at != Cards.cend()) || (!ifMatch.isEmpty() && (at == Cards.cend() || at->ETag != ifMatch))) {
            reply = Reply(412);
        } else if (q.Method == "DELETE") {
            if (at == Cards.cend()) {
                reply = Reply(404);
            } else {
                Remove(path);
                reply = Reply(204);
            }
        } else {
            const bool existed = at != Cards.cend();
            Put(path, q.Body);
            reply = Reply(existed ? 204 : 201, {}, Cards[path].ETag);
        }
        if (dies)
            throw TKilled();
        return reply;
    }

    // A request still on its way when its process died.
    void Land()
    {
        if (m_late.Method.isEmpty())
            return;
        const TDavRequest late = m_late;
        m_late = TDavRequest();
        const qint64 killAt = KillAtWrite;
        KillAtWrite = -1;
        Write(late, late.Url.path(QUrl::FullyEncoded).toUtf8());
        --m_writes;
        KillAtWrite = killAt;
    }

    TDavRequest m_late;
    QList<QByteArray> m_log; // paths in the order they changed; a token is a place in it
    qsizetype m_forgotten = 0;
    qint64 m_etag = 0;
    qint64 m_writes = 0;
};

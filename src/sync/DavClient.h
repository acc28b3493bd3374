#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QNetworkAccessManager;

struct TDavRequest
{
    QByteArray Method; // PROPFIND, REPORT, PUT, DELETE, GET
    QUrl Url;
    QByteArray Depth; // empty for none
    QList<QPair<QByteArray, QByteArray>> Headers;
    QByteArray Body;
    QByteArray ContentType = "application/xml; charset=utf-8";
};

struct TDavReply
{
    bool Sent = false; // false for a request left unsent after a stop
    int Status = 0; // 0 when no answer came
    bool TimedOut = false;
    QString NetworkError; // why no answer came
    QByteArray Body;
    QByteArray ETag;
    QByteArray Location;
    bool TooLarge = false; // cut off at TDavClient::kMaxAnswer
};

// HTTP for the sync over one QNetworkAccessManager: kept-alive connections, basic
// authentication sent with every request (a client without a password sends none), a
// timeout for a server that stops answering. Each call waits in a local event loop, so
// it belongs to a command line run or a worker thread, never to the window's thread.
class TDavClient
{
public:
    // The most one answer may hold: a hundred cards with large photos fit many times over.
    static constexpr qint64 kMaxAnswer = qint64(256) << 20;

    TDavClient(const QString &user, const QString &password, int timeoutMs);
    ~TDavClient();

    TDavReply Send(const TDavRequest &request);
    // Sends all, at most `inFlight` at a time; the replies in the order of the requests.
    // `done` runs as each reply comes, and returning false stops sending more.
    QList<TDavReply> SendAll(const QList<TDavRequest> &requests, int inFlight,
                             const std::function<bool(qsizetype index, const TDavReply &)> &done = {});
    // How many requests were sent (the benchmark reports it).
    qint64 RequestCount() const { return m_sent; }

private:
    std::unique_ptr<QNetworkAccessManager> m_net;
    QByteArray m_authorization;
    int m_timeoutMs;
    qint64 m_sent = 0;
};

#include "sync/DavClient.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <deque>

TDavClient::TDavClient(const QString &user, const QString &password, int timeoutMs)
    : m_net(std::make_unique<QNetworkAccessManager>()), m_timeoutMs(timeoutMs)
{
    // Redirects are followed by the discovery itself, where a method must be kept.
    m_net->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    if (!user.isEmpty() || !password.isEmpty())
        m_authorization = "Basic " + (user.toUtf8() + ':' + password.toUtf8()).toBase64();
}

TDavClient::~TDavClient() = default;

TDavReply TDavClient::Send(const TDavRequest &request)
{
    return SendAll({request}, 1).value(0);
}

QList<TDavReply> TDavClient::SendAll(const QList<TDavRequest> &requests, int inFlight,
                                     const std::function<bool(qsizetype, const TDavReply &)> &done)
{
    QList<TDavReply> replies(requests.size());
    QEventLoop loop;
    qsizetype next = 0;
    int running = 0;
    bool stopped = false;
    std::function<void()> startMore;
    const auto start = [&](qsizetype index) {
        const TDavRequest &r = requests.at(index);
        QNetworkRequest q(r.Url);
        q.setTransferTimeout(m_timeoutMs);
        q.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        if (!m_authorization.isEmpty())
            q.setRawHeader("Authorization", m_authorization);
        if (!r.Depth.isEmpty())
            q.setRawHeader("Depth", r.Depth);
        if (!r.Body.isEmpty() || r.Method == "PUT")
            q.setHeader(QNetworkRequest::ContentTypeHeader, r.ContentType);
        for (const auto &[name, value] : r.Headers)
            q.setRawHeader(name, value);
        replies[index].Sent = true;
        QNetworkReply *reply = m_net->sendCustomRequest(q, r.Method, r.Body);
        ++m_sent;
        ++running;
        // An answer beyond all reason (a broken or hostile server) is cut off, not held.
        QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, index, &replies](qint64 received, qint64) {
            if (received > kMaxAnswer) {
                replies[index].TooLarge = true;
                reply->abort();
            }
        });
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&, reply, index] {
            TDavReply &out = replies[index];
            out.Status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            if (reply->isOpen())
                out.Body = reply->readAll();
            out.ETag = reply->rawHeader("ETag");
            out.Location = reply->rawHeader("Location");
            if (reply->error() == QNetworkReply::OperationCanceledError || reply->error() == QNetworkReply::TimeoutError)
                out.TimedOut = out.Status == 0;
            if (out.Status == 0)
                out.NetworkError = reply->errorString();
            if (out.TooLarge) {
                out.Status = 0;
                out.TimedOut = false;
                out.NetworkError = QStringLiteral("> %1 MB").arg(kMaxAnswer >> 20);
            }
            reply->deleteLater();
            --running;
            if (done && !done(index, out))
                stopped = true;
            startMore();
        });
    };
    startMore = [&] {
        while (!stopped && running < inFlight && next < requests.size())
            start(next++);
        if (running == 0)
            loop.quit();
    };
    startMore();
    if (running > 0)
        loop.exec();
    return replies;
}

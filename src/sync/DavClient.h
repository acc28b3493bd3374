#pragma once

#include "sync/CertificateTrust.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class QSslCertificate;
class QSslError;

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
    TCertificateRefusal Certificate; // why the server's certificate was refused
};

// What the sync asks of a server, behind one port so the whole sync can run against a
// server held in memory.
class IDavTransport
{
public:
    virtual ~IDavTransport() = default;
    virtual TDavReply Send(const TDavRequest &request) = 0;
    // A PROPFIND that follows redirects within the server it was sent to; `finalUrl` gets
    // where the answer came from.
    virtual TDavReply Propfind(const QUrl &url, const QByteArray &depth, const QByteArray &body,
                               QUrl *finalUrl = nullptr) = 0;
    // Sends all, at most `inFlight` at a time; the replies in the order of the requests.
    // `done` runs as each reply comes, and returning false stops sending more.
    virtual QList<TDavReply> SendAll(const QList<TDavRequest> &requests, int inFlight,
                                     const std::function<bool(qsizetype index, const TDavReply &)> &done = {}) = 0;
};

// HTTP for the sync over one QNetworkAccessManager: kept-alive connections, basic
// authentication sent with every request (a client without a password sends none), a
// timeout for a server that stops answering. Each call waits in a local event loop, so
// it belongs to a command line run or a worker thread, never to the window's thread.
// Over https the system's certificates vouch for the server; a certificate they do not
// know is used only when the user trusts it through the port (asked once a run and
// certificate), anything else wrong with one (expired, another server's) refuses it.
class TDavClient : public IDavTransport
{
public:
    // The most one answer may hold: a hundred cards with large photos fit many times over.
    static constexpr qint64 kMaxAnswer = qint64(256) << 20;
    // How many timeouts one answer may take in all, however it trickles in.
    static constexpr int kWholeAnswerTimeouts = 4;

    // Without `trust` every certificate the system does not vouch for is refused.
    TDavClient(const QString &user, const QString &password, int timeoutMs, ICertificateTrust *trust = nullptr);
    ~TDavClient();

    TDavReply Send(const TDavRequest &request) override;
    // A PROPFIND that follows redirects (the well-known address always has one) with the
    // method kept, only within the server it was sent to: the password goes nowhere else.
    // A redirect elsewhere comes back as it is; `finalUrl` gets where the answer came from.
    TDavReply Propfind(const QUrl &url, const QByteArray &depth, const QByteArray &body, QUrl *finalUrl = nullptr) override;
    // Whether a PUT or DELETE was taken: a 207 is a refusal in parts (a server that will not
    // take a UID twice).
    static bool Written(int status) { return status >= 200 && status < 300 && status != 207; }
    QList<TDavReply> SendAll(const QList<TDavRequest> &requests, int inFlight,
                             const std::function<bool(qsizetype index, const TDavReply &)> &done = {}) override;
    // How many requests were sent (the benchmark reports it).
    qint64 RequestCount() const { return m_sent; }

    // The certificate as shown to the user, its fingerprint as `openssl x509 -fingerprint
    // -sha256` prints it.
    static TCertificateInfo Describe(const QUrl &url, const QSslCertificate &certificate);

private:
    // Whether the connection may go on despite `errors`; the refusal when not.
    bool Admit(const QUrl &url, const QSslCertificate &leaf, const QList<QSslError> &errors,
               TCertificateRefusal &refusal);

    std::unique_ptr<QNetworkAccessManager> m_net;
    ICertificateTrust *m_trust;
    // The certificates (server and fingerprint) answered this run, so a few connections
    // at once ask no more than once.
    QSet<QString> m_accepted;
    QSet<QString> m_declined;
    QByteArray m_authorization;
    int m_timeoutMs;
    qint64 m_sent = 0;
};

#include "sync/DavClient.h"

#include "sync/DavUrl.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QTimer>

namespace {

QString DistinguishedName(const QSslCertificate &c, bool issuer)
{
    QStringList parts;
    for (const QByteArray &attribute : issuer ? c.issuerInfoAttributes() : c.subjectInfoAttributes())
        for (const QString &value : issuer ? c.issuerInfo(attribute) : c.subjectInfo(attribute))
            parts << QString::fromLatin1(attribute) + QLatin1Char('=') + value;
    return parts.join(QStringLiteral(", "));
}

// The servers a certificate is made out for.
QString ServerNames(const QSslCertificate &c)
{
    const auto alternative = c.subjectAlternativeNames();
    QStringList names = alternative.values(QSsl::DnsEntry);
    names += alternative.values(QSsl::IpAddressEntry);
    if (names.isEmpty())
        names = c.subjectInfo(QSslCertificate::CommonName);
    return names.join(QStringLiteral(", "));
}

TCertificateProblem ProblemOf(QSslError::SslError e)
{
    switch (e) {
    case QSslError::NoError:
        return TCertificateProblem::None;
    // Only an issuer nobody here vouches for: the user may know better.
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
        return TCertificateProblem::Untrusted;
    case QSslError::CertificateExpired:
        return TCertificateProblem::Expired;
    case QSslError::CertificateNotYetValid:
        return TCertificateProblem::NotYetValid;
    case QSslError::HostNameMismatch:
        return TCertificateProblem::OtherHost;
    case QSslError::CertificateRevoked:
    case QSslError::CertificateBlacklisted:
        return TCertificateProblem::Revoked;
    default:
        return TCertificateProblem::Other;
    }
}

// Which of two faults the user is told of: the one no trust could mend.
int Weight(TCertificateProblem p)
{
    switch (p) {
    case TCertificateProblem::None:
        return 0;
    case TCertificateProblem::Untrusted:
        return 1;
    case TCertificateProblem::Other:
        return 2;
    case TCertificateProblem::OtherHost:
        return 3;
    case TCertificateProblem::NotYetValid:
        return 4;
    case TCertificateProblem::Expired:
        return 5;
    case TCertificateProblem::Revoked:
        return 6;
    }
    return 2;
}

} // namespace

TDavClient::TDavClient(const QString &user, const QString &password, int timeoutMs, ICertificateTrust *trust)
    : m_net(std::make_unique<QNetworkAccessManager>()), m_trust(trust), m_timeoutMs(timeoutMs)
{
    // Redirects are followed by the discovery itself, where a method must be kept.
    m_net->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    if (!user.isEmpty() || !password.isEmpty())
        m_authorization = "Basic " + (user.toUtf8() + ':' + password.toUtf8()).toBase64();
}

TDavClient::~TDavClient() = default;

TCertificateInfo TDavClient::Describe(const QUrl &url, const QSslCertificate &certificate)
{
    TCertificateInfo info;
    info.Host = url.host().toLower();
    info.Port = url.port(443);
    info.Fingerprint = QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
    info.Subject = DistinguishedName(certificate, false);
    info.Issuer = DistinguishedName(certificate, true);
    info.ValidFrom = certificate.effectiveDate();
    info.ValidTo = certificate.expiryDate();
    return info;
}

bool TDavClient::Admit(const QUrl &url, const QSslCertificate &leaf, const QList<QSslError> &errors,
                       TCertificateRefusal &refusal)
{
    refusal = TCertificateRefusal();
    refusal.Certificate = Describe(url, leaf);
    refusal.Names = ServerNames(leaf);
    TCertificateProblem worst = leaf.isNull() ? TCertificateProblem::Other : TCertificateProblem::None;
    for (const QSslError &e : errors) {
        const TCertificateProblem p = ProblemOf(e.error());
        if (p == TCertificateProblem::Other && refusal.Reason.isEmpty())
            refusal.Reason = e.errorString();
        if (Weight(p) > Weight(worst))
            worst = p;
    }
    if (refusal.Reason.isEmpty() && !errors.isEmpty())
        refusal.Reason = errors.first().errorString();
    refusal.Problem = worst;
    if (worst == TCertificateProblem::None)
        return true;
    if (worst != TCertificateProblem::Untrusted)
        return false;
    const TCertificateInfo &info = refusal.Certificate;
    const QString key = info.Host + QLatin1Char(':') + QString::number(info.Port) + QLatin1Char(' ') + info.Fingerprint;
    if (m_accepted.contains(key) || (m_trust && m_trust->Trusted(info.Host, info.Port, info.Fingerprint)))
        return true;
    if (!m_trust || m_declined.contains(key))
        return false;
    if (m_trust->Ask(info) != TTrustAnswer::Trust) {
        m_declined.insert(key);
        return false;
    }
    m_accepted.insert(key);
    m_trust->Remember(info.Host, info.Port, info.Fingerprint);
    return true;
}

TDavReply TDavClient::Send(const TDavRequest &request)
{
    return SendAll({request}, 1).value(0);
}

TDavReply TDavClient::Propfind(const QUrl &url, const QByteArray &depth, const QByteArray &body, QUrl *finalUrl)
{
    QUrl at = url;
    TDavReply reply;
    for (int hop = 0; hop < 5; ++hop) {
        reply = Send({"PROPFIND", at, depth, {}, body});
        if (reply.Status < 300 || reply.Status >= 400 || reply.Location.isEmpty())
            break;
        const QUrl next = DavUrl::Resolved(at, reply.Location);
        if (!DavUrl::SameOrigin(next, url))
            break;
        at = next;
    }
    if (finalUrl)
        *finalUrl = at;
    return reply;
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
        // A server that trickles its answer is never silent long enough for the transfer
        // timeout: an answer as a whole gets a few times that.
        auto *deadline = new QTimer(reply);
        deadline->setSingleShot(true);
        QObject::connect(deadline, &QTimer::timeout, reply, [reply] {
            reply->setProperty("wholeTimedOut", true);
            reply->abort();
        });
        deadline->start(std::max(m_timeoutMs, 1) * kWholeAnswerTimeouts);
        // An answer beyond all reason (a broken or hostile server) is cut off, not held.
        QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, index, &replies](qint64 received, qint64) {
            if (received > kMaxAnswer) {
                replies[index].TooLarge = true;
                reply->abort();
            }
        });
        // Only the errors just weighed are let pass, for this handshake.
        QObject::connect(reply, &QNetworkReply::sslErrors, reply, [this, reply, index, &replies](const QList<QSslError> &errors) {
            QSslCertificate leaf = reply->sslConfiguration().peerCertificate();
            for (qsizetype i = 0; leaf.isNull() && i < errors.size(); ++i)
                leaf = errors.at(i).certificate();
            TCertificateRefusal refusal;
            if (Admit(reply->url(), leaf, errors, refusal))
                reply->ignoreSslErrors(errors);
            else
                replies[index].Certificate = refusal;
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
            if (reply->property("wholeTimedOut").toBool()) {
                out.Status = 0; // what came of it is not the answer
                out.Body.clear();
                out.TimedOut = true;
            }
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

#pragma once

// Real CardDAV servers for the sync tests, each started once per test program on a free
// port of the loopback, and a plain WebDAV client that reads and writes their collections
// beside the program under test (never through it).

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QSslCertificate>
#include <QSslError>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QXmlStreamReader>

namespace DavServers {

// A port nobody listens on at the moment.
inline int FreePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    const int port = probe.serverPort();
    probe.close();
    return port;
}

struct TReply
{
    int Status = 0; // 0: no answer
    QByteArray Body;
    QByteArray ETag;
    QString Error;
};

struct TCard
{
    QByteArray ETag;
    QByteArray Text;
};
// Cards of a collection by the path of their href.
using TCards = QMap<QString, TCard>;

class THttp
{
public:
    THttp() = default;
    THttp(const QString &user, const QString &password, const QSslCertificate &server = QSslCertificate())
        : m_user(user), m_password(password), m_server(server)
    {
    }

    TReply Send(const QByteArray &method, const QUrl &url, const QByteArray &body = {},
                const QList<QPair<QByteArray, QByteArray>> &headers = {}) const
    {
        QNetworkAccessManager nam;
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        if (!m_user.isEmpty())
            request.setRawHeader("Authorization", "Basic " + (m_user + QLatin1Char(':') + m_password).toUtf8().toBase64());
        for (const auto &[name, value] : headers)
            request.setRawHeader(name, value);
        QNetworkReply *reply = nam.sendCustomRequest(request, method, body);
        // The test's own self-signed certificate, and nothing else.
        if (!m_server.isNull())
            reply->ignoreSslErrors({QSslError(QSslError::SelfSignedCertificate, m_server)});
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(15000, &loop, &QEventLoop::quit);
        loop.exec();
        TReply r;
        if (!reply->isFinished()) {
            reply->abort();
            r.Error = QStringLiteral("no answer in 15 s");
        }
        r.Status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        r.Body = reply->readAll();
        r.ETag = reply->rawHeader("ETag");
        if (r.Error.isEmpty() && reply->error() != QNetworkReply::NoError && r.Status == 0)
            r.Error = reply->errorString();
        delete reply;
        return r;
    }

    // A new address book collection at `url` (extended MKCOL, RFC 5689).
    bool MakeAddressBook(const QUrl &url) const
    {
        const TReply r = Send("MKCOL", url,
                              "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                              "<D:mkcol xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop>"
                              "<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>"
                              "<D:displayname>Kontakty</D:displayname>"
                              "</D:prop></D:set></D:mkcol>",
                              {{"Content-Type", "application/xml; charset=utf-8"}});
        return r.Status == 201;
    }

    // A new calendar collection at `url` (extended MKCOL, RFC 5689), holding only the
    // components named (e.g. "VTODO") when any are.
    bool MakeCalendar(const QUrl &url, const QByteArray &component = {}) const
    {
        const QByteArray set = component.isEmpty() ? QByteArray()
                                                   : "<C:supported-calendar-component-set><C:comp name=\"" + component
                                                         + "\"/></C:supported-calendar-component-set>";
        const TReply r = Send("MKCOL", url,
                              "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                              "<D:mkcol xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:set><D:prop>"
                              "<D:resourcetype><D:collection/><C:calendar/></D:resourcetype>"
                              + set + "</D:prop></D:set></D:mkcol>",
                              {{"Content-Type", "application/xml; charset=utf-8"}});
        return r.Status == 201;
    }

    // Writes a card (or, by `type`, an event); returns the status (201/204) and gives its
    // new ETag where the server says it.
    int Put(const QUrl &url, const QByteArray &text, const QByteArray &ifMatch = {}, QByteArray *etag = nullptr,
            const QByteArray &type = "text/vcard; charset=utf-8") const
    {
        QList<QPair<QByteArray, QByteArray>> headers {{"Content-Type", type}};
        if (!ifMatch.isEmpty())
            headers.append({"If-Match", ifMatch});
        const TReply r = Send("PUT", url, text, headers);
        if (etag)
            *etag = r.ETag;
        return r.Status;
    }

    int Delete(const QUrl &url) const { return Send("DELETE", url).Status; }

    // The hrefs (paths) a Depth 1 PROPFIND lists below `collection`, with their ETags.
    // Fails (false) unless the server answers 207 with a readable multistatus.
    bool List(const QUrl &collection, QMap<QString, QByteArray> &etags, QString *error = nullptr) const
    {
        const TReply r = Send("PROPFIND", collection,
                              "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                              "<D:propfind xmlns:D=\"DAV:\"><D:prop><D:getetag/><D:resourcetype/></D:prop></D:propfind>",
                              {{"Depth", "1"}, {"Content-Type", "application/xml; charset=utf-8"}});
        if (r.Status != 207) {
            if (error)
                *error = QStringLiteral("PROPFIND %1: %2 %3").arg(collection.toString()).arg(r.Status).arg(r.Error);
            return false;
        }
        const QString self = collection.path();
        QXmlStreamReader xml(r.Body);
        QString href;
        QByteArray etag;
        bool isCollection = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.namespaceUri() == QLatin1String("DAV:")) {
                if (xml.name() == QLatin1String("response")) {
                    href.clear();
                    etag.clear();
                    isCollection = false;
                } else if (xml.name() == QLatin1String("href") && href.isEmpty()) {
                    href = QUrl(xml.readElementText().trimmed()).path();
                } else if (xml.name() == QLatin1String("getetag")) {
                    etag = xml.readElementText().trimmed().toUtf8();
                } else if (xml.name() == QLatin1String("collection")) {
                    isCollection = true;
                }
            } else if (xml.isEndElement() && xml.name() == QLatin1String("response") && xml.namespaceUri() == QLatin1String("DAV:")) {
                if (!isCollection && href != self && !href.isEmpty())
                    etags.insert(href, etag);
            }
        }
        if (xml.hasError()) {
            if (error)
                *error = QStringLiteral("PROPFIND %1: %2").arg(collection.toString(), xml.errorString());
            return false;
        }
        return true;
    }

    // Every card of a collection with its text as a GET gives it.
    bool Cards(const QUrl &collection, TCards &cards, QString *error = nullptr) const
    {
        QMap<QString, QByteArray> etags;
        if (!List(collection, etags, error))
            return false;
        for (auto it = etags.cbegin(); it != etags.cend(); ++it) {
            QUrl url = collection;
            url.setPath(it.key());
            const TReply r = Send("GET", url);
            if (r.Status != 200) {
                if (error)
                    *error = QStringLiteral("GET %1: %2").arg(url.toString()).arg(r.Status);
                return false;
            }
            cards.insert(it.key(), TCard {r.ETag.isEmpty() ? it.value() : r.ETag, r.Body});
        }
        return true;
    }

private:
    QString m_user, m_password;
    QSslCertificate m_server;
};

enum class EServer { Radicale, Xandikos };

inline const char *ServerName(EServer s) { return s == EServer::Radicale ? "radicale" : "xandikos"; }

// One server process over a temporary storage folder. Radicale asks for a password
// (htpasswd, plain); Xandikos has no authentication.
class TDavServer
{
public:
    explicit TDavServer(EServer kind) : m_kind(kind)
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&m_process, &QProcess::readyRead, [this] { m_log += m_process.readAll(); });
    }
    ~TDavServer() { Stop(); }
    TDavServer(const TDavServer &) = delete;
    TDavServer &operator=(const TDavServer &) = delete;

    EServer Kind() const { return m_kind; }
    const char *Name() const { return ServerName(m_kind); }

    // Why the server cannot run here; empty when it can.
    QString Missing() const
    {
        const char *binary = m_kind == EServer::Radicale ? "/usr/bin/radicale" : "/usr/bin/xandikos";
        if (!QFileInfo(QString::fromLatin1(binary)).isExecutable())
            return QStringLiteral("%1 is not installed (scripts/deps.sh installs it)").arg(QLatin1String(binary));
        return {};
    }

    // Starts on a new free port; an error text when it did not come up.
    QString Start()
    {
        if (!m_dir.isValid())
            return QStringLiteral("no temporary folder");
        m_port = FreePort();
        return Launch();
    }

    // Starts again on the same port and storage, as after a crash.
    QString Restart()
    {
        Stop();
        return Launch();
    }

    void Stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // Gone at once, in the middle of whatever it was doing.
    void Kill()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    // Radicale over https with this certificate and key (PEM files), before Start.
    void UseTls(const QString &certificate, const QString &key)
    {
        m_certificate = certificate;
        m_key = key;
    }

    bool Running() const { return m_process.state() == QProcess::Running; }
    int Port() const { return m_port; }
    // Over https by the name the test certificates are made out for.
    QUrl Root() const
    {
        return QUrl(m_certificate.isEmpty() ? QStringLiteral("http://127.0.0.1:%1/").arg(m_port)
                                            : QStringLiteral("https://localhost:%1/").arg(m_port));
    }
    QString Storage() const { return m_dir.filePath(QStringLiteral("storage")); }

    // The account the test's collections belong to, and a second one whose home holds a
    // single address book for discovery.
    QString User() const { return m_kind == EServer::Radicale ? QStringLiteral("anna") : QString(); }
    QString Password() const { return m_kind == EServer::Radicale ? QStringLiteral("tajne heslo") : QString(); }
    QString DiscoveryUser() const { return m_kind == EServer::Radicale ? QStringLiteral("bedrich") : QString(); }
    QString DiscoveryPassword() const { return m_kind == EServer::Radicale ? QStringLiteral("druhe heslo") : QString(); }

    THttp Http() const
    {
        QSslCertificate server;
        if (!m_certificate.isEmpty()) {
            QFile f(m_certificate);
            if (f.open(QIODevice::ReadOnly))
                server = QSslCertificate(f.readAll());
        }
        return THttp(User(), Password(), server);
    }

    // A fresh, empty address book; an invalid URL when the server refused it.
    QUrl NewCollection(const QString &name) const
    {
        const QString path = m_kind == EServer::Radicale ? QStringLiteral("/anna/%1/").arg(name)
                                                         : QStringLiteral("/user/rows/%1/").arg(name);
        QUrl url = Root();
        url.setPath(path);
        return Http().MakeAddressBook(url) ? url : QUrl();
    }

    // The only address book of the discovery account, which discovery from the root has
    // to find (Xandikos makes its own with --defaults).
    QUrl DiscoveryCollection() const
    {
        QUrl url = Root();
        if (m_kind == EServer::Xandikos) {
            url.setPath(QStringLiteral("/user/contacts/addressbook/"));
            return url;
        }
        url.setPath(QStringLiteral("/bedrich/adresar/"));
        const THttp http(DiscoveryUser(), DiscoveryPassword());
        QMap<QString, QByteArray> existing;
        return http.List(url, existing) || http.MakeAddressBook(url) ? url : QUrl();
    }

    // A fresh, empty calendar beside the address books; an invalid URL when refused.
    QUrl NewCalendar(const QString &name) const
    {
        const QString path = m_kind == EServer::Radicale ? QStringLiteral("/anna/%1/").arg(name)
                                                         : QStringLiteral("/user/rows/%1/").arg(name);
        QUrl url = Root();
        url.setPath(path);
        return Http().MakeCalendar(url) ? url : QUrl();
    }

    // The calendar for events that discovery from the root has to find in the discovery
    // account's home, where a calendar for tasks only comes first by name (Xandikos makes
    // the events' one itself with --defaults).
    QUrl DiscoveryCalendar() const
    {
        const QString home = m_kind == EServer::Radicale ? QStringLiteral("/bedrich/") : QStringLiteral("/user/calendars/");
        const THttp http(DiscoveryUser(), DiscoveryPassword());
        QUrl tasks = Root(), url = Root();
        tasks.setPath(home + QStringLiteral("a-ukoly/"));
        url.setPath(home + (m_kind == EServer::Radicale ? QStringLiteral("kalendar/") : QStringLiteral("calendar/")));
        QMap<QString, QByteArray> existing;
        if (!http.List(tasks, existing) && !http.MakeCalendar(tasks, "VTODO"))
            return {};
        return m_kind == EServer::Xandikos || http.List(url, existing) || http.MakeCalendar(url) ? url : QUrl();
    }

    // Files of the stored cards of a collection, as the server keeps them on disk.
    int StoredCards(const QUrl &collection) const
    {
        const QString folder = m_kind == EServer::Radicale
                                   ? Storage() + QStringLiteral("/collection-root") + collection.path()
                                   : Storage() + collection.path();
        return int(QDir(folder).entryList({QStringLiteral("*.vcf")}, QDir::Files).size());
    }

    QString Log() const { return QString::fromUtf8(m_log); }

private:
    QString Launch()
    {
        m_log.clear();
        QDir().mkpath(Storage());
        QStringList args;
        QString program;
        if (m_kind == EServer::Radicale) {
            const QString users = m_dir.filePath(QStringLiteral("users"));
            QFile u(users);
            if (!u.open(QIODevice::WriteOnly))
                return QStringLiteral("cannot write %1").arg(users);
            u.write("anna:tajne heslo\nbedrich:druhe heslo\n");
            u.close();
            const QString config = m_dir.filePath(QStringLiteral("config"));
            QFile c(config);
            if (!c.open(QIODevice::WriteOnly))
                return QStringLiteral("cannot write %1").arg(config);
            const QString tls = m_certificate.isEmpty()
                                    ? QString()
                                    : QStringLiteral("ssl = True\ncertificate = %1\nkey = %2\n").arg(m_certificate, m_key);
            c.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n%4"
                                   "[auth]\ntype = htpasswd\nhtpasswd_filename = %2\nhtpasswd_encryption = plain\ndelay = 0\n"
                                   "[rights]\ntype = owner_only\n"
                                   "[storage]\nfilesystem_folder = %3\n"
                                   "[web]\ntype = none\n"
                                   "[logging]\nlevel = warning\n")
                        .arg(m_port)
                        .arg(users, Storage(), tls)
                        .toUtf8());
            c.close();
            program = QStringLiteral("/usr/bin/radicale");
            args = {QStringLiteral("-C"), config};
        } else {
            program = QStringLiteral("/usr/bin/xandikos");
            args = {QStringLiteral("--defaults"), QStringLiteral("-d"), Storage(), QStringLiteral("-l"),
                    QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(m_port)};
        }
        m_process.start(program, args);
        if (!m_process.waitForStarted(5000))
            return QStringLiteral("%1 did not start: %2").arg(program, m_process.errorString());
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 15000) {
            QCoreApplication::processEvents();
            if (m_process.state() != QProcess::Running)
                return QStringLiteral("%1 ended: %2").arg(program, Log());
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, quint16(m_port));
            if (probe.waitForConnected(200)) {
                probe.disconnectFromHost();
                return Prepare();
            }
            QThread::msleep(50);
        }
        return QStringLiteral("%1 does not answer on port %2: %3").arg(program).arg(m_port).arg(Log());
    }

    // The parent of the test's collections.
    QString Prepare()
    {
        if (m_kind == EServer::Xandikos) {
            QUrl rows = Root();
            rows.setPath(QStringLiteral("/user/rows/"));
            const int status = Http().Send("MKCOL", rows).Status;
            if (status != 201 && status != 405)
                return QStringLiteral("xandikos refused the folder %1: %2").arg(rows.toString()).arg(status);
        }
        return {};
    }

    EServer m_kind;
    QTemporaryDir m_dir;
    QProcess m_process;
    QByteArray m_log;
    int m_port = 0;
    QString m_certificate, m_key;
};

} // namespace DavServers

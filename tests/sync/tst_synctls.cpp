#include "SyncFixture.h"

#include "interop/VCardMapping.h"
#include "sync/SyncEngine.h"
#include "sync/SyncText.h"
#include "sync/TrustStore.h"

#include "sync/SyncJob.h"
#include "sync/WindowTrust.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace DavServers;
using namespace SyncFixture;

namespace {

// What the user would answer, and what the client asked.
class TScriptedTrust : public ICertificateTrust
{
public:
    static QString Key(const QString &host, int port) { return host + QLatin1Char(':') + QString::number(port); }
    bool Trusted(const QString &host, int port, const QString &fingerprint) const override
    {
        return Kept.value(Key(host, port)) == fingerprint;
    }
    TTrustAnswer Ask(const TCertificateInfo &certificate) override
    {
        Asked << certificate;
        return Answer;
    }
    void Remember(const QString &host, int port, const QString &fingerprint) override
    {
        Kept.insert(Key(host, port), fingerprint);
    }

    TTrustAnswer Answer = TTrustAnswer::Refuse;
    QMap<QString, QString> Kept;
    QList<TCertificateInfo> Asked;
};

enum class TAnswer { NoPort, Refuse, Trust };

} // namespace

class TestSyncTls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void trust_data();
    void trust();
    void commandLine_data();
    void commandLine();
    void windowJob();

private:
    QString Openssl(const QStringList &args);
    QString MakeCertificates();
    QString Fingerprint(const QString &name) const { return m_fingerprints.value(name); }
    TSyncResult Sync(const QUrl &collection, ICertificateTrust *trust, int entries);

    QTemporaryDir m_dir;
    QMap<QString, QString> m_fingerprints; // openssl's, by certificate
    TDavServer m_good {EServer::Radicale};
    TDavServer m_expired {EServer::Radicale};
    int m_row = 0;
};

QString TestSyncTls::Openssl(const QStringList &args)
{
    QProcess p;
    p.setWorkingDirectory(m_dir.path());
    p.start(QStringLiteral("openssl"), args);
    if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("openssl %1: %2").arg(args.join(QLatin1Char(' ')), QString::fromLocal8Bit(p.readAllStandardError()));
    return {};
}

// Two self-signed certificates for localhost, and one for it that ran out in 2020 from a
// test authority (openssl 3.0's x509 cannot date one back, its ca can).
QString TestSyncTls::MakeCertificates()
{
    const QStringList ec {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                          QStringLiteral("ec_paramgen_curve:P-256"), QStringLiteral("-nodes")};
    for (const QString &name : {QStringLiteral("good"), QStringLiteral("other")})
        if (QString e = Openssl(QStringList {QStringLiteral("req"), QStringLiteral("-x509")} + ec
                                + QStringList {QStringLiteral("-keyout"), name + QStringLiteral(".key"), QStringLiteral("-out"),
                                               name + QStringLiteral(".pem"), QStringLiteral("-subj"), QStringLiteral("/O=Vorlink test/CN=localhost"),
                                               QStringLiteral("-addext"), QStringLiteral("subjectAltName=DNS:localhost"),
                                               QStringLiteral("-days"), QStringLiteral("30")});
            !e.isEmpty())
            return e;
    QDir(m_dir.path()).mkpath(QStringLiteral("ca"));
    if (!TestBook::WriteFile(m_dir.filePath(QStringLiteral("ca/index.txt")), {})
        || !TestBook::WriteFile(m_dir.filePath(QStringLiteral("ca/serial")), "01\n")
        || !TestBook::WriteFile(m_dir.filePath(QStringLiteral("ca.cnf")),
                                "[ca]\ndefault_ca = test\n"
                                "[test]\ndatabase = ca/index.txt\nnew_certs_dir = ca\nserial = ca/serial\n"
                                "default_md = sha256\npolicy = any\nx509_extensions = ext\n"
                                "[any]\ncommonName = supplied\n"
                                "[ext]\nsubjectAltName = DNS:localhost\n"))
        return QStringLiteral("cannot write the authority's files");
    for (const QStringList &args :
         {QStringList {QStringLiteral("req"), QStringLiteral("-x509")} + ec
              + QStringList {QStringLiteral("-keyout"), QStringLiteral("ca.key"), QStringLiteral("-out"), QStringLiteral("ca.pem"),
                             QStringLiteral("-subj"), QStringLiteral("/CN=Vorlink test authority"), QStringLiteral("-days"), QStringLiteral("30")},
          QStringList {QStringLiteral("req"), QStringLiteral("-new")} + ec
              + QStringList {QStringLiteral("-keyout"), QStringLiteral("expired.key"), QStringLiteral("-out"), QStringLiteral("expired.csr"),
                             QStringLiteral("-subj"), QStringLiteral("/CN=localhost")},
          QStringList {QStringLiteral("ca"), QStringLiteral("-batch"), QStringLiteral("-notext"), QStringLiteral("-config"), QStringLiteral("ca.cnf"),
                       QStringLiteral("-cert"), QStringLiteral("ca.pem"), QStringLiteral("-keyfile"), QStringLiteral("ca.key"),
                       QStringLiteral("-in"), QStringLiteral("expired.csr"), QStringLiteral("-out"), QStringLiteral("expired.pem"),
                       QStringLiteral("-startdate"), QStringLiteral("20200101000000Z"), QStringLiteral("-enddate"),
                       QStringLiteral("20200201000000Z")}})
        if (QString e = Openssl(args); !e.isEmpty())
            return e;
    for (const QString &name : {QStringLiteral("good"), QStringLiteral("other"), QStringLiteral("expired")}) {
        QProcess p;
        p.setWorkingDirectory(m_dir.path());
        p.start(QStringLiteral("openssl"), {QStringLiteral("x509"), QStringLiteral("-in"), name + QStringLiteral(".pem"),
                                            QStringLiteral("-noout"), QStringLiteral("-fingerprint"), QStringLiteral("-sha256")});
        p.waitForFinished(20000);
        // "sha256 Fingerprint=AB:CD:…"
        const QString line = QString::fromLatin1(p.readAllStandardOutput()).trimmed();
        m_fingerprints.insert(name, line.mid(line.indexOf(QLatin1Char('=')) + 1));
        if (m_fingerprints.value(name).size() != 32 * 3 - 1)
            return QStringLiteral("no fingerprint of %1: %2").arg(name, line);
    }
    return {};
}

void TestSyncTls::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Before anything opens the settings: the trust store the test seeds is the one the
    // command line reads.
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_STATE_HOME", m_dir.filePath(QStringLiteral("state")).toUtf8());
    if (const QString missing = m_good.Missing(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
        QSKIP("openssl is not installed (scripts/deps.sh installs it)");
    const QString made = MakeCertificates();
    QVERIFY2(made.isEmpty(), qPrintable(made));
    m_good.UseTls(m_dir.filePath(QStringLiteral("good.pem")), m_dir.filePath(QStringLiteral("good.key")));
    m_expired.UseTls(m_dir.filePath(QStringLiteral("expired.pem")), m_dir.filePath(QStringLiteral("expired.key")));
    for (TDavServer *s : {&m_good, &m_expired}) {
        const QString started = s->Start();
        QVERIFY2(started.isEmpty(), qPrintable(started));
    }
}

// Uploads a book of `entries` people, as the next run of the program would: a client of
// its own, more requests in flight than one connection carries.
TSyncResult TestSyncTls::Sync(const QUrl &collection, ICertificateTrust *trust, int entries)
{
    TBook book;
    book.Labels = TBookLabels::Defaults();
    for (int i = 1; i <= entries; ++i) {
        TContactRecord r = Person(QStringLiteral("Novák Jan"));
        r.SetText(EField::NazevPolozky, ToCp1250(QStringLiteral("Kontakt %1").arg(i)));
        book.AppendRecord(r);
    }
    const TVCardMapping mapping(book.Labels, TExportOptions());
    TDavClient client(m_good.User(), m_good.Password(), 5000, trust);
    TSyncEngine engine(client, mapping);
    TSyncOptions options;
    options.SaveBook = [] { return true; };
    return engine.Run(book, collection, TSyncState(), options);
}

void TestSyncTls::trust_data()
{
    QTest::addColumn<QString>("server"); // the certificate it shows
    QTest::addColumn<QString>("host"); // the address the client is given
    QTest::addColumn<QString>("kept"); // the certificate trusted for host:port before
    QTest::addColumn<TAnswer>("answer");
    QTest::addColumn<int>("asked");
    QTest::addColumn<TCertificateProblem>("problem"); // None: the sync goes through
    QTest::addColumn<QString>("said"); // a pattern the failure text has to match

    const QString good = QStringLiteral("good"), localhost = QStringLiteral("localhost"), none;
    const auto ok = TCertificateProblem::None;
    const auto untrusted = TCertificateProblem::Untrusted;
    QTest::newRow("unknown, refused") << good << localhost << none << TAnswer::Refuse << 1 << untrusted
                                      << QStringLiteral("není důvěryhodný \\(vydavatel: CN=localhost, O=Vorlink test\\)");
    QTest::newRow("unknown, trusted") << good << localhost << none << TAnswer::Trust << 1 << ok << none;
    QTest::newRow("trusted before") << good << localhost << good << TAnswer::Refuse << 0 << ok << none;
    QTest::newRow("no one to ask") << good << localhost << none << TAnswer::NoPort << 0 << untrusted << QStringLiteral("není důvěryhodný");
    // Never taken for the one trusted before.
    QTest::newRow("another certificate trusted before") << good << localhost << QStringLiteral("other") << TAnswer::Refuse << 1
                                                        << untrusted << QStringLiteral("není důvěryhodný");
    QTest::newRow("another certificate, trusted now") << good << localhost << QStringLiteral("other") << TAnswer::Trust << 1
                                                      << ok << none;
    // Faults no trust mends are refused without asking, even where the certificate is trusted.
    QTest::newRow("made out for another server") << good << QStringLiteral("127.0.0.1") << none << TAnswer::Trust << 0
                                                 << TCertificateProblem::OtherHost
                                                 << QStringLiteral("^Certifikát serveru 127\\.0\\.0\\.1:\\d+ patří jinému serveru \\(localhost\\)");
    QTest::newRow("made out for another server, trusted") << good << QStringLiteral("127.0.0.1") << good << TAnswer::Trust << 0
                                                          << TCertificateProblem::OtherHost << QStringLiteral("patří jinému serveru");
    QTest::newRow("expired") << QStringLiteral("expired") << localhost << none << TAnswer::Trust << 0
                             << TCertificateProblem::Expired << QStringLiteral("^Certifikát serveru localhost:\\d+ vypršel 1\\. 2\\. 2020");
    QTest::newRow("expired, trusted") << QStringLiteral("expired") << localhost << QStringLiteral("expired") << TAnswer::Trust << 0
                                      << TCertificateProblem::Expired << QStringLiteral("vypršel");
}

// The client asks only about a certificate whose sole fault is its unknown issuer, once
// however many connections meet it, showing openssl's fingerprint; what the user trusted
// holds for the next run and for that certificate only. Nothing is written to a server
// that was refused.
void TestSyncTls::trust()
{
    QFETCH(QString, server);
    QFETCH(QString, host);
    QFETCH(QString, kept);
    QFETCH(TAnswer, answer);
    QFETCH(int, asked);
    QFETCH(TCertificateProblem, problem);
    QFETCH(QString, said);

    TDavServer &dav = server == QLatin1String("good") ? m_good : m_expired;
    QUrl collection;
    if (&dav == &m_good) {
        collection = m_good.NewCollection(QStringLiteral("row%1").arg(++m_row));
        QVERIFY(collection.isValid());
    } else {
        collection = dav.Root();
        collection.setPath(QStringLiteral("/anna/kontakty/"));
    }
    collection.setHost(host);
    TScriptedTrust trust;
    trust.Answer = answer == TAnswer::Trust ? TTrustAnswer::Trust : TTrustAnswer::Refuse;
    if (!kept.isEmpty())
        trust.Remember(host, dav.Port(), Fingerprint(kept));
    const QMap<QString, QString> before = trust.Kept;

    constexpr int kEntries = 6;
    const TSyncResult result = Sync(collection, answer == TAnswer::NoPort ? nullptr : &trust, kEntries);
    QCOMPARE(trust.Asked.size(), asked);
    for (const TCertificateInfo &c : trust.Asked) {
        QCOMPARE(c.Fingerprint, Fingerprint(server));
        QCOMPARE(c.Host, host);
        QCOMPARE(c.Port, dav.Port());
        QCOMPARE(c.Subject, QStringLiteral("CN=localhost, O=Vorlink test"));
        QVERIFY(c.ValidFrom <= QDateTime::currentDateTimeUtc() && c.ValidTo > QDateTime::currentDateTimeUtc().addDays(29));
    }
    const QString text = SyncText::Failure(result, 5000);
    if (problem == TCertificateProblem::None) {
        QVERIFY2(result.Failure == TSyncFailure::None, qPrintable(text));
        QCOMPARE(result.Counts.Uploaded, kEntries);
        QCOMPARE(trust.Kept.value(TScriptedTrust::Key(host, dav.Port())), Fingerprint(server));
        // The next run trusts it without asking.
        const TSyncResult again = Sync(collection, &trust, kEntries);
        QVERIFY2(again.Failure == TSyncFailure::None, qPrintable(SyncText::Failure(again, 5000)));
        QCOMPARE(trust.Asked.size(), asked);
        QCOMPARE(m_good.StoredCards(collection), kEntries);
        return;
    }
    QCOMPARE(result.Failure, TSyncFailure::Certificate);
    QCOMPARE(result.Certificate.Problem, problem);
    QCOMPARE(result.Certificate.Certificate.Fingerprint, Fingerprint(server));
    QVERIFY2(QRegularExpression(said).match(text).hasMatch(), qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral("SHA-256: ") + Fingerprint(server) + QLatin1Char('.')), qPrintable(text));
    QCOMPARE(trust.Kept, before);
    if (collection.isValid() && &dav == &m_good)
        QCOMPARE(m_good.StoredCards(collection), 0);
}

void TestSyncTls::commandLine_data()
{
    QTest::addColumn<QString>("kept"); // in the user's trust store for localhost:port
    QTest::addColumn<int>("status");
    QTest::newRow("trusted in the window") << QStringLiteral("good") << 0;
    QTest::newRow("never trusted") << QString() << 1;
    QTest::newRow("another certificate trusted") << QStringLiteral("other") << 1;
}

// The command line asks nobody: it syncs over a certificate trusted in the window (the
// same store), otherwise it refuses, showing the fingerprint and where to trust it, and
// leaves the store as it was.
void TestSyncTls::commandLine()
{
    QFETCH(QString, kept);
    QFETCH(int, status);
    const QUrl collection = m_good.NewCollection(QStringLiteral("cli%1").arg(++m_row));
    QVERIFY(collection.isValid());
    TTrustStore store;
    QVERIFY(store.Forget(QStringLiteral("localhost"), m_good.Port()));
    if (!kept.isEmpty())
        QVERIFY(store.Remember(QStringLiteral("localhost"), m_good.Port(), Fingerprint(kept)));

    const QString dir = m_dir.filePath(QStringLiteral("cli%1").arg(m_row));
    QDir().mkpath(dir);
    const QString book = dir + QStringLiteral("/kniha.WDT");
    QVERIFY(WriteBook(book, {Person(QStringLiteral("Novák Jan")), Person(QStringLiteral("Svobodová Eva"))}));
    const QByteArray bytes = TestBook::ReadFile(book);
    QVERIFY(TestBook::WriteFile(dir + QStringLiteral("/heslo"), "tajne heslo\n"));
    QProcess cli;
    cli.start(QStringLiteral(VORLINK_CLI_PROGRAM),
              {QStringLiteral("sync"), book, QStringLiteral("--url"), collection.toString(), QStringLiteral("--user"),
               QStringLiteral("anna"), QStringLiteral("--password-file"), dir + QStringLiteral("/heslo")});
    QVERIFY(cli.waitForFinished(20000));
    const QString out = QString::fromUtf8(cli.readAllStandardOutput());
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    QVERIFY2(cli.exitCode() == status, qPrintable(QStringLiteral("exit %1\n%2%3").arg(cli.exitCode()).arg(out, err)));
    QCOMPARE(store.Fingerprint(QStringLiteral("localhost"), m_good.Port()), kept.isEmpty() ? QString() : Fingerprint(kept));
    if (status == 0) {
        QCOMPARE(SummaryCounts(out), Counts(QStringLiteral("2 0 0 0 0")));
        QCOMPARE(m_good.StoredCards(collection), 2);
        return;
    }
    QVERIFY2(err.contains(Fingerprint(QStringLiteral("good"))), qPrintable(err));
    QVERIFY2(err.contains(QStringLiteral("Nastavení → Synchronizace")), qPrintable(err));
    QCOMPARE(TestBook::ReadFile(book), bytes);
    QCOMPARE(m_good.StoredCards(collection), 0);
}

// The window's run: the sync on a thread of its own asks the window's thread about the
// certificate and waits for the answer; what was trusted is in the store for the next run.
void TestSyncTls::windowJob()
{
    const QUrl collection = m_good.NewCollection(QStringLiteral("okno"));
    QVERIFY(collection.isValid());
    TTrustStore store(m_dir.filePath(QStringLiteral("window-trust.ini")));
    // Another certificate was trusted for the server before: the question names it.
    QVERIFY(store.Remember(QStringLiteral("localhost"), m_good.Port(), Fingerprint(QStringLiteral("other"))));
    QList<TCertificateInfo> asked;
    QStringList before;
    TWindowTrust trust(store, [&](const TCertificateInfo &c, const QString &trustedBefore) {
        // Asked where the window lives.
        if (QThread::currentThread() == qApp->thread())
            asked << c;
        before << trustedBefore;
        return true;
    });
    TBook book;
    book.Labels = TBookLabels::Defaults();
    book.AppendRecord(Person(QStringLiteral("Novák Jan")));
    const TVCardMapping mapping(book.Labels, TExportOptions());
    for (int run = 0; run < 2; ++run) {
        TSyncJob::TInput input;
        input.BookPath = m_dir.filePath(QStringLiteral("okno.WDT"));
        input.Server = collection;
        input.User = m_good.User();
        input.Password = m_good.Password();
        input.TimeoutMs = 5000;
        input.Trust = &trust;
        TSyncJob job(book, input, mapping, {}, [](TBook &) { return true; });
        QEventLoop loop;
        connect(&job, &TSyncJob::Done, &loop, &QEventLoop::quit);
        job.Start();
        if (!job.Finished())
            loop.exec();
        QVERIFY2(job.Result().Failure == TSyncFailure::None, qPrintable(SyncText::Failure(job.Result(), 5000)));
        QCOMPARE(asked.size(), 1);
    }
    QCOMPARE(asked.first().Fingerprint, Fingerprint(QStringLiteral("good")));
    QCOMPARE(before, QStringList {Fingerprint(QStringLiteral("other"))});
    QCOMPARE(store.Fingerprint(QStringLiteral("localhost"), m_good.Port()), Fingerprint(QStringLiteral("good")));
    QCOMPARE(m_good.StoredCards(collection), 1);
}

QTEST_GUILESS_MAIN(TestSyncTls)
#include "tst_synctls.moc"


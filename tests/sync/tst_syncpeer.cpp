#include "SyncFixture.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace DavServers;
using namespace SyncFixture;

namespace {

struct TTool
{
    int Status = -1;
    QString Out, Err;
};

TTool Tool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(program, args);
    TTool t;
    if (p.waitForFinished(60000))
        t.Status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    t.Out = QString::fromUtf8(p.readAllStandardOutput());
    t.Err = QString::fromUtf8(p.readAllStandardError());
    return t;
}

// The card a phone adds on its side, with a photo and a setting of its own.
const QByteArray kPeerCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:peer-kucera-1\r\n"
                             "FN:Ku\xc4\x8d" "era Adam\r\nN:Ku\xc4\x8d" "era;Adam;;;\r\n"
                             "TEL;TYPE=CELL:+420 731 222 333\r\n"
                             "X-VORLINK-NAMEDAY:24.12.\r\n"
                             "PHOTO;ENCODING=b;TYPE=JPEG:" + Photo() + "\r\n"
                             "X-PHONE-THING:ringtone=3\r\n"
                             "END:VCARD\r\n";

} // namespace

class TestSyncPeer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void bookAndPeer();

private:
    TTool Vdirsyncer(const char *command) { return Tool(m_vdirsyncer, {QStringLiteral("-c"), m_vdirConf, QString::fromLatin1(command)}); }
    TTool Khard(const QStringList &args) { return Tool(m_khard, QStringList {QStringLiteral("-c"), m_khardConf} + args); }
    QString KhardCard(const QString &search);

    QTemporaryDir m_dir;
    TDavServer m_radicale {EServer::Radicale};
    QUrl m_collection;
    QString m_vdirsyncer, m_khard, m_vdirConf, m_khardConf, m_vdir;
};

void TestSyncPeer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_vdirsyncer = QStandardPaths::findExecutable(QStringLiteral("vdirsyncer"));
    m_khard = QStandardPaths::findExecutable(QStringLiteral("khard"));
    if (m_vdirsyncer.isEmpty() || m_khard.isEmpty())
        QSKIP("vdirsyncer or khard is not installed (scripts/deps.sh installs them)");
    if (const QString missing = m_radicale.Missing(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    const QString started = m_radicale.Start();
    QVERIFY2(started.isEmpty(), qPrintable(started));
    m_collection = m_radicale.NewCollection(QStringLiteral("sdilene"));
    QVERIFY(m_collection.isValid());

    qputenv("XDG_STATE_HOME", m_dir.filePath(QStringLiteral("state")).toUtf8());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("VORLINK_SYNC_TIMEOUT_MS", "10000");
    QVERIFY(TestBook::WriteFile(m_dir.filePath(QStringLiteral("heslo")), "tajne heslo\n"));
    m_vdir = m_dir.filePath(QStringLiteral("vdir"));
    QVERIFY(QDir().mkpath(m_vdir));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("vdirsyncer"))));
    // The peer's configuration: its collection by its URL, the password from the same file.
    m_vdirConf = m_dir.filePath(QStringLiteral("vdirsyncer.conf"));
    QVERIFY(TestBook::WriteFile(m_vdirConf, QStringLiteral(
        "[general]\nstatus_path = \"%1/\"\n\n"
        "[pair kontakty]\na = \"server\"\nb = \"telefon\"\ncollections = null\nconflict_resolution = \"a wins\"\n\n"
        "[storage server]\ntype = \"carddav\"\nurl = \"%2\"\nusername = \"anna\"\n"
        "password.fetch = [\"command\", \"head\", \"-n1\", \"%3\"]\n\n"
        "[storage telefon]\ntype = \"filesystem\"\npath = \"%4/\"\nfileext = \".vcf\"\n")
        .arg(m_dir.filePath(QStringLiteral("vdirsyncer")), m_collection.toString(), m_dir.filePath(QStringLiteral("heslo")), m_vdir)
        .toUtf8()));
    m_khardConf = m_dir.filePath(QStringLiteral("khard.conf"));
    QVERIFY(TestBook::WriteFile(m_khardConf, QStringLiteral(
        "[addressbooks]\n[[telefon]]\npath = %1\n"
        "[general]\ndefault_action = list\neditor = /bin/false\nmerge_editor = /bin/false\n"
        "[contact table]\ndisplay = formatted_name\nsort = formatted_name\n"
        "[vcard]\nprivate_objects = VORLINK-NAMEDAY, PHONE-THING\n")
        .arg(m_vdir)
        .toUtf8()));
    const TTool discovered = Vdirsyncer("discover");
    QVERIFY2(discovered.Status == 0, qPrintable(discovered.Out + discovered.Err));
}

// What khard shows of the one card a search finds.
QString TestSyncPeer::KhardCard(const QString &search)
{
    const TTool shown = Khard({QStringLiteral("show"), QStringLiteral("--format"), QStringLiteral("yaml"), search});
    return shown.Status == 0 ? shown.Out : QStringLiteral("<khard failed: %1>").arg(shown.Err);
}

// A second client on the same collection: the book's entries reach it with their numbers
// and name days; its own edits (a number added, a card with a photo, a card removed)
// reach the book; a book edit of its card comes back with the photo and its own setting.
void TestSyncPeer::bookAndPeer()
{
    const QString book = m_dir.filePath(QStringLiteral("kniha.WDT"));
    QVERIFY(WriteBook(book, {Person(QStringLiteral("Novák Jan")), Person(QStringLiteral("Svobodová Eva"))}));
    const QStringList args {book, QStringLiteral("--url"), m_collection.toString(), QStringLiteral("--user"), QStringLiteral("anna"),
                            QStringLiteral("--password-file"), m_dir.filePath(QStringLiteral("heslo"))};
    TRun run = RunSync(args);
    QVERIFY2(run.Status == 0, qPrintable(run.Out + run.Err));
    QCOMPARE(run.Counts, (QList<int> {2, 0, 0, 0, 0}));

    // The book on the peer.
    TTool synced = Vdirsyncer("sync");
    QVERIFY2(synced.Status == 0, qPrintable(synced.Out + synced.Err));
    TTool listed = Khard({QStringLiteral("list"), QStringLiteral("--parsable")});
    QVERIFY2(listed.Status == 0, qPrintable(listed.Err));
    QStringList names;
    for (const QString &line : listed.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        names << line.section(QLatin1Char('\t'), 1, 1);
    names.sort();
    QCOMPARE(names, (QStringList {QStringLiteral("Novák Jan"), QStringLiteral("Svobodová Eva")}));
    const TTool phones = Khard({QStringLiteral("phone"), QStringLiteral("--parsable")});
    QVERIFY(phones.Out.contains(QStringLiteral("+420 602 123 456\tNovák Jan\t")));
    QVERIFY(phones.Out.contains(QStringLiteral("+420 2 24681357\tSvobodová Eva\t")));
    const QString novak = KhardCard(QStringLiteral("Novák"));
    QVERIFY2(novak.contains(QStringLiteral("VORLINK-NAMEDAY: 24.06.")), qPrintable(novak));
    QVERIFY2(novak.contains(QStringLiteral("Last name: Novák")) && novak.contains(QStringLiteral("First name: Jan")), qPrintable(novak));
    QVERIFY2(novak.contains(QStringLiteral("Birthday: '1961-03-05'")), qPrintable(novak));
    QVERIFY2(KhardCard(QStringLiteral("Svobodová")).contains(QStringLiteral("VORLINK-NAMEDAY: 24.12.")), qPrintable(KhardCard(QStringLiteral("Svobodová"))));

    // The peer's edits.
    const TTool file = Khard({QStringLiteral("filename"), QStringLiteral("Novák")});
    const QString novakFile = file.Out.trimmed();
    QVERIFY2(QFileInfo::exists(novakFile), qPrintable(file.Out + file.Err));
    QByteArray text = TestBook::ReadFile(novakFile);
    text.replace("END:VCARD", "TEL;TYPE=HOME:+420 2 33334444\r\nEND:VCARD");
    QVERIFY(TestBook::WriteFile(novakFile, text));
    QVERIFY(TestBook::WriteFile(m_vdir + QStringLiteral("/peer-kucera-1.vcf"), kPeerCard));
    const TTool removed = Khard({QStringLiteral("remove"), QStringLiteral("--force"), QStringLiteral("Svobodová")});
    QVERIFY2(removed.Status == 0, qPrintable(removed.Out + removed.Err));
    synced = Vdirsyncer("sync");
    QVERIFY2(synced.Status == 0, qPrintable(synced.Out + synced.Err));

    run = RunSync(args);
    QVERIFY2(run.Status == 0, qPrintable(run.Out + run.Err));
    QCOMPARE(run.Counts, (QList<int> {0, 2, 0, 1, 0}));
    QList<TContactRecord> records = ReadBook(book);
    QCOMPARE(BookNames(records), (QStringList {QStringLiteral("Kučera Adam"), QStringLiteral("Novák Jan")}));
    const TContactRecord *jan = Find(records, QStringLiteral("Novák Jan"));
    // The home number goes to the first home group; the mobile stays where it was.
    QCOMPARE(Field(*jan, PhoneField(1, 0)), QStringLiteral("420"));
    QCOMPARE(Field(*jan, PhoneField(1, 2)), QStringLiteral("2 33334444"));
    QCOMPARE(Field(*jan, PhoneField(9, 2)), QStringLiteral("602 123 456"));
    QCOMPARE(Field(*jan, EField::Svatek), QStringLiteral("24.06."));
    const TContactRecord *adam = Find(records, QStringLiteral("Kučera Adam"));
    QCOMPARE(Field(*adam, EField::Prijmeni), QStringLiteral("Kučera"));
    QCOMPARE(Field(*adam, PhoneField(9, 2)), QStringLiteral("731 222 333"));
    QCOMPARE(Field(*adam, EField::Svatek), QStringLiteral("24.12."));

    // A book edit of the peer's card comes back whole.
    TContactRecord header;
    TBook b;
    QCOMPARE(BookFile::Read(book, header, b), TBookFileError::None);
    TContactRecord *edited = b.FindByName(ToCp1250(QStringLiteral("Kučera Adam")));
    edited->SetText(PhoneField(9, 2), "731 555 666");
    edited->SetText(EField::Svatek, "25.12.");
    QCOMPARE(BookFile::Write(book, header, b), TBookFileError::None);
    run = RunSync(args);
    QVERIFY2(run.Status == 0, qPrintable(run.Out + run.Err));
    QCOMPARE(run.Counts, (QList<int> {1, 0, 0, 0, 0}));
    synced = Vdirsyncer("sync");
    QVERIFY2(synced.Status == 0, qPrintable(synced.Out + synced.Err));
    const QString adamShown = KhardCard(QStringLiteral("Kučera"));
    // The number keeps the type as the phone wrote it.
    QVERIFY2(adamShown.contains(QStringLiteral("CELL: +420 731 555 666")), qPrintable(adamShown));
    QVERIFY2(!adamShown.contains(QStringLiteral("731 222 333")), qPrintable(adamShown));
    QVERIFY2(adamShown.contains(QStringLiteral("VORLINK-NAMEDAY: 25.12.")), qPrintable(adamShown));
    QVERIFY2(adamShown.contains(QStringLiteral("PHONE-THING: ringtone=3")), qPrintable(adamShown));
    const QList<TProp> card = ParseCard(TestBook::ReadFile(m_vdir + QStringLiteral("/peer-kucera-1.vcf")));
    QCOMPARE(Values(card, "PHOTO"), QStringList {QString::fromLatin1(Photo())});
    QCOMPARE(Value(card, "UID"), QStringLiteral("peer-kucera-1"));
    QCOMPARE(TestBook::FilesIn(m_vdir).size(), 2);
}

QTEST_GUILESS_MAIN(TestSyncPeer)
#include "tst_syncpeer.moc"

#include "SyncFixture.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace DavServers;
using namespace SyncFixture;

namespace {

// One story of a book and a collection. Steps run in order before the checked sync:
//   sync                              a sync that has to end with 0
//   book|set|NAME|FIELD=VALUE         a field of an entry changed (FIELD as the record names it)
//   book|rename|OLD|NEW, book|delete|NAME, book|add|NAME
//   server|replace|FN|OLD|NEW         the card's text changed as another client would
//   server|delete|FN, server|put|FN   (a phone's card)
//   state|forget                      the book copied to a computer that never synced it
// Books after: "NAME|FIELD=VALUE|…"; cards after: "FN|PROP=VALUE|…|@same=FN" (the card
// still at the href and with the UID the card of that FN had before the checked sync).
struct TScenario
{
    const char *Name;
    QStringList Book;  // entries at the start
    QStringList Cards; // "phone:FN" or "export:NAME" (the card `vorlink-cli export` writes)
    QStringList Steps;
    QStringList Options;
    int Status;
    const char *Counts; // uploaded, downloaded, deleted on the server, deleted in the book, conflicts
    QStringList BookAfter;
    QStringList CardsAfter;
    bool DryRunFirst = false; // the checked sync runs with --dry-run first, which changes nothing
    bool Discovery = false;   // from the server's root, on the account whose home holds one book
};

const QString kNovak = QStringLiteral("Novák Jan");
const QString kEva = QStringLiteral("Svobodová Eva");
const QString kPetr = QStringLiteral("Dvořák Petr");
const QString kMarie = QStringLiteral("Černá Marie");
const QString kTomas = QStringLiteral("Horák Tomáš");

// The changes both sides make in the conflict stories: Novák's number in both, Eva's name
// day only in the book.
const QStringList kBothChanged {
    QStringLiteral("sync"),
    QStringLiteral("book|set|Novák Jan|Telefon9=603 111 111"),
    QStringLiteral("server|replace|Novák Jan|602 123 456|604 222 222"),
    QStringLiteral("book|set|Svobodová Eva|Svatek=25.12."),
};

const QList<TScenario> &Scenarios()
{
    static const QList<TScenario> s {
        {"first sync into an empty collection", {kNovak, kEva, kPetr}, {}, {}, {}, 0, "3 0 0 0 0",
         {kNovak, kEva, kPetr},
         {QStringLiteral("Novák Jan|X-VORLINK-NAMEDAY=24.06."), QStringLiteral("Svobodová Eva|X-VORLINK-NAMEDAY=24.12."), kPetr},
         true},
        {"empty book from a full collection", {}, {QStringLiteral("phone:Černá Marie"), QStringLiteral("phone:Horák Tomáš")}, {}, {}, 0,
         "0 2 0 0 0",
         {QStringLiteral("Černá Marie|Prijmeni=Černá|Jmeno=Marie|Svatek=15.08.|VStatu9=420|Telefon9=777 888 999"),
          QStringLiteral("Horák Tomáš|Narozeniny=30.11.1975|Email=tomas@example.cz|VStatu1=420")},
         {kMarie, kTomas}, true},
        {"book copy with two people of one name", {}, {QStringLiteral("phone:Černá Marie")},
         {QStringLiteral("sync"), QStringLiteral("server|twin|Černá Marie"), QStringLiteral("sync"), QStringLiteral("state|forget")}, {}, 0,
         "0 0 0 0 0", {QStringLiteral("Černá Marie|Telefon9=777 888 999"), QStringLiteral("Černá Marie (2)|Telefon9=733 111 222")},
         {kMarie, kMarie}},
        {"exported cards pair with their entries", {kNovak, kEva}, {QStringLiteral("export:Novák Jan"), QStringLiteral("export:Svobodová Eva")},
         {}, {}, 0, "0 0 0 0 0", {kNovak, kEva}, {kNovak, kEva}},
        {"book copy pairs with its own cards", {kNovak, kEva}, {QStringLiteral("phone:Černá Marie")}, {QStringLiteral("sync"), QStringLiteral("state|forget")},
         {}, 0, "0 0 0 0 0", {kNovak, kEva, kMarie}, {kNovak, kEva, kMarie}},
        {"nothing changed", {kNovak, kEva}, {QStringLiteral("phone:Černá Marie")}, {QStringLiteral("sync")}, {}, 0, "0 0 0 0 0",
         {kNovak, kEva, kMarie}, {kNovak, kEva, kMarie}, true},
        {"book edit keeps what the phone wrote", {}, {QStringLiteral("phone:Černá Marie")},
         {QStringLiteral("sync"), QStringLiteral("book|set|Černá Marie|Telefon9=777 000 111"), QStringLiteral("book|set|Černá Marie|Svatek=16.08.")},
         {}, 0, "1 0 0 0 0", {QStringLiteral("Černá Marie|Telefon9=777 000 111")},
         {QStringLiteral("Černá Marie|TEL=+420 777 000 111|X-VORLINK-NAMEDAY=16.08.|PHOTO=%1|X-PHONE-THING=ringtone=7|IMPP=xmpp:marie@example.cz|@same=Černá Marie")
              .arg(QLatin1String(Photo()))}},
        {"server edit comes down", {kNovak}, {},
         {QStringLiteral("sync"), QStringLiteral("server|replace|Novák Jan|602 123 456|604 000 111"), QStringLiteral("server|replace|Novák Jan|24.06.|25.06.")},
         {}, 0, "0 1 0 0 0", {QStringLiteral("Novák Jan|VStatu9=420|Telefon9=604 000 111|Svatek=25.06.")}, {kNovak}, true},
        {"rename keeps the card", {kNovak, kEva}, {QStringLiteral("phone:Černá Marie")},
         {QStringLiteral("sync"), QStringLiteral("book|rename|Novák Jan|Novák Jan ml."), QStringLiteral("book|rename|Černá Marie|Marie Černá")},
         {}, 0, "2 0 0 0 0", {QStringLiteral("Novák Jan ml."), kEva, QStringLiteral("Marie Černá")},
         {QStringLiteral("Novák Jan ml.|@same=Novák Jan"), kEva,
          QStringLiteral("Marie Černá|@same=Černá Marie|PHOTO=%1|X-PHONE-THING=ringtone=7").arg(QLatin1String(Photo()))}},
        {"deleted in the book", {kNovak, kEva}, {QStringLiteral("phone:Černá Marie")},
         {QStringLiteral("sync"), QStringLiteral("book|delete|Svobodová Eva"), QStringLiteral("book|delete|Černá Marie")},
         {}, 0, "0 0 2 0 0", {kNovak}, {kNovak}, true},
        {"deleted on the server", {kNovak, kEva}, {QStringLiteral("phone:Černá Marie")},
         {QStringLiteral("sync"), QStringLiteral("server|delete|Svobodová Eva"), QStringLiteral("server|delete|Černá Marie")},
         {}, 0, "0 0 0 2 0", {kNovak}, {kNovak}},
        {"new on both sides", {kNovak}, {},
         {QStringLiteral("sync"), QStringLiteral("book|add|Dvořák Petr"), QStringLiteral("server|put|Horák Tomáš")},
         {}, 0, "1 1 0 0 0", {kNovak, kPetr, kTomas}, {kNovak, kPetr, kTomas}, true},
        {"changed on both sides", {kNovak, kEva}, {}, kBothChanged, {}, 3, "1 0 0 0 1",
         {QStringLiteral("Novák Jan|Telefon9=603 111 111"), QStringLiteral("Svobodová Eva|Svatek=25.12.")},
         {QStringLiteral("Novák Jan|TEL=+420 604 222 222|@same=Novák Jan"), QStringLiteral("Svobodová Eva|X-VORLINK-NAMEDAY=25.12.")}, true},
        {"changed on both sides, server preferred", {kNovak, kEva}, {}, kBothChanged, {QStringLiteral("--prefer"), QStringLiteral("server")}, 0,
         "1 1 0 0 0", {QStringLiteral("Novák Jan|Telefon9=604 222 222"), QStringLiteral("Svobodová Eva|Svatek=25.12.")},
         {QStringLiteral("Novák Jan|TEL=+420 604 222 222|@same=Novák Jan"), kEva}},
        {"changed on both sides, book preferred", {kNovak, kEva}, {}, kBothChanged, {QStringLiteral("--prefer"), QStringLiteral("local")}, 0,
         "2 0 0 0 0", {QStringLiteral("Novák Jan|Telefon9=603 111 111"), kEva},
         {QStringLiteral("Novák Jan|TEL=+420 603 111 111|@same=Novák Jan"), kEva}, true},
        {"first sync, same name, different number", {kNovak}, {QStringLiteral("export:Novák Jan")},
         {QStringLiteral("server|replace|Novák Jan|602 123 456|608 999 999")}, {}, 3, "0 0 0 0 1",
         {QStringLiteral("Novák Jan|Telefon9=602 123 456")}, {QStringLiteral("Novák Jan|TEL=+420 608 999 999")}},
        {"discovery from the root", {kNovak}, {}, {}, {}, 0, "1 0 0 0 0", {kNovak}, {kNovak}, false, true},
    };
    return s;
}

} // namespace

Q_DECLARE_METATYPE(const TScenario *)

class TestSyncServers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void scenarios_data();
    void scenarios();

private:
    TDavServer *Server(const QString &name);
    QByteArray ExportedCard(const QString &name);
    void ApplyStep(const QString &step, const THttp &http, const QUrl &collection, const QString &book,
                   const QStringList &syncArgs);

    QTemporaryDir m_dir;
    std::unique_ptr<TDavServer> m_radicale, m_xandikos;
    QString m_radicaleError, m_xandikosError;
    int m_row = 0;
};

void TestSyncServers::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("VORLINK_SYNC_TIMEOUT_MS", "10000");
    m_radicale = std::make_unique<TDavServer>(EServer::Radicale);
    m_xandikos = std::make_unique<TDavServer>(EServer::Xandikos);
    for (auto [server, error] : {std::pair {m_radicale.get(), &m_radicaleError}, std::pair {m_xandikos.get(), &m_xandikosError}}) {
        *error = server->Missing();
        if (error->isEmpty())
            *error = server->Start();
    }
}

void TestSyncServers::cleanupTestCase()
{
    m_radicale.reset();
    m_xandikos.reset();
}

TDavServer *TestSyncServers::Server(const QString &name)
{
    return name == QLatin1String("radicale") ? m_radicale.get() : m_xandikos.get();
}

// The card the export command writes for an entry of the cast.
QByteArray TestSyncServers::ExportedCard(const QString &name)
{
    const QString book = m_dir.filePath(QStringLiteral("export.WDT"));
    const QString target = m_dir.filePath(QStringLiteral("export.vcf"));
    if (!WriteBook(book, {Person(name)}))
        return {};
    QString o, e;
    QTextStream outs(&o), errs(&e);
    if (RunCli({QStringLiteral("vorlink-cli"), QStringLiteral("export"), book, QStringLiteral("-o"), target,
                QStringLiteral("--format"), QStringLiteral("vcard3")},
               outs, errs)
        != 0)
        return {};
    return TestBook::ReadFile(target);
}

void TestSyncServers::scenarios_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<const TScenario *>("scenario");
    for (const TScenario &s : Scenarios())
        for (const char *server : {"radicale", "xandikos"})
            QTest::addRow("%s/%s", s.Name, server) << QString::fromLatin1(server) << &s;
}

void TestSyncServers::ApplyStep(const QString &step, const THttp &http, const QUrl &collection, const QString &book,
                                const QStringList &syncArgs)
{
    const QStringList p = step.split(QLatin1Char('|'));
    if (p[0] == QLatin1String("sync")) {
        const TRun run = RunSync(syncArgs);
        QVERIFY2(run.Status == 0, qPrintable(QStringLiteral("sync before the checked one: %1\n%2%3").arg(run.Status).arg(run.Out, run.Err)));
    } else if (p[0] == QLatin1String("state")) {
        QVERIFY(QDir(QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME"))).removeRecursively());
    } else if (p[0] == QLatin1String("book")) {
        TContactRecord header;
        TBook b;
        QCOMPARE(BookFile::Read(book, header, b), TBookFileError::None);
        TContactRecord *r = p[1] == QLatin1String("add") ? nullptr : b.FindByName(ToCp1250(p[2]));
        QVERIFY2(r || p[1] == QLatin1String("add"), qPrintable(step));
        if (p[1] == QLatin1String("set")) {
            const qsizetype eq = p[3].indexOf(QLatin1Char('='));
            const int field = FieldIndexByName(p[3].left(eq).toLatin1());
            QVERIFY2(field >= 0, qPrintable(step));
            r->SetText(EField(field), ToCp1250(p[3].mid(eq + 1)));
        } else if (p[1] == QLatin1String("rename")) {
            r->SetText(EField::NazevPolozky, ToCp1250(p[3]));
            b.NamesChanged();
        } else if (p[1] == QLatin1String("delete")) {
            b.RemoveRecord(b.IndexOf(r));
        } else {
            b.AppendRecord(Person(p[2]));
        }
        QCOMPARE(BookFile::Write(book, header, b), TBookFileError::None);
    } else {
        TCards cards;
        QString error;
        QVERIFY2(http.Cards(collection, cards, &error), qPrintable(error));
        QUrl url = collection;
        if (p[1] == QLatin1String("put") || p[1] == QLatin1String("twin")) {
            QByteArray card = PhoneCard(p[2]);
            if (p[1] == QLatin1String("twin")) {
                // Another person of the same name: a card of its own, another number.
                card.replace(UidOf(card).toUtf8(), "twin-" + UidOf(card).toUtf8());
                card.replace("+420 777 888 999", "+420 733 111 222");
            }
            url.setPath(collection.path() + UidOf(card) + QStringLiteral(".vcf"));
            QCOMPARE(http.Put(url, card), 201);
            return;
        }
        const QString href = HrefsByName(cards).value(p[2]);
        QVERIFY2(!href.isEmpty(), qPrintable(step + QStringLiteral(": no such card")));
        url.setPath(href);
        if (p[1] == QLatin1String("delete")) {
            QVERIFY(QList<int>({200, 204}).contains(http.Delete(url)));
        } else {
            QByteArray text = cards[href].Text;
            QVERIFY2(text.contains(p[3].toUtf8()), text.constData());
            text.replace(p[3].toUtf8(), p[4].toUtf8());
            const int status = http.Put(url, text, cards[href].ETag);
            QVERIFY2(status == 204 || status == 200 || status == 201, qPrintable(QString::number(status)));
        }
    }
}

// A book and a collection through a story of edits: the checked sync's exit status and
// summary, then both sides field by field: no entry or card twice, edits in place (same
// href, same UID), what the program does not map kept on the card, and with status 0 every
// entry agreeing with its card. A second run afterwards finds nothing more to do.
void TestSyncServers::scenarios()
{
    QFETCH(QString, server);
    QFETCH(const TScenario *, scenario);
    const TScenario &s = *scenario;
    const QString &error = server == QLatin1String("radicale") ? m_radicaleError : m_xandikosError;
    if (!error.isEmpty())
        QSKIP(qPrintable(error));
    TDavServer &dav = *Server(server);
    const THttp http = s.Discovery ? THttp(dav.DiscoveryUser(), dav.DiscoveryPassword()) : dav.Http();

    const QString rowDir = m_dir.filePath(QStringLiteral("row%1").arg(++m_row));
    QVERIFY(QDir().mkpath(rowDir));
    const QString stateHome = rowDir + QStringLiteral("/state");
    qputenv("XDG_STATE_HOME", stateHome.toUtf8());
    qputenv("XDG_CONFIG_HOME", (rowDir + QStringLiteral("/config")).toUtf8());

    const QUrl collection = s.Discovery ? dav.DiscoveryCollection() : dav.NewCollection(QStringLiteral("r%1").arg(m_row));
    QVERIFY2(collection.isValid(), qPrintable(dav.Log()));
    const QString book = rowDir + QStringLiteral("/kniha.WDT");
    QList<TContactRecord> entries;
    for (const QString &name : s.Book)
        entries << Person(name);
    QVERIFY(WriteBook(book, entries));
    for (const QString &c : s.Cards) {
        const QByteArray text = c.startsWith(QLatin1String("phone:")) ? PhoneCard(c.mid(6)) : ExportedCard(c.mid(7));
        QVERIFY2(!text.isEmpty(), qPrintable(c));
        QUrl url = collection;
        url.setPath(collection.path() + UidOf(text) + QStringLiteral(".vcf"));
        QCOMPARE(http.Put(url, text), 201);
    }

    QStringList args {book, QStringLiteral("--url"), s.Discovery ? dav.Root().toString() : collection.toString()};
    const QString user = s.Discovery ? dav.DiscoveryUser() : dav.User();
    if (!user.isEmpty()) {
        const QString passwordFile = rowDir + QStringLiteral("/heslo");
        // Only the first line is the password.
        QVERIFY(TestBook::WriteFile(passwordFile, (s.Discovery ? dav.DiscoveryPassword() : dav.Password()).toUtf8() + "\nnic\n"));
        args << QStringLiteral("--user") << user << QStringLiteral("--password-file") << passwordFile;
    }
    for (const QString &step : s.Steps) {
        ApplyStep(step, http, collection, book, args);
        if (QTest::currentTestFailed())
            return;
    }

    TCards before;
    QString listError;
    QVERIFY2(http.Cards(collection, before, &listError), qPrintable(listError));
    const QList<int> expectedCounts = Counts(QString::fromLatin1(s.Counts));

    if (s.DryRunFirst) {
        const QByteArray bookBytes = TestBook::ReadFile(book);
        const auto state = FolderSnapshot(stateHome);
        const TRun dry = RunSync(args + s.Options + QStringList {QStringLiteral("--dry-run")});
        QVERIFY2(dry.Status == s.Status, qPrintable(QStringLiteral("--dry-run: %1\n%2%3").arg(dry.Status).arg(dry.Out, dry.Err)));
        QCOMPARE(dry.Counts, expectedCounts);
        QCOMPARE(TestBook::ReadFile(book), bookBytes);
        QCOMPARE(FolderSnapshot(stateHome), state);
        TCards after;
        QVERIFY(http.Cards(collection, after));
        QCOMPARE(after.keys(), before.keys());
        for (auto it = after.cbegin(); it != after.cend(); ++it)
            QCOMPARE(it->Text, before[it.key()].Text);
    }

    const TRun run = RunSync(args + s.Options);
    QVERIFY2(run.Status == s.Status, qPrintable(QStringLiteral("exit %1\n%2%3").arg(run.Status).arg(run.Out, run.Err)));
    QVERIFY2(run.Counts == expectedCounts, qPrintable(run.Out));
    if (s.Discovery)
        QVERIFY2(run.Out.contains(collection.toString()), qPrintable(run.Out));

    // The book.
    bool read = false;
    const QList<TContactRecord> records = ReadBook(book, &read);
    QVERIFY(read);
    QStringList expectedNames;
    for (const QString &e : s.BookAfter)
        expectedNames << e.section(QLatin1Char('|'), 0, 0);
    expectedNames.sort();
    QCOMPARE(BookNames(records), expectedNames);
    for (const QString &e : s.BookAfter) {
        const QStringList parts = e.split(QLatin1Char('|'));
        const TContactRecord *r = Find(records, parts[0]);
        for (const QString &f : parts.mid(1)) {
            const qsizetype eq = f.indexOf(QLatin1Char('='));
            const int field = FieldIndexByName(f.left(eq).toLatin1());
            QVERIFY2(field >= 0, qPrintable(f));
            QVERIFY2(Field(*r, EField(field)) == f.mid(eq + 1),
                     qPrintable(QStringLiteral("%1 %2: \"%3\"").arg(parts[0], f, Field(*r, EField(field)))));
        }
    }

    // The collection.
    TCards cards;
    QVERIFY2(http.Cards(collection, cards, &listError), qPrintable(listError));
    QStringList expectedCards;
    for (const QString &e : s.CardsAfter)
        expectedCards << e.section(QLatin1Char('|'), 0, 0);
    expectedCards.sort();
    QCOMPARE(CardNames(cards), expectedCards);
    const QMap<QString, QString> hrefsBefore = HrefsByName(before);
    const QMap<QString, QString> hrefs = HrefsByName(cards);
    for (const QString &e : s.CardsAfter) {
        const QStringList parts = e.split(QLatin1Char('|'));
        const QString href = hrefs.value(parts[0]);
        const QList<TProp> card = ParseCard(cards[href].Text);
        for (const QString &f : parts.mid(1)) {
            const qsizetype eq = f.indexOf(QLatin1Char('='));
            const QString prop = f.left(eq), expected = f.mid(eq + 1);
            if (prop == QLatin1String("@same")) {
                QVERIFY2(href == hrefsBefore.value(expected), qPrintable(QStringLiteral("%1 at %2, was %3").arg(parts[0], href, hrefsBefore.value(expected))));
                QCOMPARE(UidOf(cards[href].Text), UidOf(before[href].Text));
            } else {
                // Exactly once, and unchanged where it is what the phone wrote.
                QVERIFY2(Values(card, prop.toLatin1()).size() == 1 && Value(card, prop.toLatin1()) == expected,
                         qPrintable(QStringLiteral("%1 %2: %3").arg(parts[0], prop, Values(card, prop.toLatin1()).join(QStringLiteral(" | ")))));
            }
        }
    }
    // An edited card stays where it was, with its UID.
    for (auto it = hrefs.cbegin(); it != hrefs.cend(); ++it) {
        if (hrefsBefore.contains(it.key()))
            QVERIFY2(hrefsBefore[it.key()] == it.value(), qPrintable(it.key()));
        if (before.contains(it.value()))
            QCOMPARE(UidOf(cards[it.value()].Text), UidOf(before[it.value()].Text));
    }
    if (s.Status == 0) {
        // Each entry agrees with a card of its name (or of the name a unique suffix was
        // added to), one card an entry.
        QSet<QString> used;
        static const QRegularExpression suffix(QStringLiteral(" \\(\\d+\\)$"));
        for (const TContactRecord &r : records) {
            const QString name = FromCp1250(r.Name());
            QString diff = QStringLiteral("no card");
            for (auto it = cards.cbegin(); it != cards.cend() && !diff.isEmpty(); ++it) {
                const QString fn = Value(ParseCard(it->Text), "FN");
                if (used.contains(it.key()) || (fn != name && fn != QString(name).remove(suffix)))
                    continue;
                TContactRecord probe = r; // a phone's card keeps its name where the book added a suffix
                probe.SetText(EField::NazevPolozky, ToCp1250(fn));
                diff = Disagreement(probe, ParseCard(it->Text));
                if (diff.isEmpty())
                    used.insert(it.key());
            }
            QVERIFY2(diff.isEmpty(), qPrintable(name + QStringLiteral(": ") + diff));
        }
    }

    // Nothing left to do; a conflict left alone stays one.
    const QByteArray bookBytes = TestBook::ReadFile(book);
    const TRun again = RunSync(args);
    QVERIFY2(again.Status == (s.Status == 3 ? 3 : 0), qPrintable(QStringLiteral("again: exit %1\n%2%3").arg(again.Status).arg(again.Out, again.Err)));
    QCOMPARE(again.Counts, (QList<int> {0, 0, 0, 0, s.Status == 3 ? expectedCounts[4] : 0}));
    QCOMPARE(TestBook::ReadFile(book), bookBytes);
}

QTEST_GUILESS_MAIN(TestSyncServers)
#include "tst_syncservers.moc"

#include "settings/SettingsStore.h"

#include "FakePrompt.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct TFixture
{
    QTemporaryDir Dir;
    TFixedClock Clock;
    TSettings Settings;
    QString Ini = Dir.filePath(QStringLiteral("Vorlink.ini"));

    std::unique_ptr<TSettingsStore> Store()
    {
        return std::make_unique<TSettingsStore>(Settings, Clock, Ini);
    }
    void Put(const QString &key, const QString &value)
    {
        QSettings s(Ini, QSettings::IniFormat);
        s.setValue(key, value);
    }
    QString Get(const QString &key)
    {
        QSettings s(Ini, QSettings::IniFormat);
        return s.value(key).toString();
    }
    void Load(const QString &path = QStringLiteral("/data/rodina.wdt")) { Store()->LoadBookValues(path); }
};

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void suffix_data();
    void suffix();
    void windowRanges_data();
    void windowRanges();
    void bookValues_data();
    void bookValues();
    void defaultsWhenAbsent();
    void sameNameSharesValues();
    void syncSetUpBelongsToItsBook_data();
    void syncSetUpBelongsToItsBook();
    void oldSyncSetUpCarriesOver();
    void saveWritesEveryValue();
    void resetThenSaveWritesResetValues();
    void writeFailureFailsTheSave();
    void unreadableFileIsRepaired_data();
    void unreadableFileIsRepaired();
    void recentFilesRoundTrip();
    void portDevicesOutliveANewBook();
    void printValuesRoundTrip();
    void printValuesOutOfRange_data();
    void printValuesOutOfRange();
};

void TestSettingsStore::suffix_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("windows path") << QStringLiteral("C:\\Data\\rodina.wdt") << QStringLiteral("-RODINA.WDT");
    QTest::newRow("unix path") << QStringLiteral("/home/jana/rodina.wdt") << QStringLiteral("-RODINA.WDT");
    QTest::newRow("unnamed") << QString::fromUtf8("Nepojmenovaný") << QString::fromUtf8("-NEPOJMENOVANÝ");
    QTest::newRow("accents") << QString::fromUtf8("/x/přátelé.wdt") << QString::fromUtf8("-PŘÁTELÉ.WDT");
}

void TestSettingsStore::suffix()
{
    QFETCH(QString, file);
    QFETCH(QString, suffix);
    QCOMPARE(TSettingsStore::BookSuffix(file), suffix);
}

void TestSettingsStore::windowRanges_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("result");
    QTest::newRow("Sirka 416") << "Sirka" << "416" << 588;
    QTest::newRow("Sirka 417") << "Sirka" << "417" << 417;
    QTest::newRow("Sirka 1024") << "Sirka" << "1024" << 1024;
    QTest::newRow("Sirka 1025") << "Sirka" << "1025" << 588;
    QTest::newRow("Sirka text") << "Sirka" << "abc" << 588;
    QTest::newRow("Vyska 473") << "Vyska" << "473" << 480;
    QTest::newRow("Vyska 474") << "Vyska" << "474" << 474;
    QTest::newRow("Vyska 768") << "Vyska" << "768" << 768;
    QTest::newRow("Vyska 769") << "Vyska" << "769" << 480;
    QTest::newRow("ListBox 99") << "ListBox" << "99" << 150;
    QTest::newRow("ListBox 300") << "ListBox" << "300" << 300;
    QTest::newRow("ListBox absent, design width") << "" << "" << 150;
}

void TestSettingsStore::windowRanges()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(int, result);
    TFixture f;
    if (!key.isEmpty())
        f.Put(QStringLiteral("Okno/") + key, stored);
    f.Load();
    const int got = key == QLatin1String("Sirka")   ? f.Settings.Sirka
                    : key == QLatin1String("Vyska") ? f.Settings.Vyska
                                                    : f.Settings.ListBox;
    QCOMPARE(got, result);
}

void TestSettingsStore::bookValues_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    QTest::newRow("look-ahead abc") << "Casy/VyrociDopredu-RODINA.WDT" << "abc" << "days" << "7";
    QTest::newRow("look-ahead 30") << "Casy/VyrociDopredu-RODINA.WDT" << "30" << "days" << "30";
    QTest::newRow("auto 2") << "Casy/hledatAutomaticky-RODINA.WDT" << "2" << "auto" << "1";
    QTest::newRow("auto 0") << "Casy/hledatAutomaticky-RODINA.WDT" << "0" << "auto" << "0";
    QTest::newRow("port 258") << "Modem/Port" << "258" << "port" << "2";
    QTest::newRow("port 3") << "Modem/Port" << "3" << "port" << "3";
    QTest::newRow("stamp zeros") << "Casy/NaposledyVyroci-RODINA.WDT" << "000000000000000" << "ack"
                                 << "202612071015000";
    QTest::newRow("stamp") << "Casy/NaposledyVyroci-RODINA.WDT" << "202001020304050" << "ack"
                           << "202001020304050";
    QTest::newRow("stamp junk") << "Casy/NaposledyVyroci-RODINA.WDT" << "včera" << "ack" << "202612071015000";
    QTest::newRow("Lista 1") << "Okno/Lista" << "1" << "lista" << "1";
}

void TestSettingsStore::bookValues()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    TFixture f;
    f.Put(key, stored);
    f.Load();
    const TSettings &s = f.Settings;
    const QString got = field == QLatin1String("days")   ? QString::number(s.VyrociDopredu)
                        : field == QLatin1String("auto") ? QString::number(s.hledatAutomaticky)
                        : field == QLatin1String("port") ? QString::number(s.Port)
                        : field == QLatin1String("ack")  ? StampToText(s.NaposledyVyroci)
                                                         : QString::number(s.Lista);
    QCOMPARE(got, expected);
}

void TestSettingsStore::defaultsWhenAbsent()
{
    TFixture f;
    f.Load();
    const TSettings &s = f.Settings;
    QCOMPARE(s.VyrociDopredu, 7);
    QVERIFY(s.hledatAutomaticky);
    QCOMPARE(s.Stat, QStringLiteral("420"));
    QCOMPARE(s.Misto, QStringLiteral("2"));
    QCOMPARE(s.Hang, QStringLiteral("+++ATH0"));
    QCOMPARE(s.Port, 2);
    QVERIFY(!s.Lista);
    QCOMPARE(StampToText(s.NaposledySpusteno), QStringLiteral("202612071015000"));
}

void TestSettingsStore::sameNameSharesValues()
{
    TFixture f;
    f.Load(QStringLiteral("D:\\a\\b.wdt"));
    f.Settings.VyrociDopredu = 42;
    QVERIFY(f.Store()->SaveBookSettings(QStringLiteral("D:\\a\\b.wdt")));
    f.Settings.VyrociDopredu = 0;
    f.Load(QStringLiteral("E:\\c\\B.WDT"));
    QCOMPARE(f.Settings.VyrociDopredu, 42);
}

namespace {

// Two unrelated books of one name in two folders, a link to the first folder, and the
// sync's state folder, as the window and the command line find them.
struct TSyncBooks : TFixture
{
    QString State = Dir.filePath(QStringLiteral("state"));
    QByteArray StateBefore = qgetenv("XDG_STATE_HOME");

    TSyncBooks()
    {
        for (const char *folder : {"a", "b"}) {
            QDir(Dir.path()).mkpath(QLatin1String(folder));
            QFile f(Book(folder));
            f.open(QIODevice::WriteOnly);
        }
        QFile::link(Dir.filePath(QStringLiteral("a")), Dir.filePath(QStringLiteral("odkaz")));
        qputenv("XDG_STATE_HOME", State.toUtf8());
    }
    ~TSyncBooks() { qputenv("XDG_STATE_HOME", StateBefore); }

    QString Book(const QString &which) const
    {
        const QString folder = which == QLatin1String("link to a") ? QStringLiteral("odkaz") : which;
        return Dir.filePath(folder + QStringLiteral("/ukazka.WDT"));
    }
    // The set-up as it was kept before, under the file's name alone.
    void PutOld()
    {
        Put(QStringLiteral("Synchronizace/Server-UKAZKA.WDT"), QStringLiteral("https://stary.example.cz/"));
        Put(QStringLiteral("Synchronizace/Adresar-UKAZKA.WDT"), QStringLiteral("https://stary.example.cz/anna/kontakty/"));
        Put(QStringLiteral("Synchronizace/Automaticky-UKAZKA.WDT"), QStringLiteral("1"));
        Put(QStringLiteral("Synchronizace/Pripominka-UKAZKA.WDT"), QStringLiteral("3"));
    }
    // A state file as a sync of `book` into `collection` leaves it.
    void PutState(const QString &book, const QString &collection, const char *ending = ".json")
    {
        QDir().mkpath(State + QStringLiteral("/vorlink/sync"));
        const QString canonical = QFileInfo(Book(book)).canonicalFilePath();
        const QByteArray id = QCryptographicHash::hash((canonical + collection).toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
        QFile f(State + QStringLiteral("/vorlink/sync/ukazka-") + QString::fromLatin1(id) + QLatin1String(ending));
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QJsonObject o {{QStringLiteral("format"), 1}, {QStringLiteral("book"), canonical},
                             {QStringLiteral("collection"), collection}, {QStringLiteral("calendar"), collection},
                             {QStringLiteral("token"), QString()}};
        f.write(QJsonDocument(o).toJson(QJsonDocument::Compact));
    }
};

} // namespace

void TestSettingsStore::syncSetUpBelongsToItsBook_data()
{
    QTest::addColumn<QString>("own"); // the book set up in the window now, if any
    QTest::addColumn<bool>("old"); // a set-up kept under the name "UKAZKA.WDT"
    QTest::addColumn<QString>("synced"); // the book and where a state file says it synced
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("read"); // the server of the set-up read; empty for none

    const QString none, own = QStringLiteral("https://novy.example.cz/"), old = QStringLiteral("https://stary.example.cz/");
    const QString a = QStringLiteral("a"), b = QStringLiteral("b"), link = QStringLiteral("link to a");
    const QString oldBook = QStringLiteral("https://stary.example.cz/anna/kontakty/");
    QTest::newRow("its own set-up") << a << false << none << a << own;
    QTest::newRow("its own set-up, through a link") << a << false << none << link << own;
    QTest::newRow("another book of the name set up") << a << false << none << b << none;
    QTest::newRow("another book set up, old values too") << a << true << oldBook << b << none;
    QTest::newRow("its own set-up wins over the old one") << a << true << oldBook << a << own;
    QTest::newRow("old set-up, this book synced with it") << none << true << oldBook << a << old;
    QTest::newRow("old set-up, synced, without the last slash") << none << true << QStringLiteral("https://stary.example.cz/anna/kontakty") << a << old;
    QTest::newRow("old set-up, opened through a link") << none << true << oldBook << link << old;
    QTest::newRow("old set-up, no state") << none << true << none << a << none;
    QTest::newRow("old set-up, the other book synced") << none << true << QStringLiteral("b ") + oldBook << a << none;
    QTest::newRow("old set-up, synced to another address book") << none << true << QStringLiteral("https://stary.example.cz/anna/prace/")
                                                                << a << none;
    QTest::newRow("old set-up, synced to another server") << none << true << QStringLiteral("https://jiny.example.cz/anna/kontakty/")
                                                          << a << none;
    QTest::newRow("old set-up, only a calendar state") << none << true << QStringLiteral("calendar ") + oldBook << a << none;
}

// A set-up belongs to the book it was made for, not to every file of its name; one kept
// under the name alone carries over only to a book its sync state shows was synced with
// it. A book without a set-up never syncs on opening.
void TestSettingsStore::syncSetUpBelongsToItsBook()
{
    QFETCH(QString, own);
    QFETCH(bool, old);
    QFETCH(QString, synced);
    QFETCH(QString, open);
    QFETCH(QString, read);
    TSyncBooks f;
    if (old)
        f.PutOld();
    if (synced.startsWith(QLatin1String("b ")))
        f.PutState(QStringLiteral("b"), synced.mid(2));
    else if (synced.startsWith(QLatin1String("calendar ")))
        f.PutState(QStringLiteral("a"), synced.mid(9), ".calendar.json");
    else if (!synced.isEmpty())
        f.PutState(QStringLiteral("a"), synced);
    if (!own.isEmpty()) {
        f.Settings.Sync = TSyncSettings {QStringLiteral("https://novy.example.cz/"), QStringLiteral("jana"),
                                         QStringLiteral("https://novy.example.cz/jana/rodina/"), true, false, QString(), -1};
        QVERIFY(f.Store()->SaveSyncSettings(f.Book(own)));
    }
    f.Settings.Sync = TSyncSettings {QStringLiteral("zbytek"), {}, {}, true, true, {}, 9};
    f.Load(f.Book(open));
    QCOMPARE(f.Settings.Sync.Server, read);
    // Opening syncs only with a set-up, and then as it asks (both of these do).
    QCOMPARE(f.Settings.Sync.OnOpenAndSave && !f.Settings.Sync.Server.isEmpty(), !read.isEmpty());
    if (read.isEmpty())
        QCOMPARE(f.Settings.Sync, TSyncSettings());
    if (read == QLatin1String("https://stary.example.cz/"))
        QCOMPARE(f.Settings.Sync.AlarmDays, 3);
}

// The old set-up, once taken over, is the book's own: saved under its path, cleared there
// for good, and still there for another book of the name that was synced with it.
void TestSettingsStore::oldSyncSetUpCarriesOver()
{
    TSyncBooks f;
    f.PutOld();
    f.PutState(QStringLiteral("a"), QStringLiteral("https://stary.example.cz/anna/kontakty/"));
    f.PutState(QStringLiteral("b"), QStringLiteral("https://stary.example.cz/anna/kontakty/"));
    f.Load(f.Book(QStringLiteral("a")));
    QCOMPARE(f.Settings.Sync.Server, QStringLiteral("https://stary.example.cz/"));
    QVERIFY(f.Store()->SaveBookSettings(f.Book(QStringLiteral("a"))));
    QCOMPARE(f.Get(QStringLiteral("Synchronizace/Server-UKAZKA.WDT")), QStringLiteral("https://stary.example.cz/"));

    // Cleared in the window: it stays cleared, though the state and the old values remain.
    f.Settings.Sync = TSyncSettings();
    QVERIFY(f.Store()->SaveSyncSettings(f.Book(QStringLiteral("a"))));
    f.Settings.Sync.Server = QStringLiteral("zbytek");
    f.Load(f.Book(QStringLiteral("a")));
    QCOMPARE(f.Settings.Sync, TSyncSettings());

    f.Load(f.Book(QStringLiteral("b")));
    QCOMPARE(f.Settings.Sync.AddressBook, QStringLiteral("https://stary.example.cz/anna/kontakty/"));
    QVERIFY(f.Settings.Sync.OnOpenAndSave);

    // A book never set up leaves nothing behind when saved.
    TSyncBooks clean;
    clean.Load(clean.Book(QStringLiteral("b")));
    QVERIFY(clean.Store()->SaveBookSettings(clean.Book(QStringLiteral("b"))));
    QSettings ini(clean.Ini, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Synchronizace"));
    QVERIFY2(ini.allKeys().isEmpty(), qPrintable(ini.allKeys().join(QLatin1Char(' '))));
}

void TestSettingsStore::saveWritesEveryValue()
{
    TFixture f;
    f.Settings.NaposledyVyroci = 202001010000000.0;
    f.Settings.NaposledySpusteno = 190001010000000.0;
    f.Settings.Sirka = 800;
    f.Settings.Vyska = 600;
    f.Settings.ListBox = 222;
    QVERIFY(f.Store()->SaveBookSettings(QStringLiteral("/x/Rodina.wdt")));
    QCOMPARE(f.Get(QStringLiteral("Casy/NaposledyVyroci-RODINA.WDT")), QStringLiteral("202001010000000"));
    // The last-save stamp is the moment of writing, not the field.
    QCOMPARE(f.Get(QStringLiteral("Casy/NaposledySpusteno-RODINA.WDT")), QStringLiteral("202612071015000"));
    QCOMPARE(f.Get(QStringLiteral("Okno/Sirka")), QStringLiteral("800"));
    QCOMPARE(f.Get(QStringLiteral("Okno/Vyska")), QStringLiteral("600"));
    QCOMPARE(f.Get(QStringLiteral("Okno/ListBox")), QStringLiteral("222"));
    QVERIFY(f.Get(QStringLiteral("Okno/Lista")).isEmpty()); // written by the label dialog only
    f.Settings.NaposledyVyroci = 12345;
    QVERIFY(f.Store()->SaveBookSettings(QStringLiteral("/x/Rodina.wdt")));
    QCOMPARE(f.Get(QStringLiteral("Casy/NaposledyVyroci-RODINA.WDT")), QStringLiteral("000000000000000"));
}

void TestSettingsStore::resetThenSaveWritesResetValues()
{
    TFixture f;
    auto store = f.Store();
    store->ResetBookSettings();
    QVERIFY(store->SaveBookSettings(QString::fromUtf8("Nepojmenovaný")));
    QCOMPARE(f.Get(QStringLiteral("Modem/Stat")), QString());
    QCOMPARE(f.Get(QStringLiteral("Modem/Misto")), QString());
    QCOMPARE(f.Get(QStringLiteral("Modem/Hang")), QStringLiteral("+++ATH"));
    QCOMPARE(f.Get(QString::fromUtf8("Casy/hledatAutomaticky-NEPOJMENOVANÝ")), QStringLiteral("0"));
}

void TestSettingsStore::writeFailureFailsTheSave()
{
    TFixture f;
    QFile blocker(f.Dir.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    f.Ini = f.Dir.filePath(QStringLiteral("file/Vorlink.ini")); // a parent that is a file
    QVERIFY(!f.Store()->SaveBookSettings(QStringLiteral("/x/a.wdt")));
}

// A file spoilt by hand or by another program reads as defaults, and the next save
// writes it anew instead of failing for as long as the program runs.
void TestSettingsStore::unreadableFileIsRepaired_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[Casy]\nVyrociDopredu-RODINA.WDT=30\n");
    QTest::newRow("comment") << QByteArray("# moje\n[Okno]\nSirka=800\n");
    QTest::newRow("line without =") << QByteArray("[Okno]\nSirka\n");
    QTest::newRow("unclosed section") << QByteArray("[Okno\nSirka=800\n");
    QTest::newRow("random bytes") << QByteArray("\x01\xFF\x00[]=\x80\n=\n[", 11);
}

void TestSettingsStore::unreadableFileIsRepaired()
{
    QFETCH(QByteArray, content);
    TFixture f;
    {
        QFile ini(f.Ini);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(content);
    }
    f.Load(QStringLiteral("/x/rodina.wdt"));
    f.Settings.VyrociDopredu = 12;
    auto store = f.Store();
    QVERIFY(store->SaveBookSettings(QStringLiteral("/x/rodina.wdt")));
    QVERIFY(store->SaveRecentFiles({QStringLiteral("/a.wdt")}));
    QSettings again(f.Ini, QSettings::IniFormat);
    QCOMPARE(again.status(), QSettings::NoError);
    QCOMPARE(again.value(QStringLiteral("Casy/VyrociDopredu-RODINA.WDT")).toString(), QStringLiteral("12"));
    QCOMPARE(again.value(QStringLiteral("Historie/Historie0")).toString(), QStringLiteral("/a.wdt"));
}

void TestSettingsStore::recentFilesRoundTrip()
{
    TFixture f;
    const QStringList files {QStringLiteral("/a.wdt"), QString(), QString::fromUtf8("/č.wdt"), QString(), QString()};
    QVERIFY(f.Store()->SaveRecentFiles(files));
    QCOMPARE(f.Get(QStringLiteral("Historie/Historie2")), QString::fromUtf8("/č.wdt"));
    QCOMPARE(f.Store()->LoadRecentFiles(), files);
}

// The devices and the tel: switch describe the machine: read at once, kept by a new book.
void TestSettingsStore::portDevicesOutliveANewBook()
{
    TFixture f;
    {
        auto store = f.Store();
        QCOMPARE(f.Settings.Zarizeni[3], QStringLiteral("/dev/ttyS3"));
        QVERIFY(!f.Settings.VolatPresSystem);
    }
    f.Put(QStringLiteral("Modem/Zarizeni2"), QStringLiteral("/dev/ttyACM0"));
    f.Put(QStringLiteral("Modem/PresSystem"), QStringLiteral("1"));
    f.Settings = TSettings();
    auto store = f.Store();
    QCOMPARE(f.Settings.Zarizeni[1], QStringLiteral("/dev/ttyACM0"));
    QVERIFY(f.Settings.VolatPresSystem);
    store->ResetBookSettings();
    QCOMPARE(f.Settings.Zarizeni[1], QStringLiteral("/dev/ttyACM0"));
    QVERIFY(f.Settings.VolatPresSystem);
    f.Settings.Zarizeni[0] = QStringLiteral("/dev/ttyUSB0");
    f.Settings.VolatPresSystem = false;
    QVERIFY(store->SaveBookSettings(QString::fromUtf8("Nepojmenovaný")));
    QCOMPARE(f.Get(QStringLiteral("Modem/Zarizeni1")), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(f.Get(QStringLiteral("Modem/Zarizeni2")), QStringLiteral("/dev/ttyACM0"));
    QCOMPARE(f.Get(QStringLiteral("Modem/PresSystem")), QStringLiteral("0"));
    f.Settings.Zarizeni[0].clear();
    store->LoadBookValues(QStringLiteral("/x/a.wdt"));
    QCOMPARE(f.Settings.Zarizeni[0], QStringLiteral("/dev/ttyUSB0"));
}

// The sender and the printing choices belong to the person: read at once, kept by a new
// book, written by their own save only.
void TestSettingsStore::printValuesRoundTrip()
{
    TFixture f;
    TPrintSettings p;
    p.SenderName = QString::fromUtf8("Jiří Novák");
    p.SenderStreet = QString::fromUtf8("Dlouhá 5");
    p.SenderPsc = QStringLiteral("11000");
    p.SenderTown = QStringLiteral("Praha 1");
    p.SenderCountry = QString::fromUtf8("Česká republika");
    p.LabelSheet = QString::fromLatin1(TPrintSettings::kCustomSheet);
    p.LabelColumns = 4;
    p.LabelRows = 11;
    p.LabelWidth = 48.5;
    p.LabelHeight = 25.4;
    p.LabelCentred = false;
    p.LabelLeft = 4.75;
    p.LabelTop = 10.5;
    p.LabelGapX = 2.5;
    p.LabelGapY = 0.25;
    p.LabelAddress = 3;
    p.LabelStart = 17;
    p.Envelope = QStringLiteral("C5");
    p.EnvelopeAddress = 2;
    p.AfterReport = 3;
    {
        auto store = f.Store();
        f.Settings.Print = p;
        QVERIFY(store->SavePrintSettings());
    }
    f.Settings = TSettings();
    auto store = f.Store();
    QCOMPARE(f.Settings.Print, p);
    store->ResetBookSettings();
    QCOMPARE(f.Settings.Print, p);
    store->LoadBookValues(QStringLiteral("/x/a.wdt"));
    QCOMPARE(f.Settings.Print, p);
}

void TestSettingsStore::printValuesOutOfRange_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("no columns") << "StitkySloupce" << "0";
    QTest::newRow("too many rows") << "StitkyRadky" << "51";
    QTest::newRow("width text") << "StitkySirka" << "sirokej";
    QTest::newRow("height nan") << "StitkyVyska" << "nan";
    QTest::newRow("height infinite") << "StitkyVyska" << "inf";
    QTest::newRow("left negative") << "StitkyVlevo" << "-3";
    QTest::newRow("gap huge") << "StitkyMezeraX" << "1e9";
    QTest::newRow("centred two") << "StitkyNaStred" << "2";
    QTest::newRow("address four") << "StitkyAdresa" << "4";
    QTest::newRow("start zero") << "StitkyPrvni" << "0";
    QTest::newRow("sheet blank") << "Stitky" << " ";
    QTest::newRow("envelope blank") << "Obalka" << "";
    QTest::newRow("envelope address zero") << "ObalkaAdresa" << "0";
    QTest::newRow("after report four") << "PoVytvoreni" << "4";
}

void TestSettingsStore::printValuesOutOfRange()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    TFixture f;
    f.Put(QStringLiteral("Tisk/") + key, value);
    f.Store();
    QCOMPARE(f.Settings.Print, TPrintSettings());
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"

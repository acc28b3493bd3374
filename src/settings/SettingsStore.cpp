#include "settings/SettingsStore.h"

#include "util/BookPath.h"
#include "util/Clock.h"
#include "util/Cp1250.h"
#include "util/RegularFile.h"
#include "util/TextRoutines.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace {

const QString kCasy = QStringLiteral("Casy");
const QString kModem = QStringLiteral("Modem");
const QString kOkno = QStringLiteral("Okno");
const QString kHistorie = QStringLiteral("Historie");
const QString kSync = QStringLiteral("Synchronizace");
const QString kTisk = QStringLiteral("Tisk");

QString Key(const QString &section, const QString &name)
{
    return section + QLatin1Char('/') + name;
}

QString DeviceName(int port /*1..4*/)
{
    return QStringLiteral("Zarizeni%1").arg(port);
}

const QString kPresSystem = QStringLiteral("PresSystem");

// The sync set-up of one book lives in a group of its own, named by its canonical path;
// "Kniha" in it gives that path to a person reading the file.
QString SyncGroup(const QString &path)
{
    const QByteArray hash = QCryptographicHash::hash(BookPath::Key(path).toUtf8(), QCryptographicHash::Sha256).toHex();
    return kSync + QStringLiteral("/Kniha-") + QString::fromLatin1(hash.left(16));
}

bool SameServer(const QUrl &a, const QUrl &b)
{
    const auto port = [](const QUrl &u) { return u.port(u.scheme() == QLatin1String("https") ? 443 : 80); };
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && port(a) == port(b);
}

QString WithoutTrailingSlash(QString path)
{
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// Whether a contacts state of the sync names this very book and the place `kept` syncs
// to: the address book itself where one was chosen, else the server it was found on.
bool StateShowsSync(const QString &path, const TSyncSettings &kept)
{
    const QUrl target = QUrl::fromUserInput(kept.AddressBook.isEmpty() ? kept.Server : kept.AddressBook);
    if (kept.Server.isEmpty() || !target.isValid())
        return false;
    const QString book = BookPath::Key(path);
    const QString prefix = QFileInfo(path).completeBaseName() + QLatin1Char('-');
    const QDir folder(BookPath::SyncStateFolder());
    for (const QString &name : folder.entryList({QStringLiteral("*.json")}, QDir::Files)) {
        if (!name.startsWith(prefix) || name.endsWith(QLatin1String(".calendar.json")))
            continue;
        QFile f;
        if (OpenRegularFile(folder.filePath(name), f, qint64(256) << 20) != TRegularOpen::Ok)
            continue;
        const QJsonObject o = QJsonDocument::fromJson(f.readAll()).object();
        if (o.value(QLatin1String("book")).toString() != book)
            continue;
        const QUrl collection(o.value(QLatin1String("collection")).toString());
        if (!SameServer(collection, target))
            continue;
        if (kept.AddressBook.isEmpty()
            || WithoutTrailingSlash(collection.path(QUrl::FullyDecoded)) == WithoutTrailingSlash(target.path(QUrl::FullyDecoded)))
            return true;
    }
    return false;
}

} // namespace

TSettingsStore::TSettingsStore(TSettings &settings, const IClock &clock, const QString &iniPath)
    : m_settings(settings), m_clock(clock), m_store(Open(iniPath))
{
    // Read at once: a new book made before any is opened must not write the defaults
    // over the devices the user set up.
    LoadMachineValues();
    LoadPrintValues();
}

void TSettingsStore::LoadPrintValues()
{
    const TPrintSettings def;
    TPrintSettings &p = m_settings.Print;
    p.SenderName = ReadText(kTisk, QStringLiteral("OdesilatelJmeno"), QString());
    p.SenderStreet = ReadText(kTisk, QStringLiteral("OdesilatelUlice"), QString());
    p.SenderPsc = ReadText(kTisk, QStringLiteral("OdesilatelPSC"), QString());
    p.SenderTown = ReadText(kTisk, QStringLiteral("OdesilatelMisto"), QString());
    p.SenderCountry = ReadText(kTisk, QStringLiteral("OdesilatelStat"), QString());
    p.LabelSheet = ReadText(kTisk, QStringLiteral("Stitky"), def.LabelSheet).trimmed();
    if (p.LabelSheet.isEmpty())
        p.LabelSheet = def.LabelSheet;
    p.LabelColumns = ReadInt(kTisk, QStringLiteral("StitkySloupce"), def.LabelColumns, 1, 20);
    p.LabelRows = ReadInt(kTisk, QStringLiteral("StitkyRadky"), def.LabelRows, 1, 50);
    p.LabelWidth = ReadDouble(kTisk, QStringLiteral("StitkySirka"), def.LabelWidth, 1, 297);
    p.LabelHeight = ReadDouble(kTisk, QStringLiteral("StitkyVyska"), def.LabelHeight, 1, 297);
    p.LabelCentred = ReadInt(kTisk, QStringLiteral("StitkyNaStred"), 1, 0, 1) != 0;
    p.LabelLeft = ReadDouble(kTisk, QStringLiteral("StitkyVlevo"), def.LabelLeft, 0, 297);
    p.LabelTop = ReadDouble(kTisk, QStringLiteral("StitkyNahore"), def.LabelTop, 0, 297);
    p.LabelGapX = ReadDouble(kTisk, QStringLiteral("StitkyMezeraX"), def.LabelGapX, 0, 297);
    p.LabelGapY = ReadDouble(kTisk, QStringLiteral("StitkyMezeraY"), def.LabelGapY, 0, 297);
    p.LabelAddress = ReadInt(kTisk, QStringLiteral("StitkyAdresa"), def.LabelAddress, 1, 3);
    p.LabelStart = ReadInt(kTisk, QStringLiteral("StitkyPrvni"), def.LabelStart, 1, 1000);
    p.Envelope = ReadText(kTisk, QStringLiteral("Obalka"), def.Envelope).trimmed();
    if (p.Envelope.isEmpty())
        p.Envelope = def.Envelope;
    p.EnvelopeAddress = ReadInt(kTisk, QStringLiteral("ObalkaAdresa"), def.EnvelopeAddress, 1, 3);
    p.AfterReport = ReadInt(kTisk, QStringLiteral("PoVytvoreni"), def.AfterReport, 0, 3);
}

bool TSettingsStore::SavePrintSettings()
{
    QSettings &s = *m_store;
    const TPrintSettings &p = m_settings.Print;
    auto put = [&](const char *name, const QString &value) { s.setValue(Key(kTisk, QLatin1String(name)), value); };
    auto number = [](double v) { return QString::number(v, 'g', 10); };
    put("OdesilatelJmeno", p.SenderName);
    put("OdesilatelUlice", p.SenderStreet);
    put("OdesilatelPSC", p.SenderPsc);
    put("OdesilatelMisto", p.SenderTown);
    put("OdesilatelStat", p.SenderCountry);
    put("Stitky", p.LabelSheet);
    put("StitkySloupce", QString::number(p.LabelColumns));
    put("StitkyRadky", QString::number(p.LabelRows));
    put("StitkySirka", number(p.LabelWidth));
    put("StitkyVyska", number(p.LabelHeight));
    put("StitkyNaStred", QString::number(p.LabelCentred ? 1 : 0));
    put("StitkyVlevo", number(p.LabelLeft));
    put("StitkyNahore", number(p.LabelTop));
    put("StitkyMezeraX", number(p.LabelGapX));
    put("StitkyMezeraY", number(p.LabelGapY));
    put("StitkyAdresa", QString::number(p.LabelAddress));
    put("StitkyPrvni", QString::number(p.LabelStart));
    put("Obalka", p.Envelope);
    put("ObalkaAdresa", QString::number(p.EnvelopeAddress));
    put("PoVytvoreni", QString::number(p.AfterReport));
    return Sync();
}

void TSettingsStore::LoadMachineValues()
{
    for (int p = 1; p <= 4; ++p) {
        QString &device = m_settings.Zarizeni[size_t(p - 1)];
        device = ReadText(kModem, DeviceName(p), TSettings().Zarizeni[size_t(p - 1)]);
    }
    m_settings.VolatPresSystem = ReadInt(kModem, kPresSystem, 0) != 0;
}

TSettingsStore::~TSettingsStore() = default;

std::unique_ptr<QSettings> TSettingsStore::Open(const QString &iniPath)
{
    if (!iniPath.isEmpty())
        return std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brevmark"),
                                       QStringLiteral("Vorlink"));
#else
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Brevmark"),
                                       QStringLiteral("Vorlink"));
#endif
}

QString TSettingsStore::BookSuffix(const QString &fileName)
{
    // The path may come from Windows with backslashes; only the last part counts.
    QString name = fileName;
    const qsizetype cut = qMax(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    if (cut >= 0)
        name = name.mid(cut + 1);
    return QLatin1Char('-') + FromCp1250(ToUpperCz(ToCp1250(name)));
}

QString TSettingsStore::ReadText(const QString &section, const QString &name, const QString &def)
{
    return m_store->value(Key(section, name), def).toString();
}

int TSettingsStore::ReadInt(const QString &section, const QString &name, int def)
{
    const QVariant v = m_store->value(Key(section, name));
    if (!v.isValid())
        return def;
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok);
    return ok ? n : def;
}

int TSettingsStore::ReadInt(const QString &section, const QString &name, int def, int min, int max)
{
    const int n = ReadInt(section, name, def);
    return n >= min && n <= max ? n : def;
}

double TSettingsStore::ReadDouble(const QString &section, const QString &name, double def, double min, double max)
{
    bool ok = false;
    const double v = m_store->value(Key(section, name)).toString().trimmed().toDouble(&ok);
    // NaN fails both comparisons.
    return ok && v >= min && v <= max ? v : def;
}

void TSettingsStore::LoadBookValues(const QString &path)
{
    const QString suffix = BookSuffix(path);
    const TStamp now = NowStamp(m_clock);
    auto readStamp = [&](const QString &name) {
        const TStamp s = StampFromText(ReadText(kCasy, name + suffix, StampToText(now)));
        return s > 0 ? s : now;
    };
    m_settings.NaposledyVyroci = readStamp(QStringLiteral("NaposledyVyroci"));
    m_settings.NaposledySpusteno = readStamp(QStringLiteral("NaposledySpusteno"));
    m_settings.VyrociDopredu = ReadInt(kCasy, QStringLiteral("VyrociDopredu") + suffix, 7);
    m_settings.hledatAutomaticky = ReadInt(kCasy, QStringLiteral("hledatAutomaticky") + suffix, 1) != 0;

    m_settings.Stat = ReadText(kModem, QStringLiteral("Stat"), QStringLiteral("420"));
    m_settings.Misto = ReadText(kModem, QStringLiteral("Misto"), QStringLiteral("2"));
    m_settings.Init = ReadText(kModem, QStringLiteral("Init"), QStringLiteral("ATZ"));
    m_settings.Hang = ReadText(kModem, QStringLiteral("Hang"), QStringLiteral("+++ATH0"));
    m_settings.Dial = ReadText(kModem, QStringLiteral("Dial"), QStringLiteral("ATX3DP"));
    m_settings.VolackaStat = ReadText(kModem, QStringLiteral("VolackaStat"), QStringLiteral("00"));
    m_settings.VolackaMisto = ReadText(kModem, QStringLiteral("VolackaMisto"), QStringLiteral("0"));
    m_settings.Povolit = ReadInt(kModem, QStringLiteral("Povolit"), 0) != 0;
    m_settings.Port = quint8(ReadInt(kModem, QStringLiteral("Port"), 2) & 0xFF);
    LoadMachineValues();

    m_settings.Sync = LoadSync(path);

    m_settings.Lista = ReadInt(kOkno, QStringLiteral("Lista"), 0) != 0;
    int w = ReadInt(kOkno, QStringLiteral("Sirka"), 588);
    int h = ReadInt(kOkno, QStringLiteral("Vyska"), 480);
    int lw = ReadInt(kOkno, QStringLiteral("ListBox"), m_settings.ListBox);
    if (w < 417 || w > 1024)
        w = 588;
    if (h < 474 || h > 768)
        h = 480;
    if (lw < 100 || lw > 300)
        lw = 150;
    m_settings.Sirka = w;
    m_settings.Vyska = h;
    m_settings.ListBox = lw;
}

bool TSettingsStore::SaveBookSettings(const QString &path)
{
    const QString suffix = BookSuffix(path);
    QSettings &s = *m_store;
    s.setValue(Key(kCasy, QStringLiteral("NaposledyVyroci") + suffix), StampToText(m_settings.NaposledyVyroci));
    s.setValue(Key(kCasy, QStringLiteral("NaposledySpusteno") + suffix), StampToText(NowStamp(m_clock)));
    s.setValue(Key(kCasy, QStringLiteral("VyrociDopredu") + suffix), QString::number(m_settings.VyrociDopredu));
    s.setValue(Key(kCasy, QStringLiteral("hledatAutomaticky") + suffix),
               QString::number(m_settings.hledatAutomaticky ? 1 : 0));
    s.setValue(Key(kModem, QStringLiteral("Stat")), m_settings.Stat);
    s.setValue(Key(kModem, QStringLiteral("Misto")), m_settings.Misto);
    s.setValue(Key(kModem, QStringLiteral("Init")), m_settings.Init);
    s.setValue(Key(kModem, QStringLiteral("Hang")), m_settings.Hang);
    s.setValue(Key(kModem, QStringLiteral("Port")), QString::number(m_settings.Port));
    s.setValue(Key(kModem, QStringLiteral("Dial")), m_settings.Dial);
    s.setValue(Key(kModem, QStringLiteral("VolackaStat")), m_settings.VolackaStat);
    s.setValue(Key(kModem, QStringLiteral("VolackaMisto")), m_settings.VolackaMisto);
    s.setValue(Key(kModem, QStringLiteral("Povolit")), QString::number(m_settings.Povolit ? 1 : 0));
    for (int p = 1; p <= 4; ++p)
        s.setValue(Key(kModem, DeviceName(p)), m_settings.Zarizeni[size_t(p - 1)]);
    s.setValue(Key(kModem, kPresSystem), QString::number(m_settings.VolatPresSystem ? 1 : 0));
    s.setValue(Key(kOkno, QStringLiteral("Vyska")), QString::number(m_settings.Vyska));
    s.setValue(Key(kOkno, QStringLiteral("Sirka")), QString::number(m_settings.Sirka));
    s.setValue(Key(kOkno, QStringLiteral("ListBox")), QString::number(m_settings.ListBox));
    WriteSync(path);
    return Sync();
}

TSyncSettings TSettingsStore::ReadSync(const QString &section, const QString &suffix)
{
    TSyncSettings sync;
    sync.Server = ReadText(section, QStringLiteral("Server") + suffix, QString());
    sync.User = ReadText(section, QStringLiteral("Uzivatel") + suffix, QString());
    sync.AddressBook = ReadText(section, QStringLiteral("Adresar") + suffix, QString());
    sync.OnOpenAndSave = ReadInt(section, QStringLiteral("Automaticky") + suffix, 0) != 0;
    sync.PublishCalendar = ReadInt(section, QStringLiteral("Kalendar") + suffix, 0) != 0;
    sync.Calendar = ReadText(section, QStringLiteral("KalendarAdresa") + suffix, QString());
    sync.AlarmDays = ReadInt(section, QStringLiteral("Pripominka") + suffix, -1, -1, 365);
    return sync;
}

TSyncSettings TSettingsStore::LoadSync(const QString &path)
{
    const QString group = SyncGroup(path);
    if (m_store->contains(Key(group, QStringLiteral("Kniha"))))
        return ReadSync(group, QString());
    return OldSyncSetUp(path).value_or(TSyncSettings());
}

std::optional<TSyncSettings> TSettingsStore::OldSyncSetUp(const QString &path)
{
    // Set-ups were once kept under the file's name alone, so every book of that name
    // shared one. It stays this book's only where its sync state shows that this very
    // file was synced there; any other book of the name starts without one.
    const QString suffix = BookSuffix(path);
    if (!m_store->contains(Key(kSync, QStringLiteral("Server") + suffix)))
        return std::nullopt;
    TSyncSettings kept = ReadSync(kSync, suffix);
    if (!StateShowsSync(path, kept))
        return std::nullopt;
    return kept;
}

void TSettingsStore::WriteSync(const QString &path)
{
    QSettings &s = *m_store;
    const QString group = SyncGroup(path);
    const TSyncSettings &sync = m_settings.Sync;
    // A book never synced leaves no trace in the store. One whose set-up was cleared keeps
    // an empty one where the set-up under its file's name would otherwise come back.
    // The values under the name stay for the other books of that name synced with them.
    if (sync == TSyncSettings()) {
        s.remove(group);
        if (!OldSyncSetUp(path))
            return;
    }
    s.setValue(Key(group, QStringLiteral("Kniha")), BookPath::Key(path));
    s.setValue(Key(group, QStringLiteral("Server")), sync.Server);
    s.setValue(Key(group, QStringLiteral("Uzivatel")), sync.User);
    s.setValue(Key(group, QStringLiteral("Adresar")), sync.AddressBook);
    s.setValue(Key(group, QStringLiteral("Automaticky")), QString::number(sync.OnOpenAndSave ? 1 : 0));
    s.setValue(Key(group, QStringLiteral("Kalendar")), QString::number(sync.PublishCalendar ? 1 : 0));
    s.setValue(Key(group, QStringLiteral("KalendarAdresa")), sync.Calendar);
    s.setValue(Key(group, QStringLiteral("Pripominka")), QString::number(sync.AlarmDays));
}

bool TSettingsStore::SaveSyncSettings(const QString &path)
{
    WriteSync(path);
    return Sync();
}

void TSettingsStore::ResetBookSettings()
{
    const TStamp now = NowStamp(m_clock);
    const auto devices = m_settings.Zarizeni;
    const bool presSystem = m_settings.VolatPresSystem;
    const TPrintSettings print = m_settings.Print;
    m_settings = TSettings();
    m_settings.Zarizeni = devices;
    m_settings.VolatPresSystem = presSystem;
    m_settings.Print = print;
    m_settings.NaposledyVyroci = now;
    m_settings.NaposledySpusteno = now;
}

bool TSettingsStore::SaveLista()
{
    m_store->setValue(Key(kOkno, QStringLiteral("Lista")), QString::number(m_settings.Lista ? 1 : 0));
    return Sync();
}

QStringList TSettingsStore::LoadRecentFiles()
{
    QStringList files;
    for (int i = 0; i < 5; ++i)
        files.append(ReadText(kHistorie, kHistorie + QString::number(i), QString()));
    return files;
}

bool TSettingsStore::SaveRecentFiles(const QStringList &files)
{
    for (int i = 0; i < 5; ++i)
        m_store->setValue(Key(kHistorie, kHistorie + QString::number(i)), files.value(i));
    return Sync();
}

bool TSettingsStore::Sync()
{
    m_store->sync();
    // A format error only says that the file read earlier was spoilt; the values it
    // could not give fell back to their defaults and this sync wrote the file anew.
    return m_store->status() != QSettings::AccessError;
}

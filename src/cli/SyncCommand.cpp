#include "cli/SyncCommand.h"

#include "book/BookFile.h"
#include "cli/BookReader.h"
#include "cli/CliSupport.h"
#include "cli/SyncCalendar.h"
#include "interop/VCardMapping.h"
#include "session/Messages.h"
#include "sync/SyncEngine.h"
#include "sync/SyncText.h"
#include "sync/TrustStore.h"
#include "util/Cp1250.h"
#include "util/RegularFile.h"

#include <QFile>
#include <QHostAddress>
#include <QUrl>

QString TSyncCommand::Description() const
{
    return QString::fromUtf8("synchronizuje adresář s adresářem kontaktů na serveru CardDAV (oběma směry)");
}

namespace {

constexpr int kDefaultTimeoutMs = 30000;

// The first line of the password file, without its line end.
bool ReadPassword(const QString &path, QString &password, QTextStream &err)
{
    QFile f;
    if (OpenRegularFile(path, f, 1 << 16) != TRegularOpen::Ok) {
        err << QString::fromUtf8("Soubor s heslem nelze přečíst: ") << path << Qt::endl;
        return false;
    }
    QByteArray line = f.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    password = QString::fromUtf8(line);
    return true;
}

// Nobody can be asked here: a certificate the user has not trusted in the window is
// refused, with where to trust it.
void SayFailure(const TSyncResult &result, int timeoutMs, QTextStream &err)
{
    err << CliText::Shown(SyncText::Failure(result, timeoutMs)) << Qt::endl;
    if (result.Failure == TSyncFailure::Certificate && result.Certificate.Problem == TCertificateProblem::Untrusted)
        err << CliText::Shown(SyncText::ConfirmInWindow()) << Qt::endl;
}

} // namespace

int TSyncCommand::Execute(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Description());
    const QCommandLineOption urlOption(QStringLiteral("url"),
                                       QString::fromUtf8("adresa adresáře kontaktů na serveru, nebo jen serveru"),
                                       QStringLiteral("URL"));
    const QCommandLineOption userOption(QStringLiteral("user"), QString::fromUtf8("přihlašovací jméno"),
                                        QStringLiteral("NAME"));
    const QCommandLineOption passwordOption(QStringLiteral("password-file"),
                                            QString::fromUtf8("soubor, jehož první řádek je heslo"),
                                            QStringLiteral("FILE"));
    const QCommandLineOption preferOption(QStringLiteral("prefer"),
                                          QString::fromUtf8("jak vyřešit konflikty: local (adresář) nebo server"),
                                          QStringLiteral("local|server"));
    const QCommandLineOption dryOption(QStringLiteral("dry-run"),
                                       QString::fromUtf8("jen vypíše, co by se stalo; nic nezapíše"));
    const QCommandLineOption calendarOption(
        QStringLiteral("calendar"), QString::fromUtf8("zveřejní narozeniny a svátky v tomto kalendáři CalDAV (nebo na tomto serveru)"),
        QStringLiteral("URL"));
    parser.addOptions({urlOption, userOption, passwordOption, preferOption, dryOption, calendarOption});
    QString path;
    int status = 0;
    if (!ParseBookCommandLine(parser, args, out, err, path, status))
        return status;
    const QUrl start = QUrl::fromUserInput(parser.value(urlOption));
    if (!parser.isSet(urlOption) || !start.isValid()
        || (start.scheme() != QLatin1String("http") && start.scheme() != QLatin1String("https"))) {
        err << QString::fromUtf8("Zadejte adresu serveru (--url http://… nebo https://…).") << Qt::endl;
        return 1;
    }
    const QUrl calendarStart = QUrl::fromUserInput(parser.value(calendarOption));
    if (parser.isSet(calendarOption) && (!calendarStart.isValid() || (calendarStart.scheme() != QLatin1String("http")
                                                                      && calendarStart.scheme() != QLatin1String("https")))) {
        err << QString::fromUtf8("Zadejte adresu kalendáře (--calendar http://… nebo https://…).") << Qt::endl;
        return 1;
    }
    TSyncOptions options;
    if (parser.isSet(preferOption)) {
        const QString p = parser.value(preferOption);
        if (p == QLatin1String("local"))
            options.Prefer = TSyncPrefer::Local;
        else if (p == QLatin1String("server"))
            options.Prefer = TSyncPrefer::Server;
        else {
            err << QString::fromUtf8("Neznámá volba --prefer: ") << p << QString::fromUtf8(" (local nebo server)")
                << Qt::endl;
            return 1;
        }
    }
    options.DryRun = parser.isSet(dryOption);
    QString password;
    if (parser.isSet(passwordOption) && !ReadPassword(parser.value(passwordOption), password, err))
        return 1;
    // Plain http carries the password readable to anyone on the way; on this machine only
    // it stays here.
    for (const QUrl &target : {start, calendarStart}) {
        const QHostAddress host(target.host());
        if (!password.isEmpty() && target.scheme() == QLatin1String("http") && target.host() != QLatin1String("localhost")
            && !host.isLoopback()) {
            err << QString::fromUtf8("Pozor: heslo jde na server nešifrovaně (http://); použijte https://.") << Qt::endl;
            break;
        }
    }
    bool ok = false;
    int timeoutMs = qEnvironmentVariableIntValue("VORLINK_SYNC_TIMEOUT_MS", &ok);
    if (!ok || timeoutMs <= 0)
        timeoutMs = kDefaultTimeoutMs;

    // The book stays locked for the whole run, as the window holds it while open. Sync
    // takes no --force: a book the window holds would be written under it.
    std::unique_ptr<QLockFile> lock;
    if (!options.DryRun && !LockBookForWrite(path, false, err, lock, TLockAdvice::CloseInWindow))
        return 1;
    const auto cli = ReadCliBook(path, err);
    if (!cli)
        return 1;
    TBook &book = *cli->Book;
    const TCliBookSettings stored(path);
    TExportOptions exportOptions;
    exportOptions.Format = TInteropFormat::VCard3;
    exportOptions.OwnCountry = stored.Settings.Stat;
    exportOptions.OwnArea = stored.Settings.Misto;
    const TVCardMapping mapping(book.Labels, exportOptions);

    const TTrustStore trustStore;
    TRememberedTrust trust(trustStore);
    TDavClient client(parser.value(userOption), password, timeoutMs, &trust);
    TSyncEngine engine(client, mapping);
    TSyncResult result;
    const auto idOf = [](const QUrl &url) { return url.toString(QUrl::RemoveUserInfo | QUrl::NormalizePathSegments); };
    // A collection synced before is not looked up again: an unchanged book and collection
    // cost one request.
    QUrl collection = start;
    QString collectionId = idOf(start);
    QString stateFile = TSyncState::FileFor(path, collectionId);
    TSyncState state = TSyncState::Load(stateFile, path, collectionId);
    if (state.Token.isEmpty() && state.Pairs.isEmpty()) {
        if (!engine.Discover(start, collection, result)) {
            SayFailure(result, timeoutMs, err);
            return 1;
        }
        if (collection != start) {
            out << CliText::Shown(SyncText::CollectionUsed(collection.toDisplayString(QUrl::RemoveUserInfo))) << Qt::endl;
            collectionId = idOf(collection);
            stateFile = TSyncState::FileFor(path, collectionId);
            state = TSyncState::Load(stateFile, path, collectionId);
        }
    }

    options.SaveBook = [&] {
        const TBookFileError e = BookFile::Write(path, book.Labels.ToHeader(), book);
        if (e != TBookFileError::None) {
            const QString text = Msg::BookFileError(e);
            if (!text.isEmpty())
                err << text << Qt::endl;
        }
        return e == TBookFileError::None;
    };
    options.Tell = [&](TSyncAction action, const QByteArray &name) {
        out << CliText::Shown(SyncText::Action(action, FromCp1250(name), options.DryRun)) << Qt::endl;
    };
    options.WriteAhead = [&](const TSyncState &ahead) { return ahead.Save(stateFile, path, collectionId); };
    result = engine.Run(book, collection, state, options);
    if (result.SaveState && !result.State.Save(stateFile, path, collectionId)) {
        TSyncResult stateFailure;
        stateFailure.Failure = TSyncFailure::StateWrite;
        err << SyncText::Failure(stateFailure, timeoutMs) << Qt::endl;
        if (result.Failure == TSyncFailure::None)
            result.Failure = TSyncFailure::StateWrite;
    }
    if (result.Failure != TSyncFailure::None) {
        if (result.Failure != TSyncFailure::StateWrite)
            SayFailure(result, timeoutMs, err);
        return 1;
    }
    if (result.Counts.Conflicts > 0)
        err << SyncText::LeftConflicts() << Qt::endl;
    if (result.Unfetched > 0)
        err << SyncText::NotFetched(result.Unfetched) << Qt::endl;
    // The calendar follows the book as the contacts' sync left it; the contacts' summary
    // stays the last line.
    TCalendarOptions calendarOptions;
    calendarOptions.DryRun = options.DryRun;
    calendarOptions.AlarmDays = stored.Settings.Sync.AlarmDays; // the window's reminder for this book, none by default
    const int calendarStatus = parser.isSet(calendarOption) ? PublishCalendar(calendarStart, path, book, client, mapping,
                                                                              calendarOptions, timeoutMs, out, err)
                                                            : 0;
    out << SyncText::Summary(result.Counts, options.DryRun) << Qt::endl;
    // The contacts went through and the book was written: not the failure that leaves
    // the book as it was.
    if (calendarStatus == 1 && options.DryRun)
        return 1;
    if (calendarStatus == 1) {
        err << CliText::Shown(SyncText::CalendarAfterContacts()) << Qt::endl;
        return 4;
    }
    return result.Counts.Conflicts > 0 || result.Unfetched > 0 || calendarStatus == 3 ? 3 : 0;
}

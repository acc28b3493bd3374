#include "sync/SyncCommands.h"

#include "session/DocumentCommands.h"
#include "session/Prompt.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "session/CardMapping.h"
#include "sync/DavClient.h"
#include "sync/PasswordStore.h"
#include "sync/CalendarSync.h"
#include "sync/SyncJob.h"
#include "sync/SyncText.h"
#include "sync/TrustStore.h"
#include "sync/WindowTrust.h"

#include <QHostAddress>

#include <utility>

namespace {

QUrl ServerUrl(const TSyncSettings &s)
{
    return QUrl::fromUserInput(s.AddressBook.isEmpty() ? s.Server : s.AddressBook);
}

} // namespace

TSyncCommands::TSyncCommands(TSession &s, TRecordEditor &editor, TDocumentCommands &docs, ISyncDialogs &dialogs,
                             IPasswordStore &passwords, TMappingFactory mapping, const QString &trustIni)
    : m_s(s), m_editor(editor), m_docs(docs), m_dialogs(dialogs), m_passwords(passwords),
      m_mappingFactory(std::move(mapping)), m_trustStore(std::make_unique<TTrustStore>(trustIni)),
      m_trust(std::make_unique<TWindowTrust>(*m_trustStore,
                                             [this](const TCertificateInfo &c, const QString &before) {
                                                 return m_dialogs.AskCertificate(c, before);
                                             }))
{
}

TSyncCommands::~TSyncCommands()
{
    // Waited for with the events running: the job's thread may be waiting for this one.
    CancelAndWait();
}

bool TSyncCommands::Running() const
{
    return m_job && !m_job->Finished();
}

void TSyncCommands::CancelAndWait()
{
    if (!Running())
        return;
    m_job->Cancel();
    QEventLoop loop;
    connect(m_job.get(), &TSyncJob::Done, &loop, &QEventLoop::quit);
    if (!m_job->Finished())
        loop.exec();
}

void TSyncCommands::Stop()
{
    // A run that finished while the question was open has yet to return: its messages
    // are left out all the same.
    if (!m_job)
        return;
    m_stoppedForClose = true;
    m_job->Cancel();
}

QString TSyncCommands::StopQuestion() const
{
    return SyncText::StopAndCloseQuestion();
}

TServerLookup TSyncCommands::Lookup(const QString &server, const QString &user, const QString &password)
{
    TServerLookup found;
    const QUrl url = QUrl::fromUserInput(server);
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
        found.Error = SyncText::BadServerAddress();
        return found;
    }
    // A few requests; the window paints while they wait.
    TDavClient client(user, password, m_timeoutMs, m_trust.get());
    const std::unique_ptr<ICardMapping> mapping = m_mappingFactory(m_s.Book.Labels, m_s.Settings);
    TSyncEngine engine(client, *mapping);
    TSyncResult result;
    QList<QPair<QUrl, QString>> books;
    if (!engine.FindAddressBooks(url, books, result)) {
        found.Error = SyncText::Failure(result, m_timeoutMs);
        return found;
    }
    for (const auto &[u, name] : books)
        found.AddressBooks << TFoundCollection {u.toString(), name};
    // The calendar the birthdays and name days would go to, where the server has one.
    TCalendarSync calendars(client, *mapping);
    QUrl calendar;
    TCalendarResult calendarResult;
    if (calendars.Discover(url, calendar, calendarResult))
        found.Calendars << TFoundCollection {calendar.toString(), QString()};
    return found;
}

void TSyncCommands::ISynchronizaceClick()
{
    TSyncSettings settings = m_s.Settings.Sync;
    QString password;
    bool keyring = true;
    const QString key = SyncPasswordKey(ServerUrl(settings), settings.User);
    if (!settings.Server.isEmpty()) {
        const TPasswordResult r = m_passwords.Read(key, password);
        keyring = r == TPasswordResult::Ok || r == TPasswordResult::NotFound;
        if (!keyring)
            password = m_sessionPassword;
    }
    if (!m_dialogs.AskSettings(settings, password, keyring,
                               [this](const QString &server, const QString &user, const QString &pw) {
                                   return Lookup(server, user, pw);
                               }))
        return;
    // Plain http to another machine carries the password and every contact readable.
    const QUrl url = ServerUrl(settings);
    const QHostAddress host(url.host());
    if (url.scheme() == QLatin1String("http") && url.host() != QLatin1String("localhost") && !host.isLoopback()
        && m_s.Prompt.Hlaska(SyncText::PlainHttpWarning(), THlaskaKind::Otazka) != kHlaskaAno)
        return;
    m_s.Settings.Sync = settings;
    if (!m_s.Book.FileName.isEmpty() && m_docs.HasFile() && !m_s.Store.SaveSyncSettings(m_s.Book.FileName))
        m_s.Prompt.Hlaska(SyncText::SettingsNotSaved(), THlaskaKind::Chyba);
    if (settings.Server.isEmpty())
        return;
    const QString newKey = SyncPasswordKey(ServerUrl(settings), settings.User);
    const TPasswordResult w = password.isEmpty() ? m_passwords.Remove(newKey) : m_passwords.Write(newKey, password);
    if (w != TPasswordResult::Ok && !(password.isEmpty() && w == TPasswordResult::NotFound)) {
        // Without a keyring the password lasts until the program ends, and the person
        // hears why it will be asked for again.
        m_sessionPassword = password;
        m_s.Prompt.Hlaska(SyncText::KeyringFailure(w), THlaskaKind::Informace);
    }
}

bool TSyncCommands::Password(QString &password)
{
    const TSyncSettings &settings = m_s.Settings.Sync;
    if (settings.User.isEmpty())
        return true; // a server without accounts
    const TPasswordResult r = m_passwords.Read(SyncPasswordKey(ServerUrl(settings), settings.User), password);
    if (r == TPasswordResult::Ok)
        return true;
    if (r != TPasswordResult::NotFound && !m_sessionPassword.isEmpty()) {
        password = m_sessionPassword;
        return true;
    }
    const QString why = r == TPasswordResult::NotFound ? SyncText::NoPasswordStored() : SyncText::KeyringFailure(r);
    if (!m_dialogs.AskPassword(settings.Server, settings.User, why, password))
        return false;
    if (r == TPasswordResult::NotFound)
        m_passwords.Write(SyncPasswordKey(ServerUrl(settings), settings.User), password);
    else
        m_sessionPassword = password;
    return true;
}

bool TSyncCommands::SaveSynced(TBook &synced)
{
    TAddressBook &b = m_s.Book;
    const QByteArray current = b.Current ? b.Current->Name() : QByteArray();
    // The synced entries are copied in, not swapped: the sync's own copy goes on to the
    // calendar; the book's are kept until the save went through.
    TBook before;
    before.Labels = b.Labels;
    b.SwapRecords(before);
    for (qsizetype i = 0; i < synced.RecordCount(); ++i)
        b.AppendRecord(synced.Record(i));
    const auto showCurrent = [&] {
        TContactRecord *r = current.isEmpty() ? nullptr : b.FindByName(current);
        b.MakeCurrent(r ? b.IndexOf(r) : 0);
    };
    showCurrent();
    const bool saved = m_docs.SaveBook(b.FileName);
    if (!saved) {
        b.SwapRecords(before);
        showCurrent();
    } else {
        b.Changed = false;
    }
    if (b.Mask.Active)
        b.RefillListWithMask();
    else
        b.RefillList();
    m_editor.ShowRecord();
    b.UpdateStatusBar();
    return saved;
}

void TSyncCommands::ISynchronizovatClick()
{
    if (Running())
        return;
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen)
        return;
    if (m_s.Settings.Sync.Server.isEmpty()) {
        ISynchronizaceClick();
        if (m_s.Settings.Sync.Server.isEmpty())
            return;
    }
    // The sync starts from the book as it is on disk: unsaved work is saved first.
    if (!m_editor.StoreFields() && b.Current)
        return;
    if (b.Changed || !m_docs.HasFile()) {
        m_docs.IUlozitClick();
        if (b.Changed || !m_docs.HasFile())
            return;
    }
    QString password;
    if (!Password(password))
        return;
    const std::unique_ptr<ICardMapping> mapping = m_mappingFactory(b.Labels, m_s.Settings);
    TSyncJob::TInput input;
    input.BookPath = b.FileName;
    input.Server = ServerUrl(m_s.Settings.Sync);
    input.User = m_s.Settings.Sync.User;
    input.Password = password;
    input.TimeoutMs = m_timeoutMs;
    input.Trust = m_trust.get();
    if (m_s.Settings.Sync.PublishCalendar) {
        input.Calendar = QUrl::fromUserInput(m_s.Settings.Sync.Calendar.isEmpty() ? m_s.Settings.Sync.Server
                                                                                    : m_s.Settings.Sync.Calendar);
        input.AlarmDays = m_s.Settings.Sync.AlarmDays;
    }
    bool forAll = false;
    TConflictChoice all = TConflictChoice::Leave;
    const auto resolve = [&](const TContactRecord *mine, const TContactRecord *theirs) {
        if (forAll)
            return all;
        const QStringList left = mine ? SyncText::EntryLines(*mine, b.Labels) : QStringList {SyncText::DeletedHere()};
        const QStringList right = theirs ? SyncText::EntryLines(*theirs, b.Labels) : QStringList {SyncText::DeletedThere()};
        const TConflictChoice c = m_dialogs.AskConflict(left, right, forAll);
        all = c;
        return c;
    };
    m_job = std::make_unique<TSyncJob>(b, input, *mapping, resolve, [this](TBook &synced) { return SaveSynced(synced); });
    emit RunningChanged(true);
    m_job->Start();
    m_dialogs.Wait(*m_job);
    if (!m_job->Finished())
        CancelAndWait();
    const TSyncResult result = m_job->Result();
    const TCalendarResult calendar = m_job->CalendarResult();
    m_job.reset();
    // The window is going: what the run did is kept, and nobody is left to read about it.
    const bool closing = std::exchange(m_stoppedForClose, false);
    emit RunningChanged(false);
    if (closing)
        return;
    if (result.Failure == TSyncFailure::Cancelled) {
        m_s.Prompt.Hlaska(SyncText::CancelledText(), THlaskaKind::Informace);
        return;
    }
    if (result.Failure != TSyncFailure::None) {
        m_s.Prompt.Hlaska(SyncText::Failure(result, m_timeoutMs), THlaskaKind::Chyba);
        return;
    }
    QString summary = SyncText::WindowSummary(result.Counts);
    if (!input.Calendar.isEmpty() && calendar.Failure == TSyncFailure::None)
        summary += QStringLiteral("\n") + SyncText::CalendarSummary(calendar.Counts, false);
    m_s.Prompt.Hlaska(summary, THlaskaKind::Informace);
    if (!input.Calendar.isEmpty() && calendar.Failure != TSyncFailure::None)
        m_s.Prompt.Hlaska(SyncText::CalendarFailure(calendar, m_timeoutMs), THlaskaKind::Chyba);
}

void TSyncCommands::AfterOpenOrSave()
{
    if (m_s.Settings.Sync.OnOpenAndSave && !m_s.Settings.Sync.Server.isEmpty() && !Running())
        ISynchronizovatClick();
}

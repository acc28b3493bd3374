#include "sync/SyncJob.h"

#include "session/CardMapping.h"
#include "sync/DavClient.h"
#include "sync/SyncState.h"

TSyncJob::TSyncJob(const TBook &book, TInput input, const ICardMapping &mapping, TResolve resolve, TSave save)
    : m_input(std::move(input)), m_mapping(mapping), m_resolve(std::move(resolve)), m_save(std::move(save))
{
    m_book.Labels = book.Labels;
    for (qsizetype i = 0; i < book.RecordCount(); ++i)
        m_book.AppendRecord(book.Record(i));
}

TSyncJob::~TSyncJob()
{
    m_cancel = true;
    if (m_thread)
        m_thread->wait();
}

void TSyncJob::Start()
{
    m_thread.reset(QThread::create([this] { Work(); }));
    connect(m_thread.get(), &QThread::finished, this, [this] {
        m_finished = true;
        emit Done();
    });
    m_thread->start();
}

// On the job's thread: the client lives and dies here, with its connections.
void TSyncJob::Work()
{
    TDavClient client(m_input.User, m_input.Password, m_input.TimeoutMs, m_input.Trust);
    TSyncEngine engine(client, m_mapping);
    QUrl collection;
    if (!engine.Discover(m_input.Server, collection, m_result))
        return;
    m_collection = collection;
    const QString id = collection.toString(QUrl::RemoveUserInfo | QUrl::NormalizePathSegments);
    const QString stateFile = TSyncState::FileFor(m_input.BookPath, id);
    const TSyncState state = TSyncState::Load(stateFile, m_input.BookPath, id);

    TSyncOptions options;
    options.Cancelled = [this] { return m_cancel.load(); };
    options.Progress = [this](qint64 done, qint64 total) { emit Progress(done, total); };
    // The person and the open book belong to the window's thread: asked there, waited for.
    options.Resolve = [this](const TContactRecord *mine, const TContactRecord *theirs) {
        TConflictChoice choice = TConflictChoice::Leave;
        if (m_cancel)
            return choice;
        QMetaObject::invokeMethod(
            this, [&] { choice = m_resolve(mine, theirs); }, Qt::BlockingQueuedConnection);
        return choice;
    };
    options.SaveBook = [this] {
        bool saved = false;
        QMetaObject::invokeMethod(
            this, [&] { saved = m_save(m_book); }, Qt::BlockingQueuedConnection);
        return saved;
    };
    options.WriteAhead = [&](const TSyncState &ahead) { return ahead.Save(stateFile, m_input.BookPath, id); };
    m_result = engine.Run(m_book, collection, state, options);
    if (m_result.SaveState && !m_result.State.Save(stateFile, m_input.BookPath, id) && m_result.Failure == TSyncFailure::None)
        m_result.Failure = TSyncFailure::StateWrite;
    if (m_result.Failure != TSyncFailure::None || m_input.Calendar.isEmpty() || m_cancel)
        return;

    // The book as the contacts left it goes to the calendar.
    TCalendarSync calendarSync(client, m_mapping);
    QUrl calendar;
    if (!calendarSync.Discover(m_input.Calendar, calendar, m_calendarResult))
        return;
    const QString calendarId = calendar.toString(QUrl::RemoveUserInfo | QUrl::NormalizePathSegments);
    const QString calendarFile = TCalendarState::FileFor(m_input.BookPath, calendarId);
    TCalendarOptions calendarOptions;
    calendarOptions.AlarmDays = m_input.AlarmDays;
    m_calendarResult = calendarSync.Run(m_book, calendar, TCalendarState::Load(calendarFile, m_input.BookPath, calendarId),
                                        calendarOptions);
    if (m_calendarResult.SaveState && !m_calendarResult.State.Save(calendarFile, m_input.BookPath, calendarId)
        && m_calendarResult.Failure == TSyncFailure::None)
        m_calendarResult.Failure = TSyncFailure::StateWrite;
}

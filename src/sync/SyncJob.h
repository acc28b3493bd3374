#pragma once

#include "book/Book.h"
#include "settings/Settings.h"
#include "sync/CalendarSync.h"
#include "sync/SyncEngine.h"

#include <QObject>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>

class ICardMapping;
class ICertificateTrust;

// One sync of the open book run on a thread of its own, so the window keeps painting.
// It works on a copy of the entries; what the person must decide (a conflict) and the
// saving of the book are handed to the window's thread and waited for, so the open book
// is only ever touched there.
class TSyncJob : public QObject
{
    Q_OBJECT

public:
    struct TInput
    {
        QString BookPath;
        QUrl Server;
        QString User;
        QString Password;
        int TimeoutMs = 30000;
        ICertificateTrust *Trust = nullptr;
        // The calendar the birthdays and name days go to after the contacts; empty for none.
        QUrl Calendar;
        int AlarmDays = -1;
    };
    // Called on the window's thread.
    using TResolve = std::function<TConflictChoice(const TContactRecord *mine, const TContactRecord *theirs)>;
    // Puts the synced entries into the open book and saves it; false when that failed
    // (the open book is then as it was).
    using TSave = std::function<bool(TBook &synced)>;

    TSyncJob(const TBook &book, TInput input, const ICardMapping &mapping, TResolve resolve, TSave save);
    ~TSyncJob() override;

    void Start();
    void Cancel() { m_cancel = true; }
    bool Running() const { return m_thread && m_thread->isRunning(); }
    bool Finished() const { return m_finished; }
    // After Finished.
    const TSyncResult &Result() const { return m_result; }
    const TCalendarResult &CalendarResult() const { return m_calendarResult; }
    QUrl Collection() const { return m_collection; }

signals:
    void Progress(qint64 done, qint64 total);
    void Done();

private:
    void Work();

    TBook m_book;
    TInput m_input;
    const ICardMapping &m_mapping;
    TResolve m_resolve;
    TSave m_save;
    std::unique_ptr<QThread> m_thread;
    std::atomic_bool m_cancel {false};
    bool m_finished = false;
    TSyncResult m_result;
    TCalendarResult m_calendarResult;
    QUrl m_collection;
};

#pragma once

#include "sync/CalendarState.h"
#include "sync/DavClient.h"
#include "sync/SyncEngine.h"

#include <QUrl>

class ICardMapping;
class TBook;

struct TCalendarCounts
{
    qint64 Added = 0;
    qint64 Changed = 0;
    qint64 Removed = 0;
    qint64 Left = 0; // changed by someone else since this program wrote them, or in its way
};

struct TCalendarResult
{
    TCalendarCounts Counts;
    // As a sync's; NoAddressBook here means no calendar was found.
    TSyncFailure Failure = TSyncFailure::None;
    int HttpStatus = 0;
    QString Detail;
    QByteArray FailedMethod;
    TCertificateRefusal Certificate; // for a Certificate failure
    QList<QUrl> LeftAt; // the events left as they were
    // What to store for the next run (also after a failure: what was written so far).
    TCalendarState State;
    bool SaveState = false;
};

struct TCalendarOptions
{
    bool DryRun = false;
    // A reminder this many days before each event; negative for none.
    int AlarmDays = -1;
};

// The book's birthdays and name days published into a CalDAV calendar, one resource an
// event. The book is the source: what it holds is added or brought up to date, what it
// lost is deleted. Only events this program created (by its state) are ever written, and
// only on the condition that nobody changed them since (If-Match, If-None-Match).
class TCalendarSync
{
public:
    TCalendarSync(TDavClient &client, const ICardMapping &mapping);

    // The calendar at `start`, or the first calendar for events the principal's
    // calendar-home-set holds; false with the failure in `result`.
    bool Discover(const QUrl &start, QUrl &calendar, TCalendarResult &result);

    TCalendarResult Run(const TBook &book, const QUrl &calendar, const TCalendarState &state,
                        const TCalendarOptions &options);

    static constexpr int kInFlight = 4;

    // The hash an event is compared by: its text without the DTSTAMP line, which is only
    // the time of the run that wrote it.
    static QByteArray EventHash(const QByteArray &ics);

private:
    bool Propfind(const QUrl &url, const QByteArray &depth, const QByteArray &body, QList<TCalendarProps> &out,
                  TCalendarResult &result, QUrl *finalUrl = nullptr);

    TDavClient &m_client;
    const ICardMapping &m_mapping;
};

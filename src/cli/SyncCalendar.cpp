#include "cli/SyncCalendar.h"

#include "cli/CliSupport.h"
#include "sync/SyncText.h"

int PublishCalendar(const QUrl &start, const QString &bookPath, const TBook &book, TDavClient &client,
                    const ICardMapping &mapping, const TCalendarOptions &options, int timeoutMs, QTextStream &out,
                    QTextStream &err)
{
    TCalendarSync calendarSync(client, mapping);
    TCalendarResult result;
    const auto idOf = [](const QUrl &url) { return url.toString(QUrl::RemoveUserInfo | QUrl::NormalizePathSegments); };
    // A calendar published to before is not looked up again.
    QUrl calendar = start;
    QString id = idOf(start);
    QString stateFile = TCalendarState::FileFor(bookPath, id);
    TCalendarState state = TCalendarState::Load(stateFile, bookPath, id);
    if (state.Entries.isEmpty()) {
        if (!calendarSync.Discover(start, calendar, result)) {
            err << CliText::Shown(SyncText::CalendarFailure(result, timeoutMs)) << Qt::endl;
            return 1;
        }
        if (calendar != start) {
            out << CliText::Shown(SyncText::CalendarUsed(calendar.toDisplayString(QUrl::RemoveUserInfo))) << Qt::endl;
            id = idOf(calendar);
            stateFile = TCalendarState::FileFor(bookPath, id);
            state = TCalendarState::Load(stateFile, bookPath, id);
        }
    }
    result = calendarSync.Run(book, calendar, state, options);
    for (const QUrl &url : result.LeftAt)
        err << CliText::Shown(SyncText::CalendarLeft(url.toDisplayString(QUrl::RemoveUserInfo))) << Qt::endl;
    if (result.SaveState && !options.DryRun && !result.State.Save(stateFile, bookPath, id)) {
        TCalendarResult stateFailure;
        stateFailure.Failure = TSyncFailure::StateWrite;
        err << SyncText::CalendarFailure(stateFailure, timeoutMs) << Qt::endl;
        if (result.Failure == TSyncFailure::None)
            result.Failure = TSyncFailure::StateWrite;
    }
    if (result.Failure != TSyncFailure::None) {
        if (result.Failure != TSyncFailure::StateWrite)
            err << CliText::Shown(SyncText::CalendarFailure(result, timeoutMs)) << Qt::endl;
        return 1;
    }
    out << SyncText::CalendarSummary(result.Counts, options.DryRun) << Qt::endl;
    return result.Counts.Left > 0 ? 3 : 0;
}

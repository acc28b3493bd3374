#pragma once

#include "sync/CalendarSync.h"
#include "sync/SyncEngine.h"

#include <QString>

// The Czech words of a sync.
namespace SyncText {
// "Nahrát na server: Novák Jan" … one line for each thing done (or, on a trial run, to do).
QString Action(TSyncAction action, const QString &name, bool dryRun);
// The five counts in their fixed order, as plain numbers.
QString Summary(const TSyncCounts &c, bool dryRun);
// Why a sync failed, naming the HTTP status where there was one.
QString Failure(const TSyncResult &r, int timeoutMs);
QString CollectionUsed(const QString &url);
QString LeftConflicts();

// "Kalendář: 3 události přidány, 1 změněna, 2 odstraněny"; on a trial run what would be.
QString CalendarSummary(const TCalendarCounts &c, bool dryRun);
QString CalendarFailure(const TCalendarResult &r, int timeoutMs);
QString CalendarUsed(const QString &url);
QString CalendarLeft(const QString &url);
} // namespace SyncText

enum class TPasswordResult;

namespace SyncText {
// Why the keyring keeps no password for the sync, and what the program does instead;
// empty for Ok.
QString KeyringFailure(TPasswordResult result);
} // namespace SyncText

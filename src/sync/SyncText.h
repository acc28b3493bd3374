#pragma once

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
// Where a certificate the command line refused can be trusted.
QString ConfirmInWindow();
QString LeftConflicts();
} // namespace SyncText

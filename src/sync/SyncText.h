#pragma once

#include "book/BookLabels.h"
#include "sync/CalendarSync.h"
#include "sync/SyncEngine.h"

#include <QString>
#include <QStringList>

class TContactRecord;

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
// "3 vizitky server nevydal; …": cards listed but not handed out, left for the next run.
QString NotFetched(qint64 n);
// Said when the calendar failed after the contacts went through and the book was saved.
QString CalendarAfterContacts();

// "Kalendář: 3 události přidány, 1 změněna, 2 odstraněny"; on a trial run what would be.
QString CalendarSummary(const TCalendarCounts &c, bool dryRun);
QString CalendarFailure(const TCalendarResult &r, int timeoutMs);
QString CalendarUsed(const QString &url);
QString CalendarLeft(const QString &url);

// The window's words.
QString WindowSummary(const TSyncCounts &c);
// An entry's filled fields as "Caption: value" lines, for a conflict's two sides.
QStringList EntryLines(const TContactRecord &r, const TBookLabels &labels);
QString DeletedHere();
QString DeletedThere();
QString CancelledText();
QString BadServerAddress();
QString SettingsNotSaved();
QString NoPasswordStored();
QString PlainHttpWarning();
QString StopAndCloseQuestion();
} // namespace SyncText

enum class TPasswordResult;

namespace SyncText {
// Why the keyring keeps no password for the sync, and what the program does instead;
// empty for Ok.
QString KeyringFailure(TPasswordResult result);
} // namespace SyncText

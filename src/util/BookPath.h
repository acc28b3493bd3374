#pragma once

#include <QString>

// How what is kept per book (its sync set-up, its sync state) names the book.
namespace BookPath {

// The canonical path, so another name of the same file (a link, "..") is the same book.
// A file not made yet is named by its folder's canonical path and its own name, as it
// will be once it exists.
QString Key(const QString &book);

// The folder of the sync's states: $XDG_STATE_HOME/vorlink/sync.
QString SyncStateFolder();

} // namespace BookPath

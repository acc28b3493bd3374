#pragma once

#include "sync/SyncState.h"

#include <QByteArray>
#include <QList>

// What each side holds, as the plan sees it: names and hashes, no entries, no cards.

// One entry of the book, in book order.
struct TEntrySnap
{
    QByteArray Name; // Windows-1250
    QByteArray Card; // hash of its card
    QByteArray Core; // the same without the name
    QByteArray Fields; // as TSyncPair::Fields
};

// One member of the collection as listed, and, once fetched, what it maps to.
struct TCardSnap
{
    QByteArray Key; // the href decoded, as pairs are matched
    QByteArray Href; // as the server names it
    QByteArray ETag;
    bool Fetched = false; // its body came
    bool IsCard = false; // and held a card
    QByteArray Name, Card, Core, Fields; // of the entry it maps to
};

// Every card the server holds as far as the run knows: the members listed, and, after a
// delta, the state's cards it did not name. A pair whose key is missing here is gone.
struct TListingSnap
{
    QList<TCardSnap> Cards; // in the server's order
};

// How one side of a pair stands against the state. Unknown: its card could not be fetched.
enum class TSide { Unchanged, Changed, Deleted, New, Unknown };

enum class TStep { Nothing, Pair, Upload, Update, DeleteOnServer, Download, DeleteInBook, Conflict, Forget };

// How a person settles one conflict: the book's version, the server's, both (as two
// entries and two cards), or neither for now.
enum class TConflictChoice { Mine, Theirs, Both, Leave };

struct TPlanItem
{
    int Pair = -1; // in the state
    int Entry = -1; // in the book's snapshot
    int Card = -1; // in the listing
    TSide Local = TSide::Unchanged;
    TSide Server = TSide::Unchanged;
    TStep Do = TStep::Nothing;
    // A card brought down beside the entry it conflicted with: once the entry it becomes
    // has a name of its own, the card follows it.
    bool FollowName = false;
};

struct TPlan
{
    QList<TPlanItem> Items;
    qsizetype Unfetched = 0; // cards the server listed but would not hand out
};

// The decisions of a sync as pure functions of (state, book, server): no requests, no
// entries, so a test can run them thousands of times a second.
namespace SyncPlan {

// How many of the pair's fields beyond the name the entry holds alike, where that is half
// of them or more (two at least filled); else 0.
// `telling` leaves out towns, postcodes, countries and dialling codes.
int Agreement(const QByteArray &pairFields, const QByteArray &entryFields, bool telling);

// An entry's name without the " (2)", " (3)" … that made it unique in its book.
QByteArray BaseName(const QByteArray &name);

// The members of `listing` whose cards the plan needs: new or changed on the server,
// written ahead by a run that stopped, or the server's side of an entry changed here.
// `keys` are the state's pairs' keys, in its order.
QList<int> Wanted(const TSyncState &state, const QList<QByteArray> &keys, const QList<TEntrySnap> &book,
                  const TListingSnap &listing);

// Every pair, entry and card with what is to happen to it. Conflicts stay conflicts;
// `Settle` turns one into what a choice asks.
TPlan Make(const TSyncState &state, const QList<QByteArray> &keys, const QList<TEntrySnap> &book,
           const TListingSnap &listing);

// `item` settled by `choice`; Both adds the entry's own upload to `extra`.
void Settle(TPlanItem &item, TConflictChoice choice, QList<TPlanItem> &extra);

} // namespace SyncPlan

#pragma once

#include "sync/DavClient.h"
#include "sync/DavXml.h"
#include "sync/SyncPlan.h"
#include "sync/SyncState.h"

#include <QUrl>

#include <functional>

class ICardMapping;
class TBook;
class TContactRecord;

enum class TSyncPrefer { None, Local, Server };

// What a sync does to one pair, as it is told while it goes.
enum class TSyncAction { Upload, Download, DeleteOnServer, DeleteInBook, Conflict };

enum class TSyncFailure { None, Unreachable, Timeout, Http, Answer, NoAddressBook, BookWrite, StateWrite, Cancelled, Certificate };

struct TSyncCounts
{
    qint64 Uploaded = 0;
    qint64 Downloaded = 0;
    qint64 DeletedOnServer = 0;
    qint64 DeletedInBook = 0;
    qint64 Conflicts = 0; // left as they were
};

struct TSyncResult
{
    TSyncCounts Counts;
    TSyncFailure Failure = TSyncFailure::None;
    int HttpStatus = 0;
    QString Detail; // the server's or the network's own words, the URL
    QByteArray FailedMethod;
    TCertificateRefusal Certificate; // for a Certificate failure
    bool BookChanged = false;
    // Cards the server listed but would not hand out: left for the next run, never taken
    // as deleted.
    qint64 Unfetched = 0;
    // What to store for the next sync (also after a failure: the cards written so far).
    TSyncState State;
    bool SaveState = false;
};

struct TSyncOptions
{
    TSyncPrefer Prefer = TSyncPrefer::None;
    bool DryRun = false;
    // Writes the book; false when that failed. Called only when the book changed and
    // everything on the server went through.
    std::function<bool()> SaveBook;
    // Stores the state with the cards about to be written, before the first write; false
    // when that failed (nothing is then written).
    std::function<bool(const TSyncState &)> WriteAhead;
    std::function<void(TSyncAction, const QByteArray &name)> Tell;
    // Asked for each conflict when no preference is given; `mine` is null for an entry
    // deleted in the book, `theirs` for a card deleted on the server.
    std::function<TConflictChoice(const TContactRecord *mine, const TContactRecord *theirs)> Resolve;
    // Polled between requests; true stops the run at the next safe point (what reached
    // the server is remembered, the book is not written).
    std::function<bool()> Cancelled;
    // Cards fetched and written so far, of how many.
    std::function<void(qint64 done, qint64 total)> Progress;
};

// A two-way sync of a book with a CardDAV address book: the changes on each side since
// the last sync (by the stored state) go to the other; a pair changed on both sides is a
// conflict, left alone or settled by the preference. The server is only ever written
// conditionally (If-Match, If-None-Match), so nothing another client wrote meanwhile is
// overwritten.
class TSyncEngine
{
public:
    TSyncEngine(IDavTransport &client, const ICardMapping &mapping);

    // The address book at `start`, or the first one the server's discovery names;
    // false with the failure in `result`.
    bool Discover(const QUrl &start, QUrl &collection, TSyncResult &result);
    // Every address book the server names for the user (URL and display name), in its
    // order; `start` itself when it is one.
    bool FindAddressBooks(const QUrl &start, QList<QPair<QUrl, QString>> &books, TSyncResult &result);

    TSyncResult Run(TBook &book, const QUrl &collection, const TSyncState &state, const TSyncOptions &options);

    static constexpr int kMultigetBatch = 100;
    // The most parts of a listing followed, and members listed: ten times what a book holds.
    static constexpr int kMaxListingPages = 2000;
    static constexpr qsizetype kMaxListed = 655350;
    static constexpr int kInFlight = 4;

    // The members changed since `token` (all of them without one, or where the server
    // forgot it); `full` tells which it was.
    bool List(const QUrl &collection, const QByteArray &token, TListingSnap &listing, QSet<QByteArray> &removed,
              QByteArray &newToken, bool &full, TSyncResult &result);

private:
    friend class TSyncRun;
    bool ListByPropfind(const QUrl &collection, TListingSnap &listing, TSyncResult &result);
    // The home set of the user's address books, from `start` or its principal.
    bool HomeSet(const QUrl &start, const TDavResponse &here, QUrl &home, TSyncResult &result);
    bool Propfind(const QUrl &url, const QByteArray &depth, const QByteArray &body, TMultiStatus &out,
                  TSyncResult &result, QUrl *finalUrl = nullptr);

    IDavTransport &m_client;
    const ICardMapping &m_mapping;
};

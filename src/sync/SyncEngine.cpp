#include "sync/SyncEngine.h"

#include "book/Book.h"
#include "session/CardMapping.h"
#include "sync/DavFailure.h"
#include "sync/DavUrl.h"
#include "sync/DavXml.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSet>
#include <QUuid>

namespace {

using DavUrl::Inside;
using DavUrl::SameOrigin;

QByteArray Hash(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

// The names of a book with how many entries carry each, kept up to date through a sync's
// changes (the book's own index would be rebuilt after each one).
class TNames
{
public:
    explicit TNames(const TBook &book)
    {
        for (qsizetype i = 0; i < book.RecordCount(); ++i)
            ++m_count[book.Record(i).Name()];
    }
    void Add(const QByteArray &name) { ++m_count[name]; }
    void Remove(const QByteArray &name)
    {
        if (--m_count[name] <= 0)
            m_count.remove(name);
    }
    // A name free for an entry now called `own` (empty for a new one), the way the editor
    // makes one: " (2)", " (3)" … within the field.
    QByteArray Free(const QByteArray &base, const QByteArray &own) const
    {
        const auto taken = [&](const QByteArray &name) { return m_count.value(name) - (name == own ? 1 : 0) > 0; };
        if (!taken(base))
            return base;
        for (int k = 2;; ++k) {
            const QByteArray suffix = " (" + QByteArray::number(k) + ')';
            const QByteArray name = base.left(FieldInfo(EField::NazevPolozky).Capacity - suffix.size()) + suffix;
            if (!taken(name))
                return name;
        }
    }

private:
    QHash<QByteArray, int> m_count;
};

enum class TSide { Unchanged, Changed, Deleted, New };

enum class TDo { Nothing, Pair, Upload, Update, DeleteOnServer, Download, DeleteInBook, Conflict, Forget };

struct TItem
{
    int Pair = -1; // in the old state
    int Partial = -1; // a new pair in the state kept after a failure
    TContactRecord *Entry = nullptr;
    QByteArray Key;
    QByteArray Href;
    QByteArray ETag; // the server's now
    QByteArray Card; // fetched
    bool Fetched = false;
    TSide Local = TSide::Unchanged;
    TSide Server = TSide::Unchanged;
    TDo Do = TDo::Nothing;
    // Written to the server: the new ETag, the entry's card hash.
    QByteArray NewETag;
    QByteArray Name;
};

} // namespace

struct TSyncEngine::TListing
{
    bool Full = false;
    QByteArray Token;
    // Members listed: key to href and ETag; in a delta, removed members have no ETag.
    QHash<QByteArray, QPair<QByteArray, QByteArray>> Members;
    QSet<QByteArray> Removed;
    QList<QByteArray> Order; // keys in the server's order
};

TSyncEngine::TSyncEngine(TDavClient &client, const ICardMapping &mapping) : m_client(client), m_mapping(mapping) { }

bool TSyncEngine::Propfind(const QUrl &url, const QByteArray &depth, const QByteArray &body, TMultiStatus &out,
                           TSyncResult &result, QUrl *finalUrl)
{
    QUrl at;
    const TDavReply reply = m_client.Propfind(url, depth, body, &at);
    if (reply.Status != 207)
        return FailWith(result, reply, "PROPFIND", at);
    QString error;
    if (!DavXml::ParseMultiStatus(reply.Body, out, error))
        return FailUnreadable(result, reply.Status, "PROPFIND", error);
    if (finalUrl)
        *finalUrl = at;
    return true;
}

bool TSyncEngine::HomeSet(const QUrl &start, const TDavResponse &here, QUrl &homeUrl, TSyncResult &result)
{
    TMultiStatus ms;
    // The user's principal: named at the address given, else at the well-known one.
    QUrl principal;
    if (!here.Principal.isEmpty()) {
        principal = start.resolved(QUrl::fromEncoded(here.Principal));
    } else {
        QUrl wellKnown = start;
        wellKnown.setPath(QStringLiteral("/.well-known/carddav"));
        QUrl context;
        TSyncResult ignored;
        if (Propfind(wellKnown, "0", DavXml::PrincipalBody(), ms, ignored, &context) && !ms.Responses.isEmpty()
            && !ms.Responses.first().Principal.isEmpty())
            principal = context.resolved(QUrl::fromEncoded(ms.Responses.first().Principal));
        else
            principal = start;
    }
    QByteArray home = here.HomeSet;
    QUrl homeBase = start;
    if (principal != start || home.isEmpty()) {
        if (!Propfind(principal, "0", DavXml::HomeSetBody(), ms, result))
            return false;
        home = ms.Responses.value(0).HomeSet;
        homeBase = principal;
    }
    if (home.isEmpty()) {
        result.Failure = TSyncFailure::NoAddressBook;
        result.Detail = principal.toDisplayString(QUrl::RemoveUserInfo);
        return false;
    }
    homeUrl = homeBase.resolved(QUrl::fromEncoded(home));
    if (!SameOrigin(homeUrl, start) || !SameOrigin(principal, start)) {
        result.Failure = TSyncFailure::NoAddressBook;
        result.Detail = homeUrl.toDisplayString(QUrl::RemoveUserInfo);
        return false;
    }
    return true;
}

bool TSyncEngine::FindAddressBooks(const QUrl &start, QList<QPair<QUrl, QString>> &books, TSyncResult &result)
{
    books.clear();
    TMultiStatus ms;
    if (!Propfind(start, "0", DavXml::PropfindBody(false), ms, result))
        return false;
    const TDavResponse here = ms.Responses.value(0);
    if (here.AddressBook) {
        books.append({start, here.DisplayName});
        return true;
    }
    QUrl homeUrl;
    if (!HomeSet(start, here, homeUrl, result))
        return false;
    if (!Propfind(homeUrl, "1", DavXml::PropfindBody(false), ms, result))
        return false;
    for (const TDavResponse &r : ms.Responses) {
        const QUrl url = homeUrl.resolved(QUrl::fromEncoded(r.Href));
        if (r.AddressBook && SameOrigin(url, start))
            books.append({url, r.DisplayName});
    }
    if (books.isEmpty()) {
        result.Failure = TSyncFailure::NoAddressBook;
        result.Detail = homeUrl.toDisplayString(QUrl::RemoveUserInfo);
        return false;
    }
    return true;
}

bool TSyncEngine::Discover(const QUrl &start, QUrl &collection, TSyncResult &result)
{
    QList<QPair<QUrl, QString>> books;
    if (!FindAddressBooks(start, books, result))
        return false;
    collection = books.first().first;
    return true;
}

bool TSyncEngine::List(const QUrl &collection, const QByteArray &token, TListing &listing, TSyncResult &result)
{
    const QByteArray self = collection.path(QUrl::FullyDecoded).toUtf8();
    QByteArray at = token;
    listing.Full = token.isEmpty();
    // A server may hand the changes out in parts (a 507 for the collection itself).
    for (int part = 0; part < 10000; ++part) {
        const TDavReply reply = m_client.Send({"REPORT", collection, "0", {}, DavXml::SyncCollectionBody(at)});
        if (reply.Status != 207) {
            const bool tokenRefused = (reply.Status == 403 || reply.Status == 409 || reply.Status == 400)
                                      && DavXml::NamesPrecondition(reply.Body, "valid-sync-token");
            if (!at.isEmpty() && tokenRefused && part == 0) {
                // The server forgot the token: everything is compared again.
                listing = TListing();
                return List(collection, QByteArray(), listing, result);
            }
            // A server without the report lists its members with their ETags instead.
            if (part == 0 && at.isEmpty()
                && (reply.Status == 400 || reply.Status == 403 || reply.Status == 405 || reply.Status == 415
                    || reply.Status == 501))
                return ListByPropfind(collection, listing, result);
            return FailWith(result, reply, "REPORT", collection);
        }
        TMultiStatus ms;
        QString error;
        if (!DavXml::ParseMultiStatus(reply.Body, ms, error))
            return FailUnreadable(result, reply.Status, "REPORT", error);
        bool more = false;
        for (const TDavResponse &r : ms.Responses) {
            const QByteArray key = DavUrl::Key(collection, r.Href);
            if (key == self || key + '/' == self || key == self + '/') {
                more |= r.Status == 507;
                continue;
            }
            if (!Inside(collection, r.Href))
                continue;
            if (r.Status == 404) {
                listing.Removed.insert(key);
                listing.Members.remove(key);
            } else if (!r.Collection) {
                if (!listing.Members.contains(key))
                    listing.Order << key;
                listing.Members.insert(key, {r.Href, r.ETag});
                listing.Removed.remove(key);
            }
        }
        listing.Token = ms.SyncToken;
        if (!more || ms.SyncToken.isEmpty() || ms.SyncToken == at)
            return true;
        at = ms.SyncToken;
    }
    return true;
}

bool TSyncEngine::ListByPropfind(const QUrl &collection, TListing &listing, TSyncResult &result)
{
    const QByteArray self = collection.path(QUrl::FullyDecoded).toUtf8();
    TMultiStatus ms;
    if (!Propfind(collection, "1", DavXml::PropfindBody(true), ms, result))
        return false;
    listing = TListing();
    listing.Full = true;
    for (const TDavResponse &r : ms.Responses) {
        const QByteArray key = DavUrl::Key(collection, r.Href);
        if (key == self || key + '/' == self || r.Collection || r.Status != 200 || !Inside(collection, r.Href))
            continue;
        listing.Order << key;
        listing.Members.insert(key, {r.Href, r.ETag});
    }
    return true;
}

namespace {

// The cards at the items `which` (with their ETags), a few batches in flight. False, with
// the failure in `result`, when the server did not answer as asked.
bool FetchCards(TDavClient &client, const QUrl &collection, std::vector<TItem> &items,
                const QHash<QByteArray, qsizetype> &byKey, const QList<qsizetype> &which, TSyncResult &result,
                const TSyncOptions &options)
{
    qint64 done = 0;
    QList<TDavRequest> requests;
    for (qsizetype from = 0; from < which.size(); from += TSyncEngine::kMultigetBatch) {
        QList<QByteArray> hrefs;
        for (qsizetype j = from; j < std::min(which.size(), from + TSyncEngine::kMultigetBatch); ++j)
            hrefs << items[size_t(which.at(j))].Href;
        requests << TDavRequest {"REPORT", collection, {}, {}, DavXml::MultigetBody(hrefs)};
    }
    for (qsizetype i : which)
        items[size_t(i)].Fetched = false;
    bool ok = true;
    client.SendAll(requests, TSyncEngine::kInFlight, [&](qsizetype, const TDavReply &reply) {
        TMultiStatus ms;
        QString error;
        if (reply.Status != 207)
            return ok = FailWith(result, reply, "REPORT", collection);
        if (!DavXml::ParseMultiStatus(reply.Body, ms, error))
            return ok = FailUnreadable(result, reply.Status, "REPORT", error);
        for (const TDavResponse &r : ms.Responses) {
            const auto at = byKey.constFind(DavUrl::Key(collection, r.Href));
            if (at == byKey.cend() || r.Status != 200 || r.AddressData.isEmpty())
                continue;
            TItem &item = items[size_t(*at)];
            item.Card = r.AddressData;
            item.Fetched = true;
            if (!r.ETag.isEmpty())
                item.ETag = r.ETag;
        }
        done = std::min<qint64>(which.size(), done + TSyncEngine::kMultigetBatch);
        if (options.Progress)
            options.Progress(done, which.size());
        if (options.Cancelled && options.Cancelled()) {
            result.Failure = TSyncFailure::Cancelled;
            return ok = false;
        }
        return true;
    });
    return ok;
}

} // namespace

TSyncResult TSyncEngine::Run(TBook &book, const QUrl &collection, const TSyncState &old, const TSyncOptions &options)
{
    TSyncResult result;
    TListing listing;
    if (!List(collection, old.Token, listing, result))
        return result;

    const auto cardHash = [&](const TContactRecord &r) { return Hash(m_mapping.EntryCard(r, QByteArray())); };
    const auto coreHash = [&](const TContactRecord &r) {
        TContactRecord nameless = r;
        nameless.SetText(EField::NazevPolozky, QByteArray());
        return Hash(m_mapping.EntryCard(nameless, QByteArray()));
    };

    // The pairs of the last sync, with how each side stands now.
    std::vector<TItem> items;
    items.reserve(size_t(old.Pairs.size()) + size_t(listing.Members.size()));
    QHash<QByteArray, qsizetype> byKey;
    QSet<const TContactRecord *> claimed;
    QHash<QByteArray, QList<qsizetype>> lostByCore; // pairs whose entry name is gone
    for (int i = 0; i < old.Pairs.size(); ++i) {
        const TSyncPair &p = old.Pairs.at(i);
        TItem item;
        item.Pair = i;
        item.Href = p.Href;
        item.Key = DavUrl::Key(collection, p.Href);
        item.ETag = p.ETag;
        if (byKey.contains(item.Key))
            continue; // a damaged state: one pair a card
        const auto m = listing.Members.constFind(item.Key);
        if (m != listing.Members.cend()) {
            item.ETag = m->second;
            item.Server = m->second == p.ETag && !p.ETag.isEmpty() ? TSide::Unchanged : TSide::Changed;
        } else if (listing.Full || listing.Removed.contains(item.Key)) {
            item.Server = TSide::Deleted;
        }
        TContactRecord *entry = book.FindByName(p.Name);
        if (entry && !claimed.contains(entry)) {
            item.Entry = entry;
            claimed.insert(entry);
        }
        byKey.insert(item.Key, qsizetype(items.size()));
        items.push_back(item);
    }
    for (qsizetype i = 0; i < qsizetype(items.size()); ++i)
        if (!items[size_t(i)].Entry)
            lostByCore[old.Pairs.at(items[size_t(i)].Pair).Core] << i;
    // An entry renamed in the book: the same contact, found by everything but its name.
    QList<TContactRecord *> unpaired;
    QHash<QByteArray, QList<TContactRecord *>> unpairedByCore;
    for (qsizetype i = 0; i < book.RecordCount(); ++i) {
        TContactRecord *r = &book.Record(i);
        if (claimed.contains(r))
            continue;
        unpaired << r;
        if (!lostByCore.isEmpty())
            unpairedByCore[coreHash(*r)] << r;
    }
    for (auto it = lostByCore.cbegin(); it != lostByCore.cend(); ++it) {
        const QList<TContactRecord *> candidates = unpairedByCore.value(it.key());
        if (it.value().size() == 1 && candidates.size() == 1) {
            items[size_t(it.value().first())].Entry = candidates.first();
            claimed.insert(candidates.first());
            unpaired.removeOne(candidates.first());
        }
    }
    for (TItem &item : items) {
        const TSyncPair &p = old.Pairs.at(item.Pair);
        item.Local = !item.Entry ? TSide::Deleted : cardHash(*item.Entry) == p.Card ? TSide::Unchanged : TSide::Changed;
    }
    // Cards new to this pairing.
    std::vector<qsizetype> fresh;
    for (const QByteArray &key : listing.Order) {
        if (byKey.contains(key))
            continue;
        const auto &m = listing.Members[key];
        TItem item;
        item.Key = key;
        item.Href = m.first;
        item.ETag = m.second;
        item.Server = TSide::New;
        item.Local = TSide::Deleted;
        byKey.insert(key, qsizetype(items.size()));
        fresh.push_back(qsizetype(items.size()));
        items.push_back(item);
    }

    // Fetch what is new or changed on the server, and the cards a local change is merged into.
    QList<qsizetype> wanted;
    for (qsizetype i = 0; i < qsizetype(items.size()); ++i) {
        const TItem &item = items[size_t(i)];
        if (item.Server == TSide::New || item.Server == TSide::Changed
            || (item.Server == TSide::Unchanged && item.Local == TSide::Changed))
            wanted << i;
    }
    if (!FetchCards(m_client, collection, items, byKey, wanted, result, options))
        return result;
    // Gone between the listing and the fetch: deleted on the server.
    for (qsizetype i : wanted) {
        TItem &item = items[size_t(i)];
        if (!item.Fetched)
            item.Server = TSide::Deleted;
    }

    // The records the fetched cards map to.
    QHash<qsizetype, TContactRecord> mapped;
    for (qsizetype i = 0; i < qsizetype(items.size()); ++i) {
        TItem &item = items[size_t(i)];
        if (!item.Fetched || item.Server == TSide::Unchanged)
            continue;
        TContactRecord r;
        if (!m_mapping.CardEntry(item.Card, r)) {
            // No card in it: nothing of this program's to pair with.
            item.Server = item.Pair < 0 ? TSide::Deleted : TSide::Unchanged;
            continue;
        }
        mapped.insert(i, r);
    }
    // A card and an entry new to each other with the same name are one contact: paired
    // when they map alike, else a conflict to settle.
    QHash<QByteArray, TContactRecord *> unpairedByName;
    for (TContactRecord *r : unpaired)
        if (!unpairedByName.contains(r->Name()))
            unpairedByName.insert(r->Name(), r);
    for (qsizetype i : fresh) {
        TItem &item = items[size_t(i)];
        if (item.Server != TSide::New || !mapped.contains(i))
            continue;
        TContactRecord *entry = unpairedByName.take(mapped[i].Name());
        if (!entry)
            continue;
        unpaired.removeOne(entry);
        item.Entry = entry;
        item.Local = TSide::Changed;
        item.Server = TSide::Changed;
    }

    // What each pair needs.
    std::vector<TItem> keptBoth;
    const auto alike = [&](qsizetype i) {
        const TItem &item = items[size_t(i)];
        return item.Entry && mapped.contains(i) && cardHash(*item.Entry) == cardHash(mapped[i]);
    };
    for (qsizetype i = 0; i < qsizetype(items.size()); ++i) {
        TItem &item = items[size_t(i)];
        const TSide l = item.Local, s = item.Server;
        if (s == TSide::New)
            item.Do = mapped.contains(i) ? TDo::Download : TDo::Nothing;
        else if (l == TSide::Unchanged && s == TSide::Unchanged)
            item.Do = TDo::Nothing;
        else if (l == TSide::Deleted && s == TSide::Deleted)
            item.Do = TDo::Forget;
        else if (l == TSide::Changed && s == TSide::Unchanged)
            item.Do = TDo::Update;
        else if (l == TSide::Deleted && s == TSide::Unchanged)
            item.Do = TDo::DeleteOnServer;
        else if (l == TSide::Unchanged && s == TSide::Changed)
            item.Do = alike(i) ? TDo::Pair : TDo::Download;
        else if (l == TSide::Unchanged && s == TSide::Deleted)
            item.Do = TDo::DeleteInBook;
        else if (l == TSide::Changed && s == TSide::Changed && alike(i))
            item.Do = TDo::Pair;
        else
            item.Do = TDo::Conflict;
        if (item.Do != TDo::Conflict)
            continue;
        TConflictChoice choice = options.Prefer == TSyncPrefer::Server ? TConflictChoice::Theirs
                                 : options.Prefer == TSyncPrefer::Local ? TConflictChoice::Mine
                                                                        : TConflictChoice::Leave;
        if (options.Prefer == TSyncPrefer::None && options.Resolve) {
            const TContactRecord theirs = mapped.value(i);
            choice = options.Resolve(l == TSide::Deleted ? nullptr : item.Entry, s == TSide::Deleted ? nullptr : &theirs);
        }
        // Both where one side deleted it: the one still there is kept.
        if (choice == TConflictChoice::Both && (l == TSide::Deleted || s == TSide::Deleted))
            choice = l == TSide::Deleted ? TConflictChoice::Theirs : TConflictChoice::Mine;
        // A conflict settled becomes what the chosen side asks.
        if (choice == TConflictChoice::Theirs) {
            item.Do = s == TSide::Deleted ? TDo::DeleteInBook : TDo::Download;
        } else if (choice == TConflictChoice::Mine) {
            if (l == TSide::Deleted)
                item.Do = TDo::DeleteOnServer;
            else if (s == TSide::Deleted)
                item.Do = TDo::Upload; // anew, at its old address
            else
                item.Do = TDo::Update;
        } else if (choice == TConflictChoice::Both) {
            // The card comes down as an entry of its own; the entry goes up as a new card.
            TItem mine;
            mine.Entry = item.Entry;
            mine.Local = TSide::New;
            mine.Server = TSide::Deleted;
            mine.Do = TDo::Upload;
            keptBoth.push_back(mine);
            item.Entry = nullptr;
            item.Do = TDo::Download;
        }
    }
    for (const TItem &mine : keptBoth)
        items.push_back(mine);
    // Entries new to the server.
    for (TContactRecord *r : unpaired) {
        TItem item;
        item.Entry = r;
        item.Local = TSide::New;
        item.Server = TSide::Deleted;
        item.Do = TDo::Upload;
        items.push_back(item);
    }

    const auto tell = [&](TSyncAction a, const QByteArray &name) {
        if (options.Tell)
            options.Tell(a, name);
    };
    const auto nameOf = [&](const TItem &item) { return item.Entry ? item.Entry->Name() : old.Pairs.value(item.Pair).Name; };

    // The book first, in memory: it is written only when the server took everything.
    TNames names(book);
    const auto deleteInBook = [&](TItem &item) {
        if (!item.Entry) {
            item.Do = TDo::Forget;
            return;
        }
        tell(TSyncAction::DeleteInBook, item.Entry->Name());
        names.Remove(item.Entry->Name());
        book.RemoveRecord(book.IndexOf(item.Entry));
        item.Entry = nullptr;
        ++result.Counts.DeletedInBook;
        result.BookChanged = true;
    };
    const auto download = [&](TItem &item, TContactRecord r) {
        const QByteArray own = item.Entry ? item.Entry->Name() : QByteArray();
        const QByteArray name = names.Free(r.Name(), own);
        r.SetText(EField::NazevPolozky, name);
        if (item.Entry) {
            // Flags without a caption travel nowhere; the entry keeps its own.
            for (int f = 1; f <= kFlagCount; ++f)
                if (book.Labels.FlagCaptions[size_t(f - 1)].trimmed().isEmpty())
                    r.SetFlag(f, item.Entry->Flag(f));
            names.Remove(own);
            *item.Entry = r;
            book.NamesChanged();
        } else {
            item.Entry = &book.AppendRecord(r);
        }
        names.Add(name);
        tell(TSyncAction::Download, name);
        ++result.Counts.Downloaded;
        result.BookChanged = true;
    };
    for (TItem &item : items)
        if (item.Do == TDo::DeleteInBook)
            deleteInBook(item);
    for (qsizetype i = 0; i < qsizetype(items.size()); ++i)
        if (items[size_t(i)].Do == TDo::Download)
            download(items[size_t(i)], mapped.value(i));

    // The state to keep after a failure: the old pairs with what reached the server.
    TSyncState partial = old;
    QSet<int> partialGone;
    bool failed = false;
    // Told once the server took it (or, on a trial run, as it would be sent).
    const auto countWrite = [&](const TItem &item) {
        if (item.Do == TDo::DeleteOnServer) {
            tell(TSyncAction::DeleteOnServer, nameOf(item));
            ++result.Counts.DeletedOnServer;
        } else {
            tell(TSyncAction::Upload, item.Entry->Name());
            ++result.Counts.Uploaded;
        }
    };
    QHash<QByteArray, qsizetype> written; // the cards this run wrote or deleted, by key

    // Then the server, a few requests at a time, each on the condition the listing saw.
    // Returns the items a 412 (or a card gone) turned into conflicts.
    const auto writeRound = [&](const QList<qsizetype> &which) {
        QList<TDavRequest> requests;
        QList<qsizetype> requestItem;
        QList<qsizetype> late;
        for (qsizetype i : which) {
            TItem &item = items[size_t(i)];
            TDavRequest q;
            if (item.Do == TDo::Upload) {
                const QByteArray id = QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
                if (item.Href.isEmpty()) {
                    item.Href = collection.path(QUrl::FullyEncoded).toUtf8();
                    if (!item.Href.endsWith('/'))
                        item.Href += '/';
                    item.Href += id + ".vcf";
                    item.Key = DavUrl::Key(collection, item.Href);
                }
                item.Card = m_mapping.EntryCard(*item.Entry, "vorlink-" + id);
                q = {"PUT", DavUrl::Resolved(collection, item.Href), {}, {{"If-None-Match", "*"}}, item.Card, "text/vcard; charset=utf-8"};
            } else if (item.Do == TDo::Update) {
                item.Card = item.Fetched ? m_mapping.MergedCard(item.Card, *item.Entry) : QByteArray();
                if (item.Card.isEmpty())
                    item.Card = m_mapping.EntryCard(*item.Entry, "vorlink-" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces));
                q = {"PUT", DavUrl::Resolved(collection, item.Href), {}, {{"If-Match", item.ETag}}, item.Card, "text/vcard; charset=utf-8"};
            } else if (item.Do == TDo::DeleteOnServer) {
                q = {"DELETE", DavUrl::Resolved(collection, item.Href), {}, {{"If-Match", item.ETag}}, {}, {}};
            } else {
                continue;
            }
            if (item.Do != TDo::Upload && item.ETag.isEmpty())
                q.Headers.clear(); // a server without ETags cannot be asked conditionally
            requests << q;
            requestItem << i;
        }
        if (options.DryRun) {
            for (qsizetype i : requestItem)
                countWrite(items[size_t(i)]);
            return late;
        }
        qint64 answered = 0;
        m_client.SendAll(requests, kInFlight, [&](qsizetype index, const TDavReply &reply) {
            if (options.Progress)
                options.Progress(++answered, requests.size());
            // Stopped at a safe point: the answer in hand is still taken in below.
            const bool stop = options.Cancelled && options.Cancelled();
            if (stop && !failed) {
                failed = true;
                result.Failure = TSyncFailure::Cancelled;
            }
            const qsizetype i = requestItem.at(index);
            TItem &item = items[size_t(i)];
            const bool gone = item.Do == TDo::DeleteOnServer && reply.Status == 404;
            if (reply.Status == 412 || (item.Do == TDo::Update && reply.Status == 404)) {
                // Someone wrote the card since it was listed: never overwritten.
                item.Do = TDo::Conflict;
                late << i;
                return !stop;
            }
            if (!TDavClient::Written(reply.Status) && !gone) {
                if (!failed)
                    FailWith(result, reply, requests.at(index).Method, requests.at(index).Url);
                failed = true;
                item.Do = TDo::Nothing;
                return false;
            }
            countWrite(item);
            item.NewETag = reply.ETag;
            written.insert(item.Key, i);
            // What reached the server is remembered even if the rest fails.
            if (item.Do == TDo::DeleteOnServer) {
                if (item.Pair >= 0)
                    partialGone.insert(item.Pair);
                return !stop;
            }
            TSyncPair p;
            p.Href = item.Href;
            p.ETag = reply.ETag;
            p.Name = item.Entry->Name();
            p.Card = cardHash(*item.Entry);
            p.Core = coreHash(*item.Entry);
            if (item.Pair >= 0) {
                partial.Pairs[item.Pair] = p;
            } else if (item.Partial >= 0) {
                partial.Pairs[item.Partial] = p;
            } else {
                item.Partial = int(partial.Pairs.size());
                partial.Pairs << p;
            }
            return !stop;
        });
        return late;
    };
    QList<qsizetype> all;
    for (qsizetype i = 0; i < qsizetype(items.size()); ++i)
        all << i;
    QList<qsizetype> late = writeRound(all);
    if (!late.isEmpty() && !failed && options.Prefer != TSyncPrefer::None) {
        // Written meanwhile by another client: looked at again and settled as preferred.
        if (!FetchCards(m_client, collection, items, byKey, late, result, options))
            failed = true;
        QList<qsizetype> again;
        for (qsizetype i : late) {
            if (failed)
                break;
            TItem &item = items[size_t(i)];
            TContactRecord r;
            const bool card = item.Fetched && m_mapping.CardEntry(item.Card, r);
            if (options.Prefer == TSyncPrefer::Server) {
                if (card) {
                    item.Do = TDo::Download;
                    download(item, r);
                } else {
                    item.Do = TDo::DeleteInBook;
                    deleteInBook(item);
                }
            } else {
                item.Do = !item.Entry ? TDo::DeleteOnServer : card ? TDo::Update : TDo::Upload;
                if (!card && !item.Entry)
                    item.Do = TDo::Forget;
                else
                    again << i;
            }
        }
        late = failed ? QList<qsizetype>() : writeRound(again);
    }
    for (qsizetype i : late) {
        tell(TSyncAction::Conflict, nameOf(items[size_t(i)]));
        ++result.Counts.Conflicts;
    }
    for (const TItem &item : items)
        if (item.Do == TDo::Conflict && !late.contains(&item - items.data())) {
            tell(TSyncAction::Conflict, nameOf(item));
            ++result.Counts.Conflicts;
        }

    const auto partialState = [&] {
        TSyncState s;
        s.Token = old.Token;
        for (int i = 0; i < partial.Pairs.size(); ++i)
            if (!partialGone.contains(i))
                s.Pairs << partial.Pairs.at(i);
        return s;
    };
    if (failed) {
        result.State = partialState();
        result.SaveState = !options.DryRun;
        result.BookChanged = false;
        return result;
    }

    if (result.BookChanged && !options.DryRun && options.SaveBook && !options.SaveBook()) {
        result.Failure = TSyncFailure::BookWrite;
        result.State = partialState();
        result.SaveState = true;
        return result;
    }

    // Everything went through: the new state of every pair.
    TSyncState next;
    // The token of the listing, moved past this run's own writes so the next delta knows
    // of them (a card written and deleted after a token need not be reported from it).
    // A conflict left keeps the old token: its change on the server must show again.
    next.Token = listing.Token;
    if (result.Counts.Conflicts > 0) {
        next.Token = old.Token;
    } else if (!written.isEmpty() && !listing.Token.isEmpty()) {
        TListing after;
        TSyncResult ignored;
        bool foreign = !List(collection, listing.Token, after, ignored) || after.Full;
        for (auto it = after.Members.cbegin(); it != after.Members.cend() && !foreign; ++it) {
            const auto at = written.constFind(it.key());
            if (at == written.cend()) {
                foreign = true;
                continue;
            }
            TItem &mine = items[size_t(*at)];
            if (mine.NewETag.isEmpty())
                mine.NewETag = it.value().second; // a server that sent no ETag with the PUT
            else if (mine.NewETag != it.value().second)
                foreign = true;
        }
        for (const QByteArray &key : after.Removed)
            foreign |= !written.contains(key);
        next.Token = foreign ? listing.Token : after.Token;
    }
    for (const TItem &item : items) {
        switch (item.Do) {
        case TDo::Forget:
        case TDo::DeleteOnServer:
        case TDo::DeleteInBook:
            break;
        case TDo::Conflict:
            if (item.Pair >= 0)
                next.Pairs << old.Pairs.at(item.Pair);
            break;
        case TDo::Nothing:
            if (item.Pair >= 0 && item.Entry) {
                TSyncPair p = old.Pairs.at(item.Pair);
                if (p.Name != item.Entry->Name()) {
                    p.Name = item.Entry->Name();
                    p.Core = coreHash(*item.Entry);
                }
                next.Pairs << p;
            }
            break;
        case TDo::Pair:
        case TDo::Download:
        case TDo::Upload:
        case TDo::Update: {
            if (!item.Entry)
                break;
            TSyncPair p;
            p.Href = item.Href;
            p.ETag = (item.Do == TDo::Upload || item.Do == TDo::Update) ? item.NewETag : item.ETag;
            p.Name = item.Entry->Name();
            p.Card = cardHash(*item.Entry);
            p.Core = coreHash(*item.Entry);
            next.Pairs << p;
            break;
        }
        }
    }
    result.State = next;
    result.SaveState = !options.DryRun;
    return result;
}

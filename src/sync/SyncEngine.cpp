#include "sync/SyncEngine.h"

#include "book/Book.h"
#include "session/CardMapping.h"
#include "sync/DavFailure.h"
#include "sync/DavUrl.h"
#include "sync/DavXml.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSet>
#include <QFileInfo>
#include <QUuid>

namespace {

using DavUrl::Inside;
using DavUrl::SameOrigin;

QByteArray Hash(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

// Each filled field but the name (and the note) as its number
// and a 16-bit checksum, six hex digits a field: a checksum the same on every machine, as it is kept in the state.
QByteArray FieldBytes(const TContactRecord &r)
{
    QByteArray bytes;
    const auto add = [&](int at, const QByteArray &text) {
        if (!text.isEmpty())
            bytes += QByteArray::number(at, 16).rightJustified(2, '0') + QByteArray::number(qChecksum(text), 16).rightJustified(4, '0');
    };
    for (int f = 0; f < kTextFieldCount; ++f)
        if (EField(f) != EField::NazevPolozky)
            add(f, r.Text(EField(f)));
    add(kTextFieldCount, r.Note());
    return bytes;
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

// A member as a listing names it, not yet fetched.
TCardSnap Listed(const QByteArray &key, const QByteArray &href, const QByteArray &etag)
{
    TCardSnap card;
    card.Key = key;
    card.Href = href;
    card.ETag = etag;
    return card;
}

} // namespace

TSyncEngine::TSyncEngine(IDavTransport &client, const ICardMapping &mapping) : m_client(client), m_mapping(mapping) { }

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

bool TSyncEngine::List(const QUrl &collection, const QByteArray &token, TListingSnap &listing, QSet<QByteArray> &removed,
                       QByteArray &newToken, bool &full, TSyncResult &result)
{
    const QByteArray self = collection.path(QUrl::FullyDecoded).toUtf8();
    QByteArray at = token;
    full = token.isEmpty();
    QHash<QByteArray, int> index;
    // A server may hand the changes out in parts (a 507 for the collection itself), but not
    // without end: a listing cut short would make the cards it misses look deleted.
    for (int part = 0;; ++part) {
        if (part >= kMaxListingPages || listing.Cards.size() > kMaxListed)
            return FailUnreadable(result, 207, "REPORT",
                                  QString::fromUtf8("výpis změn nekončí ani po %1 částech (%2 vizitek)").arg(part).arg(listing.Cards.size()));
        const TDavReply reply = m_client.Send({"REPORT", collection, "0", {}, DavXml::SyncCollectionBody(at)});
        if (reply.Status != 207) {
            const bool tokenRefused = (reply.Status == 403 || reply.Status == 409 || reply.Status == 400)
                                      && DavXml::NamesPrecondition(reply.Body, "valid-sync-token");
            if (!at.isEmpty() && tokenRefused && part == 0) {
                // The server forgot the token: everything is compared again.
                listing = TListingSnap();
                removed.clear();
                return List(collection, QByteArray(), listing, removed, newToken, full, result);
            }
            // A server without the report lists its members with their ETags instead.
            if (part == 0 && at.isEmpty()
                && (reply.Status == 400 || reply.Status == 403 || reply.Status == 405 || reply.Status == 415
                    || reply.Status == 501)) {
                newToken.clear();
                return ListByPropfind(collection, listing, result);
            }
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
            if (!Inside(collection, r.Href) || (r.Status != 404 && r.Collection))
                continue;
            const int known = index.value(key, -1);
            if (r.Status == 404) {
                removed.insert(key);
                if (known >= 0)
                    listing.Cards[known].Key.clear(); // dropped below
                index.remove(key);
                continue;
            }
            removed.remove(key);
            const TCardSnap card = Listed(key, r.Href, r.ETag);
            if (known >= 0) {
                listing.Cards[known] = card;
            } else {
                index.insert(key, int(listing.Cards.size()));
                listing.Cards << card;
            }
        }
        newToken = ms.SyncToken;
        if (!more || ms.SyncToken.isEmpty() || ms.SyncToken == at)
            break;
        at = ms.SyncToken;
    }
    listing.Cards.removeIf([](const TCardSnap &c) { return c.Key.isEmpty(); });
    return true;
}

bool TSyncEngine::ListByPropfind(const QUrl &collection, TListingSnap &listing, TSyncResult &result)
{
    const QByteArray self = collection.path(QUrl::FullyDecoded).toUtf8();
    TMultiStatus ms;
    if (!Propfind(collection, "1", DavXml::PropfindBody(true), ms, result))
        return false;
    listing = TListingSnap();
    QSet<QByteArray> seen;
    for (const TDavResponse &r : ms.Responses) {
        const QByteArray key = DavUrl::Key(collection, r.Href);
        if (key == self || key + '/' == self || r.Collection || r.Status != 200 || !Inside(collection, r.Href)
            || seen.contains(key))
            continue;
        seen.insert(key);
        listing.Cards << Listed(key, r.Href, r.ETag);
    }
    return true;
}

// One run of a sync: what each side holds, the plan made of it, the plan carried out.
class TSyncRun
{
public:
    TSyncRun(TSyncEngine &engine, TBook &book, const QUrl &collection, const TSyncState &old, const TSyncOptions &options)
        : m_engine(engine), m_book(book), m_collection(collection), m_old(old), m_options(options), m_names(book)
    {
    }

    TSyncResult Go();

private:
    bool Survey();
    void SnapshotBook();
    bool Fetch(const QList<int> &cards);
    void Resolve();
    void ApplyToBook();
    bool WriteAhead();
    bool RequestFor(int i, TDavRequest &q);
    QList<int> WriteRound(const QList<int> &which);
    void RetryLate(QList<int> &late);
    void CountConflicts(const QList<int> &late);
    TSyncState PartialState() const;
    TSyncState NextState(bool beforeBook);
    QByteArray NextToken();

    void Tell(TSyncAction action, const QByteArray &name) const
    {
        if (m_options.Tell)
            m_options.Tell(action, name);
    }
    QByteArray CardHash(const TContactRecord &r) const { return Hash(m_engine.m_mapping.EntryCard(r, QByteArray())); }
    QByteArray CoreHash(const TContactRecord &r) const
    {
        TContactRecord nameless = r;
        nameless.SetText(EField::NazevPolozky, QByteArray());
        return Hash(m_engine.m_mapping.EntryCard(nameless, QByteArray()));
    }
    TContactRecord *EntryOf(const TPlanItem &item) const { return item.Entry >= 0 ? m_records.at(item.Entry) : nullptr; }
    QByteArray NameOf(const TPlanItem &item) const
    {
        if (const TContactRecord *r = EntryOf(item))
            return r->Name();
        return item.Pair >= 0 ? m_old.Pairs.at(item.Pair).Name : QByteArray();
    }
    TSyncPair PairFor(const TPlanItem &item, const QByteArray &etag) const;
    void DeleteInBook(TPlanItem &item);
    void Download(TPlanItem &item, TContactRecord r);

    TSyncEngine &m_engine;
    TBook &m_book;
    const QUrl m_collection;
    const TSyncState m_old; // a copy: the state written ahead may be the caller's own
    const TSyncOptions &m_options;
    TSyncResult m_result;

    // What each side holds.
    QList<QByteArray> m_keys; // of the state's pairs
    QList<TEntrySnap> m_entries;
    QList<TContactRecord *> m_records; // the entries of m_entries; null once deleted here
    TListingSnap m_listing;
    QByteArray m_token; // the listing's
    bool m_full = false;
    QHash<int, QByteArray> m_bodies; // fetched cards, by their place in the listing
    QHash<int, TContactRecord> m_mapped; // the entries they map to

    // What is done.
    TPlan m_plan;
    TNames m_names;
    struct TWritten
    {
        QByteArray Href, Uid, Body, ETag;
        bool Done = false;
        int Partial = -1; // its pair in m_partial
    };
    QHash<int, TWritten> m_writes; // by item
    TSyncState m_partial; // the state after a failure: the old pairs with what reached the server
    QSet<int> m_partialGone;
    bool m_failed = false;
};

// The cards at `cards` in the listing, a few batches in flight. A card the server will not
// hand out stays unfetched; false, with the failure in the result, when an answer as a
// whole was not what was asked.
bool TSyncRun::Fetch(const QList<int> &cards)
{
    qint64 done = 0;
    QList<TDavRequest> requests;
    QHash<QByteArray, int> byKey;
    for (qsizetype from = 0; from < cards.size(); from += TSyncEngine::kMultigetBatch) {
        QList<QByteArray> hrefs;
        for (qsizetype j = from; j < std::min(cards.size(), from + TSyncEngine::kMultigetBatch); ++j) {
            const TCardSnap &c = m_listing.Cards.at(cards.at(j));
            hrefs << c.Href;
            byKey.insert(c.Key, cards.at(j));
        }
        requests << TDavRequest {"REPORT", m_collection, {}, {}, DavXml::MultigetBody(hrefs)};
    }
    bool ok = true;
    m_engine.m_client.SendAll(requests, TSyncEngine::kInFlight, [&](qsizetype, const TDavReply &reply) {
        TMultiStatus ms;
        QString error;
        if (reply.Status != 207)
            return ok = FailWith(m_result, reply, "REPORT", m_collection);
        if (!DavXml::ParseMultiStatus(reply.Body, ms, error))
            return ok = FailUnreadable(m_result, reply.Status, "REPORT", error);
        for (const TDavResponse &r : ms.Responses) {
            const auto at = byKey.constFind(DavUrl::Key(m_collection, r.Href));
            if (at == byKey.cend() || r.Status != 200 || r.AddressData.isEmpty())
                continue;
            TCardSnap &c = m_listing.Cards[*at];
            c.Fetched = true;
            if (!r.ETag.isEmpty())
                c.ETag = r.ETag;
            TContactRecord mapped;
            c.IsCard = m_engine.m_mapping.CardEntry(r.AddressData, mapped);
            if (c.IsCard) {
                c.Name = mapped.Name();
                c.Card = CardHash(mapped);
                c.Core = CoreHash(mapped);
                c.Fields = FieldBytes(mapped);
                m_mapped.insert(*at, mapped);
            }
            m_bodies.insert(*at, r.AddressData);
        }
        done = std::min<qint64>(cards.size(), done + TSyncEngine::kMultigetBatch);
        if (m_options.Progress)
            m_options.Progress(done, cards.size());
        if (m_options.Cancelled && m_options.Cancelled()) {
            m_result.Failure = TSyncFailure::Cancelled;
            return ok = false;
        }
        return true;
    });
    return ok;
}

void TSyncRun::SnapshotBook()
{
    for (qsizetype i = 0; i < m_book.RecordCount(); ++i) {
        TContactRecord *r = &m_book.Record(i);
        TEntrySnap e;
        e.Name = r->Name();
        e.Card = CardHash(*r);
        e.Fields = FieldBytes(*r);
        e.Core = CoreHash(*r);
        m_entries << e;
        m_records << r;
    }
}

// Both sides as they stand, and the cards the plan needs fetched.
bool TSyncRun::Survey()
{
    QSet<QByteArray> removed;
    if (!m_engine.List(m_collection, m_old.Token, m_listing, removed, m_token, m_full, m_result))
        return false;
    for (const TSyncPair &p : m_old.Pairs)
        m_keys << DavUrl::Key(m_collection, p.Href);
    if (!m_full) {
        // A delta names only what changed: the state's other cards are still there.
        QSet<QByteArray> listed;
        for (const TCardSnap &c : m_listing.Cards)
            listed.insert(c.Key);
        for (int i = 0; i < m_old.Pairs.size(); ++i) {
            const TSyncPair &p = m_old.Pairs.at(i);
            if (p.Card.isEmpty() || listed.contains(m_keys.at(i)) || removed.contains(m_keys.at(i)))
                continue;
            listed.insert(m_keys.at(i));
            m_listing.Cards << Listed(m_keys.at(i), p.Href, p.ETag);
        }
    }
    SnapshotBook();
    return Fetch(SyncPlan::Wanted(m_old, m_keys, m_entries, m_listing));
}

// Each conflict asked, or settled as preferred.
void TSyncRun::Resolve()
{
    QList<TPlanItem> extra;
    for (TPlanItem &item : m_plan.Items) {
        if (item.Do != TStep::Conflict)
            continue;
        TConflictChoice choice = m_options.Prefer == TSyncPrefer::Server ? TConflictChoice::Theirs
                                 : m_options.Prefer == TSyncPrefer::Local ? TConflictChoice::Mine
                                                                          : TConflictChoice::Leave;
        if (m_options.Prefer == TSyncPrefer::None && m_options.Resolve) {
            const TContactRecord theirs = m_mapped.value(item.Card);
            choice = m_options.Resolve(item.Local == TSide::Deleted ? nullptr : EntryOf(item),
                                       item.Server == TSide::Deleted ? nullptr : &theirs);
        }
        SyncPlan::Settle(item, choice, extra);
    }
    m_plan.Items << extra;
}

void TSyncRun::DeleteInBook(TPlanItem &item)
{
    TContactRecord *entry = EntryOf(item);
    if (!entry) {
        item.Do = TStep::Forget;
        return;
    }
    Tell(TSyncAction::DeleteInBook, entry->Name());
    m_names.Remove(entry->Name());
    m_book.RemoveRecord(m_book.IndexOf(entry));
    m_records[item.Entry] = nullptr;
    item.Entry = -1;
    ++m_result.Counts.DeletedInBook;
    m_result.BookChanged = true;
}

void TSyncRun::Download(TPlanItem &item, TContactRecord r)
{
    TContactRecord *entry = EntryOf(item);
    const QByteArray own = entry ? entry->Name() : QByteArray();
    const QByteArray name = m_names.Free(r.Name(), own);
    r.SetText(EField::NazevPolozky, name);
    if (entry) {
        // Flags without a caption travel nowhere; the entry keeps its own.
        for (int f = 1; f <= kFlagCount; ++f)
            if (m_book.Labels.FlagCaptions[size_t(f - 1)].trimmed().isEmpty())
                r.SetFlag(f, entry->Flag(f));
        m_names.Remove(own);
        *entry = r;
        m_book.NamesChanged();
    } else {
        item.Entry = int(m_records.size());
        m_records << &m_book.AppendRecord(r);
    }
    m_names.Add(name);
    Tell(TSyncAction::Download, name);
    ++m_result.Counts.Downloaded;
    m_result.BookChanged = true;
}

// The book first, in memory: it is written only when the server took everything.
void TSyncRun::ApplyToBook()
{
    for (TPlanItem &item : m_plan.Items)
        if (item.Do == TStep::DeleteInBook)
            DeleteInBook(item);
    for (TPlanItem &item : m_plan.Items) {
        if (item.Do != TStep::Download)
            continue;
        Download(item, m_mapped.value(item.Card));
        // A card kept beside the entry it conflicted with is named as its new entry, so
        // that the two are told apart wherever the cards are shown.
        if (item.FollowName && EntryOf(item)->Name() != m_listing.Cards.at(item.Card).Name)
            item.Do = TStep::Update;
    }
}

TSyncPair TSyncRun::PairFor(const TPlanItem &item, const QByteArray &etag) const
{
    const TContactRecord *entry = EntryOf(item);
    TSyncPair p;
    p.Href = item.Card >= 0 ? m_listing.Cards.at(item.Card).Href : item.Pair >= 0 ? m_old.Pairs.at(item.Pair).Href : QByteArray();
    p.ETag = etag;
    p.Name = entry->Name();
    p.Card = CardHash(*entry);
    p.Core = CoreHash(*entry);
    p.Fields = FieldBytes(*entry);
    return p;
}

// Before the first write the state learns where each new card goes and what it holds, so
// a run that dies part-way is finished by the next one, never repeated.
bool TSyncRun::WriteAhead()
{
    m_partial = m_old;
    bool any = false;
    for (int i = 0; i < m_plan.Items.size(); ++i) {
        TPlanItem &item = m_plan.Items[i];
        TContactRecord *entry = EntryOf(item);
        if (item.Do != TStep::Upload && item.Do != TStep::Update)
            continue;
        TWritten w;
        if (item.Do == TStep::Upload) {
            QByteArray href = item.Card >= 0 ? m_listing.Cards.at(item.Card).Href
                              : item.Pair >= 0 ? m_old.Pairs.at(item.Pair).Href : QByteArray();
            QByteArray id = QFileInfo(QUrl::fromPercentEncoding(href)).completeBaseName().toUtf8();
            if (href.isEmpty()) {
                id = QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
                href = m_collection.path(QUrl::FullyEncoded).toUtf8();
                if (!href.endsWith('/'))
                    href += '/';
                href += id + ".vcf";
            }
            w.Href = href;
            w.Uid = id.startsWith("vorlink-") ? id : "vorlink-" + id;
            w.Body = m_engine.m_mapping.EntryCard(*entry, w.Uid);
        } else {
            w.Href = m_listing.Cards.at(item.Card).Href;
            w.Body = m_engine.m_mapping.MergedCard(m_bodies.value(item.Card), *entry);
            if (w.Body.isEmpty()) // what the server held was no card: ours replaces it
                w.Body = m_engine.m_mapping.EntryCard(*entry, "vorlink-" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces));
        }
        TSyncPair ahead = item.Pair >= 0 ? m_old.Pairs.at(item.Pair) : TSyncPair();
        ahead.Href = w.Href;
        ahead.Sent = CardHash(*entry);
        if (item.Do == TStep::Upload)
            ahead.Card.clear(); // a new card until the server has it
        if (item.Pair < 0) {
            ahead.Name = entry->Name();
            ahead.Core = CoreHash(*entry);
            ahead.Fields = FieldBytes(*entry);
            w.Partial = int(m_partial.Pairs.size());
            m_partial.Pairs << ahead;
        } else {
            w.Partial = item.Pair;
            m_partial.Pairs[item.Pair] = ahead;
        }
        m_writes.insert(i, w);
        any = true;
    }
    if (!any || m_options.DryRun || !m_options.WriteAhead)
        return true;
    if (m_options.WriteAhead(m_partial))
        return true;
    m_result.Failure = TSyncFailure::StateWrite;
    return false;
}

// The planned writes among `which`, a few requests at a time, each on the condition the
// listing saw. Returns the items a 412 (or a card gone) stopped: written meanwhile by
// someone else, never overwritten.
// The request that carries out item `i`; false when it writes nothing to the server.
bool TSyncRun::RequestFor(int i, TDavRequest &q)
{
    const TPlanItem &item = m_plan.Items.at(i);
    const QByteArray etag = item.Card >= 0 ? m_listing.Cards.at(item.Card).ETag : QByteArray();
    if (item.Do == TStep::Upload || item.Do == TStep::Update) {
        const TWritten &w = m_writes[i];
        q = {"PUT", DavUrl::Resolved(m_collection, w.Href), {},
             {{item.Do == TStep::Upload ? "If-None-Match" : "If-Match", item.Do == TStep::Upload ? "*" : etag}},
             w.Body, "text/vcard; charset=utf-8"};
    } else if (item.Do == TStep::DeleteOnServer) {
        q = {"DELETE", DavUrl::Resolved(m_collection, m_listing.Cards.at(item.Card).Href), {}, {{"If-Match", etag}}, {}, {}};
    } else {
        return false;
    }
    if (item.Do != TStep::Upload && etag.isEmpty())
        q.Headers.clear(); // a server without ETags cannot be asked conditionally
    return true;
}

QList<int> TSyncRun::WriteRound(const QList<int> &which)
{
    QList<TDavRequest> requests;
    QList<int> requestItem;
    QList<int> late;
    for (int i : which) {
        TDavRequest q;
        if (!RequestFor(i, q))
            continue;
        requests << q;
        requestItem << i;
    }
    const auto count = [&](const TPlanItem &item) {
        if (item.Do == TStep::DeleteOnServer) {
            Tell(TSyncAction::DeleteOnServer, NameOf(item));
            ++m_result.Counts.DeletedOnServer;
        } else {
            Tell(TSyncAction::Upload, NameOf(item));
            ++m_result.Counts.Uploaded;
        }
    };
    if (m_options.DryRun) {
        for (int i : requestItem)
            count(m_plan.Items.at(i));
        return late;
    }
    qint64 answered = 0;
    m_engine.m_client.SendAll(requests, TSyncEngine::kInFlight, [&](qsizetype index, const TDavReply &reply) {
        if (m_options.Progress)
            m_options.Progress(++answered, requests.size());
        // Stopped at a safe point: the answer in hand is still taken in below.
        const bool stop = m_options.Cancelled && m_options.Cancelled();
        if (stop && !m_failed) {
            m_failed = true;
            m_result.Failure = TSyncFailure::Cancelled;
        }
        const int i = requestItem.at(index);
        TPlanItem &item = m_plan.Items[i];
        const bool gone = item.Do == TStep::DeleteOnServer && reply.Status == 404;
        if (reply.Status == 412 || (item.Do == TStep::Update && reply.Status == 404)) {
            late << i;
            return !stop;
        }
        if (!TDavClient::Written(reply.Status) && !gone) {
            if (!m_failed)
                FailWith(m_result, reply, requests.at(index).Method, requests.at(index).Url);
            m_failed = true;
            item.Do = TStep::Nothing;
            return false;
        }
        count(item);
        // What reached the server is remembered even if the rest fails.
        if (item.Do == TStep::DeleteOnServer) {
            if (item.Pair >= 0)
                m_partialGone.insert(item.Pair);
            return !stop;
        }
        TWritten &w = m_writes[i];
        w.Done = true;
        w.ETag = reply.ETag;
        TSyncPair p = PairFor(item, reply.ETag);
        p.Href = w.Href;
        if (reply.ETag.isEmpty())
            p.Sent = p.Card; // a server that names no ETag: the next run compares the card
        m_partial.Pairs[w.Partial] = p;
        return !stop;
    });
    return late;
}

// Cards written meanwhile by another client are fetched again: the same contact is paired,
// anything else settled as preferred or left as a conflict.
void TSyncRun::RetryLate(QList<int> &late)
{
    if (late.isEmpty() || m_failed)
        return;
    QList<int> cards;
    for (int i : late) {
        TPlanItem &item = m_plan.Items[i];
        if (item.Card < 0) {
            // An upload whose address someone took: the card there is looked at.
            TCardSnap c;
            c.Href = m_writes.value(i).Href;
            c.Key = DavUrl::Key(m_collection, c.Href);
            item.Card = int(m_listing.Cards.size());
            m_listing.Cards << c;
        }
        m_listing.Cards[item.Card].Fetched = false;
        m_listing.Cards[item.Card].IsCard = false;
        cards << item.Card;
    }
    if (!Fetch(cards)) {
        m_failed = true;
        return;
    }
    QList<int> again, left;
    for (int i : late) {
        TPlanItem &item = m_plan.Items[i];
        const TCardSnap &c = m_listing.Cards.at(item.Card);
        const TContactRecord *entry = EntryOf(item);
        if (c.Fetched && c.IsCard && entry && c.Card == CardHash(*entry)) {
            item.Do = TStep::Pair; // it holds what we meant to write
            continue;
        }
        item.Local = entry ? TSide::Changed : TSide::Deleted;
        item.Server = c.Fetched && c.IsCard ? TSide::Changed : TSide::Deleted;
        if (m_options.Prefer == TSyncPrefer::None) {
            item.Do = TStep::Conflict;
            left << i;
            continue;
        }
        QList<TPlanItem> none;
        SyncPlan::Settle(item, m_options.Prefer == TSyncPrefer::Server ? TConflictChoice::Theirs : TConflictChoice::Mine, none);
        if (item.Do == TStep::Download) {
            Download(item, m_mapped.value(item.Card));
        } else if (item.Do == TStep::DeleteInBook) {
            DeleteInBook(item);
        } else if (item.Do == TStep::Update || item.Do == TStep::Upload) {
            TWritten &w = m_writes[i];
            w.Body = item.Do == TStep::Update ? m_engine.m_mapping.MergedCard(m_bodies.value(item.Card), *EntryOf(item))
                                              : m_engine.m_mapping.EntryCard(*EntryOf(item), w.Uid);
            again << i;
        } else if (item.Do == TStep::DeleteOnServer) {
            again << i;
        }
    }
    late = left;
    if (!again.isEmpty() && !m_failed)
        late << WriteRound(again);
}

void TSyncRun::CountConflicts(const QList<int> &late)
{
    for (int i = 0; i < m_plan.Items.size(); ++i) {
        const TPlanItem &item = m_plan.Items.at(i);
        if (item.Do == TStep::Conflict || late.contains(i)) {
            if (item.Do != TStep::Conflict)
                m_plan.Items[i].Do = TStep::Conflict;
            Tell(TSyncAction::Conflict, NameOf(item));
            ++m_result.Counts.Conflicts;
        }
    }
}

TSyncState TSyncRun::PartialState() const
{
    TSyncState s;
    s.Token = m_old.Token;
    for (int i = 0; i < m_partial.Pairs.size(); ++i)
        if (!m_partialGone.contains(i))
            s.Pairs << m_partial.Pairs.at(i);
    return s;
}

// The token of the listing, moved past this run's own writes so the next delta knows of
// them (a card written and deleted after a token need not be reported from it). A
// conflict left, or a card not fetched, keeps the old token: it must show again.
QByteArray TSyncRun::NextToken()
{
    if (m_result.Counts.Conflicts > 0 || m_plan.Unfetched > 0)
        return m_old.Token;
    QHash<QByteArray, int> written; // by key
    for (int i = 0; i < m_plan.Items.size(); ++i) {
        const TPlanItem &item = m_plan.Items.at(i);
        if (m_writes.value(i).Done)
            written.insert(DavUrl::Key(m_collection, m_writes.value(i).Href), i);
        else if (item.Do == TStep::DeleteOnServer)
            written.insert(m_listing.Cards.at(item.Card).Key, i);
    }
    if (written.isEmpty() || m_token.isEmpty())
        return m_token;
    TListingSnap after;
    QSet<QByteArray> removed;
    QByteArray token;
    bool full = false;
    TSyncResult ignored;
    bool foreign = !m_engine.List(m_collection, m_token, after, removed, token, full, ignored) || full;
    for (const TCardSnap &c : after.Cards) {
        const auto at = written.constFind(c.Key);
        if (foreign || at == written.cend()) {
            foreign = true;
            break;
        }
        TWritten &mine = m_writes[*at];
        if (mine.ETag.isEmpty())
            mine.ETag = c.ETag; // a server that sent no ETag with the PUT
        else if (mine.ETag != c.ETag)
            foreign = true;
    }
    for (const QByteArray &key : removed)
        foreign |= !written.contains(key);
    return foreign ? m_token : token;
}

// Everything went through: the new state of every pair.
// The state once everything went through. Written ahead of the book (`beforeBook`), an
// entry the book is about to change keeps its old pair and one it is about to get is
// marked coming: whether or not the book was written then, the next run reads it right.
TSyncState TSyncRun::NextState(bool beforeBook)
{
    TSyncState next;
    next.Token = beforeBook ? m_old.Token : NextToken();
    for (int i = 0; i < m_plan.Items.size(); ++i) {
        const TPlanItem &item = m_plan.Items.at(i);
        const TContactRecord *entry = EntryOf(item);
        const bool bookSide = item.Do == TStep::Download || item.Do == TStep::DeleteInBook;
        if (beforeBook && bookSide && item.Pair >= 0) {
            // Under the name the entry is about to get, with the fields it has until then:
            // found either way.
            next.Pairs << m_old.Pairs.at(item.Pair);
            if (entry)
                next.Pairs.last().Name = entry->Name();
            continue;
        }
        switch (item.Do) {
        case TStep::Forget:
        case TStep::DeleteOnServer:
        case TStep::DeleteInBook:
            break;
        case TStep::Conflict:
        case TStep::Nothing:
            if (item.Pair >= 0) {
                TSyncPair p = m_old.Pairs.at(item.Pair);
                p.Coming = p.Coming && !entry; // the book has it now
                if (entry && p.Name != entry->Name() && !p.Card.isEmpty()) {
                    p.Name = entry->Name();
                    p.Core = CoreHash(*entry);
                    p.Fields = FieldBytes(*entry);
                }
                next.Pairs << p;
            } else if (item.Do == TStep::Conflict && entry && item.Card >= 0) {
                // Found to be one contact without a state and left: remembered as a pair
                // agreed on nothing, so the next run asks again instead of doubling it.
                TSyncPair p = PairFor(item, QByteArray());
                p.Card.clear();
                next.Pairs << p;
            }
            break;
        case TStep::Pair:
        case TStep::Download:
            if (entry) {
                next.Pairs << PairFor(item, m_listing.Cards.at(item.Card).ETag);
                next.Pairs.last().Coming = beforeBook && item.Do == TStep::Download;
            }
            break;
        case TStep::Upload:
        case TStep::Update:
            if (entry) {
                const TWritten &w = m_writes.value(i);
                TSyncPair p = PairFor(item, w.ETag);
                p.Href = w.Href;
                if (w.ETag.isEmpty())
                    p.Sent = p.Card;
                next.Pairs << p;
            }
            break;
        }
    }
    return next;
}

TSyncResult TSyncRun::Go()
{
    if (!Survey())
        return m_result;
    m_plan = SyncPlan::Make(m_old, m_keys, m_entries, m_listing);
    m_result.Unfetched = m_plan.Unfetched;
    Resolve();
    ApplyToBook();
    if (!WriteAhead()) {
        m_result.BookChanged = false;
        return m_result;
    }
    QList<int> all;
    for (int i = 0; i < m_plan.Items.size(); ++i)
        all << i;
    QList<int> late = WriteRound(all);
    RetryLate(late);
    CountConflicts(late);
    if (m_failed) {
        m_result.State = PartialState();
        m_result.SaveState = !m_options.DryRun;
        m_result.BookChanged = false;
        return m_result;
    }
    if (m_result.BookChanged && !m_options.DryRun && m_options.WriteAhead && !m_options.WriteAhead(NextState(true))) {
        m_result.Failure = TSyncFailure::StateWrite;
        m_result.BookChanged = false;
        return m_result;
    }
    if (m_result.BookChanged && !m_options.DryRun && m_options.SaveBook && !m_options.SaveBook()) {
        m_result.Failure = TSyncFailure::BookWrite;
        m_result.State = PartialState();
        m_result.SaveState = true;
        return m_result;
    }
    m_result.State = NextState(false);
    m_result.SaveState = !m_options.DryRun;
    return m_result;
}

TSyncResult TSyncEngine::Run(TBook &book, const QUrl &collection, const TSyncState &state, const TSyncOptions &options)
{
    return TSyncRun(*this, book, collection, state, options).Go();
}

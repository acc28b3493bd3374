#include "sync/SyncPlan.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// The pairs, entries and cards of a run matched up, with how each side stands.
struct TCompared
{
    QList<TPlanItem> Items;
    // Items paired without a state because entry and card are the same contact.
    QSet<int> Same;
};

bool IsNewUpload(const TSyncPair &p)
{
    return p.Card.isEmpty() && !p.Sent.isEmpty();
}

// The server's side of a state pair whose card is `c` (null: not on the server).
TSide ServerSide(const TSyncPair &p, const TCardSnap *c, TSide local)
{
    if (!c)
        return TSide::Deleted;
    if (!p.Sent.isEmpty() && c->Fetched && c->IsCard && c->Card == p.Sent)
        return TSide::Unchanged; // what the last run sent landed
    if (IsNewUpload(p))
        return c->Fetched ? TSide::Changed : TSide::Unknown;
    // The same ETag as agreed: nothing landed there since, a write sent or not.
    const bool sameTag = !p.ETag.isEmpty() && c->ETag == p.ETag;
    if (sameTag) {
        // Its body is needed only to merge a change of the book into it.
        return local == TSide::Changed && !c->Fetched ? TSide::Unknown : TSide::Unchanged;
    }
    if (!c->Fetched)
        return TSide::Unknown;
    // A body that holds no card is nothing of the book's: left as it was.
    return c->IsCard ? TSide::Changed : TSide::Unchanged;
}

// Whether an entry holds more than a name: at least two fields filled.
bool Substantial(const QByteArray &fields)
{
    int filled = 0;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2)
        filled += fields.at(i) == '0' && fields.at(i + 1) == '0' ? 0 : 1;
    return filled >= 2;
}

// An entry of the pair's name changed since: the same contact unless nearly all its
// fields are new (one deleted and another made under its name).
bool SameContact(const TSyncPair &p, const TEntrySnap &e)
{
    return !Substantial(p.Fields) || e.Fields.isEmpty() || SyncPlan::MostlyAlike(p.Fields, e.Fields);
}

void PairByState(const TSyncState &state, const QList<QByteArray> &keys, const QList<TEntrySnap> &book,
                 const QHash<QByteArray, int> &cardAt, QList<bool> &entryTaken, QList<bool> &cardTaken,
                 QList<TPlanItem> &items)
{
    QHash<QByteArray, QList<int>> byName;
    for (int i = book.size() - 1; i >= 0; --i)
        byName[book.at(i).Name].prepend(i);
    QSet<QByteArray> seen;
    for (int i = 0; i < state.Pairs.size(); ++i) {
        const QByteArray &key = keys.at(i);
        if (seen.contains(key))
            continue; // a damaged state: one pair a card
        seen.insert(key);
        TPlanItem item;
        item.Pair = i;
        item.Card = cardAt.value(key, -1);
        if (item.Card >= 0)
            cardTaken[item.Card] = true;
        items << item;
    }
    // By name: first the entries as they were, so that a new entry given the name of one
    // renamed is not taken for it.
    const auto byItsName = [&](bool unchangedOnly) {
        for (TPlanItem &item : items) {
            const TSyncPair &p = state.Pairs.at(item.Pair);
            for (int e : byName.value(p.Name))
                if (item.Entry < 0 && !entryTaken.at(e)
                    && (unchangedOnly ? book.at(e).Card == p.Card : SameContact(p, book.at(e)))) {
                    item.Entry = e;
                    entryTaken[e] = true;
                }
        }
    };
    byItsName(true);
    // An entry renamed in the book: the same contact, found by everything but its name.
    QHash<QByteArray, QList<int>> lost, found;
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i).Entry < 0)
            lost[state.Pairs.at(items.at(i).Pair).Core] << i;
    for (int e = 0; e < book.size(); ++e)
        if (!entryTaken.at(e) && !book.at(e).Core.isEmpty() && lost.contains(book.at(e).Core))
            found[book.at(e).Core] << e;
    for (auto it = found.cbegin(); it != found.cend(); ++it)
        if (it.value().size() == 1 && lost.value(it.key()).size() == 1) {
            items[lost.value(it.key()).first()].Entry = it.value().first();
            entryTaken[it.value().first()] = true;
        }
    byItsName(false);
    // Renamed and edited at once: most fields agreeing, one entry for one pair.
    QHash<int, QList<int>> candidates; // entry to items
    QHash<int, int> choices; // item to its one entry
    qsizetype lostCount = 0, freeCount = 0;
    for (const TPlanItem &item : items)
        lostCount += item.Entry < 0 ? 1 : 0;
    for (int e = 0; e < book.size(); ++e)
        freeCount += entryTaken.at(e) ? 0 : 1;
    // Worth a look while few entries are new and few lost, as between two syncs.
    for (int i = 0; i < items.size() && lostCount * freeCount <= 1000000; ++i) {
        if (items.at(i).Entry >= 0)
            continue;
        int only = -1, count = 0;
        for (int e = 0; e < book.size(); ++e)
            if (!entryTaken.at(e) && SyncPlan::MostlyAlike(state.Pairs.at(items.at(i).Pair).Fields, book.at(e).Fields)) {
                only = e;
                ++count;
            }
        if (count == 1) {
            choices.insert(i, only);
            candidates[only] << i;
        }
    }
    for (auto it = choices.cbegin(); it != choices.cend(); ++it)
        if (candidates.value(it.value()).size() == 1) {
            items[it.key()].Entry = it.value();
            entryTaken[it.value()] = true;
        }
    // An entry that never reached the book: its card is new to it.
    for (qsizetype i = items.size() - 1; i >= 0; --i)
        if (items.at(i).Entry < 0 && state.Pairs.at(items.at(i).Pair).Coming) {
            if (items.at(i).Card >= 0)
                cardTaken[items.at(i).Card] = false;
            items.removeAt(i);
        }
}


// What is left of cards and entries new to each other: most fields agreeing, one for one,
// is one contact changed on one side or both (renamed and edited with the state lost).
void PairAlike(const QList<TEntrySnap> &book, const TListingSnap &listing, QList<TPlanItem> &items)
{
    QList<int> cards, entries;
    for (int i = 0; i < items.size(); ++i) {
        const TPlanItem &item = items.at(i);
        if (item.Server == TSide::New && item.Entry < 0 && listing.Cards.at(item.Card).IsCard)
            cards << i;
        else if (item.Local == TSide::New && item.Entry >= 0 && item.Card < 0)
            entries << i;
    }
    if (qint64(cards.size()) * entries.size() > 1000000)
        return;
    QHash<int, QList<int>> matches, matchedBy;
    for (int c : cards)
        for (int e : entries)
            if (SyncPlan::MostlyAlike(listing.Cards.at(items.at(c).Card).Fields, book.at(items.at(e).Entry).Fields)) {
                matches[c] << e;
                matchedBy[e] << c;
            }
    for (auto it = matches.cbegin(); it != matches.cend(); ++it) {
        const int e = it.value().first();
        if (it.value().size() != 1 || matchedBy.value(e).size() != 1)
            continue;
        TPlanItem &card = items[it.key()];
        card.Entry = items.at(e).Entry;
        card.Local = card.Server = TSide::Changed;
        items[e].Entry = -1; // dropped by the caller
    }
}

// Cards and entries new to each other are one contact when they map alike but for the
// suffix a unique name gave the entry; with the same name and different content they are
// one contact changed on both sides.
void PairWithoutState(const QList<TEntrySnap> &book, const TListingSnap &listing, QList<TPlanItem> &items,
                      QSet<int> &same)
{
    QHash<QByteArray, QList<int>> byContent, byCore, byName; // items of entries alone
    QHash<QByteArray, int> cardsByCore;
    for (int i = 0; i < items.size(); ++i) {
        const TPlanItem &item = items.at(i);
        if (item.Server == TSide::New && listing.Cards.at(item.Card).IsCard)
            ++cardsByCore[listing.Cards.at(item.Card).Core];
        if (item.Local != TSide::New)
            continue;
        const TEntrySnap &e = book.at(item.Entry);
        if (!e.Core.isEmpty())
            byContent[SyncPlan::BaseName(e.Name) + '\n' + e.Core] << i;
        if (Substantial(e.Fields))
            byCore[e.Core] << i;
        byName[e.Name] << i;
    }
    // Renamed in the book with its card not yet paired (a run that died before it wrote
    // the state): the same content, more than a name, one entry for one card.
    const auto onlyByCore = [&](const QByteArray &core) {
        QList<int> none;
        return cardsByCore.value(core) == 1 && byCore.value(core).size() == 1 ? byCore[core] : none;
    };
    // Only the same name: one contact unless most of its fields differ.
    const auto take = [&](QList<int> &candidates, TPlanItem &card, const QByteArray &fields = QByteArray()) {
        for (qsizetype k = 0; k < candidates.size(); ++k) {
            const int at = candidates.at(k);
            if (items.at(at).Entry < 0)
                continue; // taken by another card
            const QByteArray &theirs = book.at(items.at(at).Entry).Fields;
            if (!fields.isEmpty() && !theirs.isEmpty() && !SyncPlan::MostlyAlike(fields, theirs))
                continue;
            candidates.removeAt(k);
            card.Entry = items.at(at).Entry;
            items[at].Entry = -1; // merged into the card's item, dropped below
            return true;
        }
        return false;
    };
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < items.size(); ++i) {
            TPlanItem &item = items[i];
            if (item.Server != TSide::New || item.Entry >= 0)
                continue;
            const TCardSnap &c = listing.Cards.at(item.Card);
            if (!c.Fetched || !c.IsCard)
                continue;
            if (pass == 0 && !c.Core.isEmpty() && take(byContent[SyncPlan::BaseName(c.Name) + '\n' + c.Core], item)) {
                item.Local = item.Server = TSide::Unchanged;
                same.insert(i);
            } else if (pass == 0 && !c.Core.isEmpty()) {
                QList<int> only = onlyByCore(c.Core);
                if (take(only, item)) {
                    item.Local = item.Server = TSide::Unchanged;
                    same.insert(i);
                }
            } else if (pass == 1 && take(byName[c.Name], item, c.Fields)) {
                item.Local = item.Server = TSide::Changed;
            }
        }
    PairAlike(book, listing, items);
    QList<TPlanItem> kept;
    QSet<int> keptSame;
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i).Entry < 0 && items.at(i).Card < 0 && items.at(i).Pair < 0)
            continue;
        if (same.contains(i))
            keptSame.insert(int(kept.size()));
        kept << items.at(i);
    }
    items = kept;
    same = keptSame;
}

TCompared Compare(const TSyncState &state, const QList<QByteArray> &keys, const QList<TEntrySnap> &book,
                  const TListingSnap &listing)
{
    TCompared out;
    QHash<QByteArray, int> cardAt;
    for (int i = 0; i < listing.Cards.size(); ++i)
        cardAt.insert(listing.Cards.at(i).Key, i);
    QList<bool> entryTaken(book.size(), false), cardTaken(listing.Cards.size(), false);
    PairByState(state, keys, book, cardAt, entryTaken, cardTaken, out.Items);
    for (TPlanItem &item : out.Items) {
        const TSyncPair &p = state.Pairs.at(item.Pair);
        const TCardSnap *c = item.Card >= 0 ? &listing.Cards.at(item.Card) : nullptr;
        if (item.Entry < 0)
            item.Local = TSide::Deleted;
        else if (IsNewUpload(p))
            item.Local = TSide::Changed;
        else
            item.Local = book.at(item.Entry).Card == p.Card ? TSide::Unchanged : TSide::Changed;
        // Sent and landed: what was sent is the last agreed version.
        if (c && !p.Sent.isEmpty() && c->Fetched && c->IsCard && c->Card == p.Sent && item.Entry >= 0)
            item.Local = book.at(item.Entry).Card == p.Sent ? TSide::Unchanged : TSide::Changed;
        item.Server = ServerSide(p, c, item.Local);
    }
    for (int i = 0; i < listing.Cards.size(); ++i)
        if (!cardTaken.at(i)) {
            TPlanItem item;
            item.Card = i;
            item.Local = TSide::Deleted;
            item.Server = TSide::New;
            out.Items << item;
        }
    for (int e = 0; e < book.size(); ++e)
        if (!entryTaken.at(e)) {
            TPlanItem item;
            item.Entry = e;
            item.Local = TSide::New;
            item.Server = TSide::Deleted;
            out.Items << item;
        }
    PairWithoutState(book, listing, out.Items, out.Same);
    return out;
}

TStep Decide(const TSyncState &state, const QList<TEntrySnap> &book, const TListingSnap &listing,
             const TPlanItem &item, bool same)
{
    const TSide l = item.Local, s = item.Server;
    const TSyncPair *p = item.Pair >= 0 ? &state.Pairs.at(item.Pair) : nullptr;
    const TCardSnap *c = item.Card >= 0 ? &listing.Cards.at(item.Card) : nullptr;
    const bool alike = item.Entry >= 0 && c && c->Fetched && c->IsCard && book.at(item.Entry).Card == c->Card;
    if (same)
        return TStep::Pair;
    if (s == TSide::Unknown)
        return TStep::Nothing;
    if (s == TSide::New)
        return c && c->Fetched && c->IsCard ? TStep::Download : TStep::Nothing;
    if (l == TSide::New)
        return TStep::Upload;
    if (p && IsNewUpload(*p) && s == TSide::Deleted)
        return l == TSide::Deleted ? TStep::Forget : TStep::Upload; // it never landed: sent again
    if (l == TSide::Unchanged && s == TSide::Unchanged)
        return p && !p->Sent.isEmpty() ? TStep::Pair : TStep::Nothing;
    if (l == TSide::Deleted && s == TSide::Deleted)
        return TStep::Forget;
    if (l == TSide::Changed && s == TSide::Unchanged)
        return TStep::Update;
    if (l == TSide::Deleted && s == TSide::Unchanged)
        return TStep::DeleteOnServer;
    if (l == TSide::Unchanged && s == TSide::Changed)
        return alike ? TStep::Pair : TStep::Download;
    if (l == TSide::Unchanged && s == TSide::Deleted)
        return TStep::DeleteInBook;
    if (l == TSide::Changed && s == TSide::Changed && alike)
        return TStep::Pair;
    return TStep::Conflict;
}

} // namespace

bool SyncPlan::MostlyAlike(const QByteArray &pairFields, const QByteArray &entryFields)
{
    if (pairFields.isEmpty() || pairFields.size() != entryFields.size())
        return false;
    int filled = 0, same = 0;
    const char *a = pairFields.constData(), *b = entryFields.constData();
    for (qsizetype i = 0; i + 1 < pairFields.size(); i += 2) {
        if (a[i] == '0' && a[i + 1] == '0')
            continue;
        ++filled;
        same += a[i] == b[i] && a[i + 1] == b[i + 1] ? 1 : 0;
    }
    return filled >= 2 && same * 2 > filled;
}

QByteArray SyncPlan::BaseName(const QByteArray &name)
{
    static const QRegularExpression suffix(QStringLiteral(" \\(\\d+\\)$"));
    const QString text = QString::fromLatin1(name);
    const QRegularExpressionMatch m = suffix.match(text);
    return m.hasMatch() ? name.left(m.capturedStart()) : name;
}

QList<int> SyncPlan::Wanted(const TSyncState &state, const QList<QByteArray> &keys, const QList<TEntrySnap> &book,
                            const TListingSnap &listing)
{
    const TCompared compared = Compare(state, keys, book, listing);
    QList<int> wanted;
    for (const TPlanItem &item : compared.Items)
        if (item.Card >= 0 && !listing.Cards.at(item.Card).Fetched
            && (item.Server == TSide::Unknown || item.Server == TSide::New))
            wanted << item.Card;
    std::sort(wanted.begin(), wanted.end());
    return wanted;
}

TPlan SyncPlan::Make(const TSyncState &state, const QList<QByteArray> &keys, const QList<TEntrySnap> &book,
                     const TListingSnap &listing)
{
    TCompared compared = Compare(state, keys, book, listing);
    TPlan plan;
    for (int i = 0; i < compared.Items.size(); ++i) {
        TPlanItem &item = compared.Items[i];
        item.Do = Decide(state, book, listing, item, compared.Same.contains(i));
        // Asked for and not handed out.
        if (item.Card >= 0 && (item.Server == TSide::Unknown || (item.Server == TSide::New && !listing.Cards.at(item.Card).Fetched)))
            ++plan.Unfetched;
    }
    // A card not handed out may be the very contact a new entry is: the entry waits.
    bool unseen = false;
    for (const TPlanItem &item : compared.Items)
        unseen |= item.Server == TSide::New && !listing.Cards.at(item.Card).Fetched;
    for (TPlanItem &item : compared.Items)
        if (unseen && item.Do == TStep::Upload && item.Local == TSide::New)
            item.Do = TStep::Nothing;
    plan.Items = compared.Items;
    return plan;
}

void SyncPlan::Settle(TPlanItem &item, TConflictChoice choice, QList<TPlanItem> &extra)
{
    const TSide l = item.Local, s = item.Server;
    // Both where one side deleted it: the one still there is kept.
    if (choice == TConflictChoice::Both && (l == TSide::Deleted || s == TSide::Deleted))
        choice = l == TSide::Deleted ? TConflictChoice::Theirs : TConflictChoice::Mine;
    switch (choice) {
    case TConflictChoice::Leave:
        break;
    case TConflictChoice::Theirs:
        item.Do = s == TSide::Deleted ? TStep::DeleteInBook : TStep::Download;
        break;
    case TConflictChoice::Mine:
        item.Do = l == TSide::Deleted ? TStep::DeleteOnServer : s == TSide::Deleted ? TStep::Upload : TStep::Update;
        break;
    case TConflictChoice::Both: {
        // The card comes down as an entry of its own; the entry goes up as a new card.
        TPlanItem mine;
        mine.Entry = item.Entry;
        mine.Local = TSide::New;
        mine.Server = TSide::Deleted;
        mine.Do = TStep::Upload;
        extra << mine;
        item.Entry = -1;
        item.Do = TStep::Download;
        item.FollowName = true;
        break;
    }
    }
}

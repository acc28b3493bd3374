#include "sync/SyncPlan.h"

#include "book/ContactRecord.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <utility>

// Fields beyond the name: surname and first name are shared by different people, and a
// rename keeps them anyway.
namespace {
constexpr qsizetype kField = 6; // two hex digits of the field's number, four of its checksum

bool NameField(QByteArrayView field)
{
    return field.startsWith("02") || field.startsWith("03");
}

// Towns, postcodes, countries and their dialling codes: shared by neighbours, they say
// little of who a contact is.
bool WeakField(QByteArrayView field)
{
    static const QSet<QByteArray> weak = [] {
        QSet<QByteArray> numbers;
        const auto add = [&](EField f) { numbers.insert(QByteArray::number(int(f), 16).rightJustified(2, '0')); };
        for (int g = 1; g <= 9; ++g) {
            add(PhoneField(g, 0));
            add(PhoneField(g, 1));
        }
        for (int a = 1; a <= 3; ++a) {
            add(AddressField(a, 1));
            add(AddressField(a, 2));
            add(AddressField(a, 3));
        }
        return numbers;
    }();
    return weak.contains(field.first(2).toByteArray());
}

// How many of `pairFields` beyond the name `entryFields` holds alike, and of how many;
// `telling` leaves out the weak fields too.
std::pair<int, int> Beyond(const QByteArray &pairFields, const QByteArray &entryFields, bool telling = false)
{
    QSet<QByteArrayView> theirs;
    for (qsizetype i = 0; i + kField <= entryFields.size(); i += kField)
        theirs.insert(QByteArrayView(entryFields).sliced(i, kField));
    int filled = 0, same = 0;
    for (qsizetype i = 0; i + kField <= pairFields.size(); i += kField) {
        const QByteArrayView field = QByteArrayView(pairFields).sliced(i, kField);
        if (NameField(field) || (telling && WeakField(field)))
            continue;
        ++filled;
        same += theirs.contains(field) ? 1 : 0;
    }
    return {same, filled};
}

// Whether any telling field beyond the name agrees, or too few are filled to tell.
bool SomethingBeyondName(const QByteArray &pairFields, const QByteArray &entryFields)
{
    const auto [same, filled] = Beyond(pairFields, entryFields, true);
    return filled < 2 || same > 0;
}
} // namespace


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

// Pairs two lists by how far their fields agree: each side's best match, kept where both
// choose each other and neither choice is a tie. Returns (left, right) indices.
QList<std::pair<int, int>> MutualBest(const QList<QByteArray> &left, const QList<QByteArray> &right, bool telling)
{
    QList<std::pair<int, int>> pairs;
    if (qint64(left.size()) * right.size() > 1000000)
        return pairs; // worth a look while few are left over, as between two syncs
    QList<int> leftBest(left.size(), -1), rightBest(right.size(), -1), leftTop(left.size(), 0), rightTop(right.size(), 0);
    QList<bool> leftTie(left.size(), false), rightTie(right.size(), false);
    const auto offer = [](QList<int> &best, QList<int> &top, QList<bool> &tie, int me, int other, int score) {
        if (score > top[me]) {
            best[me] = other;
            top[me] = score;
            tie[me] = false;
        } else if (score == top[me]) {
            tie[me] = true;
        }
    };
    for (int l = 0; l < left.size(); ++l)
        for (int r = 0; r < right.size(); ++r) {
            const int score = SyncPlan::Agreement(left.at(l), right.at(r), telling);
            if (score <= 0)
                continue;
            offer(leftBest, leftTop, leftTie, l, r, score);
            offer(rightBest, rightTop, rightTie, r, l, score);
        }
    for (int l = 0; l < left.size(); ++l) {
        const int r = leftBest.at(l);
        if (r >= 0 && !leftTie.at(l) && !rightTie.at(r) && rightBest.at(r) == l)
            pairs.append({l, r});
    }
    return pairs;
}

// Whether an entry holds more than a name: at least two fields filled.
bool Substantial(const QByteArray &fields)
{
    return fields.size() >= 12;
}

void PairByState(const TSyncState &state, const QList<QByteArray> &keys, const QList<TEntrySnap> &book,
                 const TListingSnap &listing, const QHash<QByteArray, int> &cardAt, QList<bool> &entryTaken, QList<bool> &cardTaken,
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
    // By name: first the entries as they were, then, once renamed entries were looked for
    // (a new entry may have taken a renamed one's name), whatever changed: with the state
    // behind it, the name is the contact (all its numbers changed, it still keeps its card),
    // unless its card moved too (or the entry was only coming) and nothing beyond the name
    // is alike: then it is a new contact under an old name, not to be settled against the
    // old one's card.
    // Whether the pair's card changed or went on the server: a conflict, if the entry is
    // taken for it, would be settled between two different people.
    const auto moved = [&](const TPlanItem &item) {
        const TSyncPair &p = state.Pairs.at(item.Pair);
        return item.Card < 0 || p.ETag.isEmpty() || listing.Cards.at(item.Card).ETag != p.ETag;
    };
    const auto byItsName = [&](bool unchangedOnly) {
        for (TPlanItem &item : items) {
            const TSyncPair &p = state.Pairs.at(item.Pair);
            for (int e : byName.value(p.Name))
                if (item.Entry < 0 && !entryTaken.at(e)
                    && (unchangedOnly ? book.at(e).Card == p.Card
                                      : (!moved(item) && !p.Coming) || SomethingBeyondName(p.Fields, book.at(e).Fields))) {
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
    // Renamed and edited at once: most fields agreeing, one entry for one pair.
    QList<int> lostItems, freeEntries;
    QList<QByteArray> lostFields, freeFields;
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i).Entry < 0) {
            lostItems << i;
            lostFields << state.Pairs.at(items.at(i).Pair).Fields;
        }
    for (int e = 0; e < book.size(); ++e)
        if (!entryTaken.at(e)) {
            freeEntries << e;
            freeFields << book.at(e).Fields;
        }
    for (const auto &[l, r] : MutualBest(lostFields, freeFields, false)) {
        items[lostItems.at(l)].Entry = freeEntries.at(r);
        entryTaken[freeEntries.at(r)] = true;
    }
    byItsName(false);
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
    QList<QByteArray> cardFields, entryFields;
    for (int c : cards)
        cardFields << listing.Cards.at(items.at(c).Card).Fields;
    for (int e : entries)
        entryFields << book.at(items.at(e).Entry).Fields;
    // Without a state only telling fields count: two of one name may live in one town.
    for (const auto &[c, e] : MutualBest(cardFields, entryFields, true)) {
        TPlanItem &card = items[cards.at(c)];
        card.Entry = items.at(entries.at(e)).Entry;
        card.Local = card.Server = TSide::Changed;
        items[entries.at(e)].Entry = -1; // dropped by the caller
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
    // Only the same name: one contact unless nothing else agrees.
    const auto take = [&](QList<int> &candidates, TPlanItem &card, const QByteArray &fields = QByteArray()) {
        for (qsizetype k = 0; k < candidates.size(); ++k) {
            const int at = candidates.at(k);
            if (items.at(at).Entry < 0)
                continue; // taken by another card
            if (!fields.isEmpty() && !SomethingBeyondName(fields, book.at(items.at(at).Entry).Fields))
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
    PairByState(state, keys, book, listing, cardAt, entryTaken, cardTaken, out.Items);
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
        if (!cardTaken.at(i))
            out.Items << TPlanItem {.Card = i, .Local = TSide::Deleted, .Server = TSide::New};
    for (int e = 0; e < book.size(); ++e)
        if (!entryTaken.at(e))
            out.Items << TPlanItem {.Entry = e, .Local = TSide::New, .Server = TSide::Deleted};
    PairWithoutState(book, listing, out.Items, out.Same);
    return out;
}

TStep Decide(const TSyncState &state, const QList<TEntrySnap> &book, const TListingSnap &listing,
             const TPlanItem &item, bool same)
{
    const TSide l = item.Local, s = item.Server;
    const TSyncPair *p = item.Pair >= 0 ? &state.Pairs.at(item.Pair) : nullptr;
    const TCardSnap *c = item.Card >= 0 ? &listing.Cards.at(item.Card) : nullptr;
    // Alike but for the suffix a unique name gave the entry.
    const bool alike = item.Entry >= 0 && c && c->Fetched && c->IsCard
                       && (book.at(item.Entry).Card == c->Card
                           || (!c->Core.isEmpty() && book.at(item.Entry).Core == c->Core
                               && SyncPlan::BaseName(book.at(item.Entry).Name) == SyncPlan::BaseName(c->Name)));
    if (same)
        return TStep::Pair;
    if (s == TSide::Unknown)
        return TStep::Nothing;
    if (s == TSide::New)
        return c && c->Fetched && c->IsCard ? TStep::Download : TStep::Nothing;
    if (l == TSide::New)
        return TStep::Upload;
    // Not there (yet): sent again; with its entry gone, waited for, as it may still land
    // and is then deleted.
    if (p && IsNewUpload(*p) && s == TSide::Deleted)
        return l == TSide::Deleted ? TStep::Nothing : TStep::Upload;
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

int SyncPlan::Agreement(const QByteArray &pairFields, const QByteArray &entryFields, bool telling)
{
    const auto [same, filled] = Beyond(pairFields, entryFields, telling);
    return filled >= 2 && same > 0 && same * 2 >= filled ? same : 0;
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
        extra << TPlanItem {.Entry = item.Entry, .Local = TSide::New, .Server = TSide::Deleted, .Do = TStep::Upload};
        item.Entry = -1;
        item.Do = TStep::Download;
        item.FollowName = true;
        break;
    }
    }
}

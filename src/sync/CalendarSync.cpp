#include "sync/CalendarSync.h"

#include "book/Book.h"
#include "session/CardMapping.h"
#include "sync/DavFailure.h"
#include "sync/DavUrl.h"
#include "sync/DavXml.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSet>

namespace {

// An event's file name: its UID with anything but letters, digits, '-' and '.' as '_'.
QByteArray FileName(const QByteArray &uid)
{
    QByteArray name = uid;
    for (char &c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'))
            c = '_';
    return name + ".ics";
}

enum class TKind { Add, Change, Remove };

struct TWrite
{
    TKind Kind;
    int Old = -1; // the state's entry it replaces
    QByteArray Uid;
    QByteArray Href;
    QByteArray Ics;
    QByteArray IfMatch;
    bool Done = false;
    bool Unanswered = false; // sent, but the answer never came: done or not, nobody knows
    QByteArray ETag; // the server's after the write
};

} // namespace

TCalendarSync::TCalendarSync(TDavClient &client, const ICardMapping &mapping) : m_client(client), m_mapping(mapping) { }

QByteArray TCalendarSync::EventHash(const QByteArray &ics)
{
    QByteArray text = ics;
    const qsizetype at = text.indexOf("\r\nDTSTAMP:");
    if (at >= 0) {
        const qsizetype end = text.indexOf("\r\n", at + 2);
        text.remove(at, (end < 0 ? text.size() : end) - at);
    }
    return QCryptographicHash::hash(text, QCryptographicHash::Sha1).toHex();
}

bool TCalendarSync::Propfind(const QUrl &url, const QByteArray &depth, const QByteArray &body,
                             QList<TCalendarProps> &out, TCalendarResult &result, QUrl *finalUrl)
{
    QUrl at;
    const TDavReply reply = m_client.Propfind(url, depth, body, &at);
    if (reply.Status != 207)
        return FailWith(result, reply, "PROPFIND", at);
    QString error;
    if (!DavXml::ParseCalendarProps(reply.Body, out, error))
        return FailUnreadable(result, reply.Status, "PROPFIND", error);
    if (finalUrl)
        *finalUrl = at;
    return true;
}

bool TCalendarSync::Discover(const QUrl &start, QUrl &calendar, TCalendarResult &result)
{
    const auto none = [&](const QUrl &where) {
        result.Failure = TSyncFailure::NoAddressBook;
        result.Detail = where.toDisplayString(QUrl::RemoveUserInfo);
        return false;
    };
    QList<TCalendarProps> props;
    QUrl here = start;
    if (!Propfind(start, "0", DavXml::CalendarPropfindBody(), props, result, &here))
        return false;
    const TCalendarProps self = props.value(0);
    if (self.Calendar) {
        if (!self.Events)
            return none(here);
        calendar = here;
        return true;
    }
    QUrl principal = here;
    if (!self.Principal.isEmpty()) {
        principal = DavUrl::Resolved(here, self.Principal);
    } else {
        QUrl wellKnown = start;
        wellKnown.setPath(QStringLiteral("/.well-known/caldav"));
        QUrl context;
        TCalendarResult ignored;
        if (Propfind(wellKnown, "0", DavXml::CalendarPropfindBody(), props, ignored, &context) && !props.isEmpty()
            && !props.first().Principal.isEmpty())
            principal = DavUrl::Resolved(context, props.first().Principal);
    }
    if (!DavUrl::SameOrigin(principal, start))
        return none(principal);
    QByteArray home = self.HomeSet;
    QUrl homeBase = here;
    if (principal != here || home.isEmpty()) {
        if (!Propfind(principal, "0", DavXml::CalendarHomeSetBody(), props, result))
            return false;
        home = props.value(0).HomeSet;
        homeBase = principal;
    }
    if (home.isEmpty())
        return none(principal);
    const QUrl homeUrl = DavUrl::Resolved(homeBase, home);
    if (!DavUrl::SameOrigin(homeUrl, start))
        return none(homeUrl);
    if (!Propfind(homeUrl, "1", DavXml::CalendarPropfindBody(), props, result))
        return false;
    for (const TCalendarProps &p : props) {
        const QUrl url = DavUrl::Resolved(homeUrl, p.Href);
        if (p.Calendar && p.Events && DavUrl::SameOrigin(url, start)) {
            calendar = url;
            return true;
        }
    }
    return none(homeUrl);
}

TCalendarResult TCalendarSync::Run(const TBook &book, const QUrl &calendar, const TCalendarState &state,
                                   const TCalendarOptions &options)
{
    TCalendarResult result;
    // The calendar's members with their ETags: one request when nothing changed.
    const TDavReply listed = m_client.Send({"PROPFIND", calendar, "1", {}, DavXml::PropfindBody(true)});
    if (listed.Status != 207) {
        FailWith(result, listed, "PROPFIND", calendar);
        return result;
    }
    TMultiStatus ms;
    QString error;
    if (!DavXml::ParseMultiStatus(listed.Body, ms, error)) {
        FailUnreadable(result, listed.Status, "PROPFIND", error);
        return result;
    }
    QHash<QByteArray, QByteArray> members; // key to ETag
    for (const TDavResponse &r : ms.Responses)
        if (r.Status == 200 && !r.Collection && DavUrl::Inside(calendar, r.Href))
            members.insert(DavUrl::Key(calendar, r.Href), r.ETag);

    // The events the book holds; a UID twice (two entries of one name) is written once.
    QHash<QByteArray, QByteArray> wanted;
    QList<QByteArray> order;
    for (qsizetype i = 0; i < book.RecordCount(); ++i)
        for (const auto &[uid, ics] : m_mapping.EntryEvents(book.Record(i), options.AlarmDays))
            if (!wanted.contains(uid)) {
                wanted.insert(uid, ics);
                order << uid;
            }

    QList<TCalendarEntry> next; // the entries that stay as they were
    QList<TWrite> writes;
    QSet<QByteArray> published;
    for (int k = 0; k < state.Entries.size(); ++k) {
        const TCalendarEntry &e = state.Entries.at(k);
        // A state naming an address outside the calendar is not followed there.
        if (published.contains(e.Uid) || !DavUrl::Inside(calendar, e.Href))
            continue;
        const auto member = members.constFind(DavUrl::Key(calendar, e.Href));
        if (member == members.cend())
            continue; // gone from the calendar: added anew below while the book has it
        published.insert(e.Uid);
        const QByteArray ifMatch = e.ETag.isEmpty() ? *member : e.ETag;
        const auto event = wanted.constFind(e.Uid);
        if (event == wanted.cend())
            writes << TWrite {TKind::Remove, k, e.Uid, e.Href, {}, ifMatch, false, false, {}};
        else if (EventHash(*event) != e.Hash)
            writes << TWrite {TKind::Change, k, e.Uid, e.Href, *event, ifMatch, false, false, {}};
        else
            next << TCalendarEntry {e.Href, e.Uid, ifMatch, e.Hash}; // an ETag missing till now is the listing's
    }
    QByteArray base = calendar.path(QUrl::FullyEncoded).toUtf8();
    if (!base.endsWith('/'))
        base += '/';
    for (const QByteArray &uid : order) {
        if (published.contains(uid))
            continue;
        const QByteArray href = base + FileName(uid);
        if (members.contains(DavUrl::Key(calendar, href))) {
            // Someone else's resource where this event would go: never overwritten.
            ++result.Counts.Left;
            result.LeftAt << DavUrl::Resolved(calendar, href);
            continue;
        }
        writes << TWrite {TKind::Add, -1, uid, href, wanted.value(uid), {}, false, false, {}};
    }

    const auto count = [&](const TWrite &w) {
        ++(w.Kind == TKind::Add ? result.Counts.Added : w.Kind == TKind::Change ? result.Counts.Changed : result.Counts.Removed);
    };
    if (options.DryRun) {
        for (const TWrite &w : writes)
            count(w);
        return result;
    }

    QList<TDavRequest> requests;
    for (const TWrite &w : writes) {
        const QUrl url = DavUrl::Resolved(calendar, w.Href);
        if (w.Kind == TKind::Remove) {
            requests << TDavRequest {"DELETE", url, {}, {{"If-Match", w.IfMatch}}, {}, {}};
        } else {
            const QPair<QByteArray, QByteArray> condition =
                w.Kind == TKind::Add ? qMakePair(QByteArray("If-None-Match"), QByteArray("*"))
                                     : qMakePair(QByteArray("If-Match"), w.IfMatch);
            requests << TDavRequest {"PUT", url, {}, {condition}, w.Ics, "text/calendar; charset=utf-8"};
        }
        // A server without ETags cannot be asked conditionally.
        if (w.Kind != TKind::Add && w.IfMatch.isEmpty())
            requests.last().Headers.clear();
    }
    m_client.SendAll(requests, kInFlight, [&](qsizetype index, const TDavReply &reply) {
        TWrite &w = writes[index];
        const bool gone = w.Kind == TKind::Remove && reply.Status == 404;
        // Changed or taken by someone else since the listing (a server may also refuse a
        // second resource with the same UID): left as it is.
        const bool taken = reply.Status == 412 || (w.Kind == TKind::Change && reply.Status == 404)
                           || ((reply.Status == 403 || reply.Status == 409 || reply.Status == 207)
                               && DavXml::NamesPrecondition(reply.Body, "no-uid-conflict"));
        if (taken) {
            ++result.Counts.Left;
            result.LeftAt << requests.at(index).Url;
            return true;
        }
        if (reply.Status == 0 && reply.Sent)
            w.Unanswered = true;
        if (!TDavClient::Written(reply.Status) && !gone) {
            if (result.Failure == TSyncFailure::None)
                FailWith(result, reply, requests.at(index).Method, requests.at(index).Url);
            return false;
        }
        w.Done = true;
        w.ETag = reply.ETag;
        count(w);
        return true;
    });

    // What the calendar holds of this program's now, also after a failure. A write left
    // without an answer (the server or the line gone midway) is remembered without its
    // ETag: the next run finds the event there or not, and takes it as its own, brings it
    // up to date (a change, whose text is not known) or makes it anew.
    for (const TWrite &w : writes) {
        if (w.Done && w.Kind != TKind::Remove)
            next << TCalendarEntry {w.Href, w.Uid, w.ETag, EventHash(w.Ics)};
        else if (w.Unanswered)
            next << TCalendarEntry {w.Href, w.Uid, {}, w.Kind == TKind::Add ? EventHash(w.Ics) : QByteArray()};
        else if (!w.Done && w.Old >= 0)
            next << state.Entries.at(w.Old);
    }
    result.State.Entries = next;
    result.SaveState = true;
    return result;
}

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One member of a WebDAV multistatus answer with the properties a sync asks for.
struct TDavResponse
{
    QByteArray Href; // as the server wrote it (percent-encoded path or URL)
    int Status = 0; // of the response, else of the propstat that carried the properties
    QByteArray ETag;
    QByteArray AddressData; // the card, UTF-8
    bool Collection = false;
    bool AddressBook = false;
    QByteArray Principal; // current-user-principal
    QByteArray HomeSet; // addressbook-home-set
    QString DisplayName;
};

struct TMultiStatus
{
    QList<TDavResponse> Responses;
    QByteArray SyncToken;
};

// What a calendar's discovery reads of one member of a multistatus answer.
struct TCalendarProps
{
    QByteArray Href;
    bool Calendar = false; // its resourcetype holds the CalDAV calendar
    bool Events = true; // its supported-calendar-component-set (when it has one) allows VEVENT
    QByteArray Principal; // current-user-principal
    QByteArray HomeSet; // calendar-home-set
};

namespace DavXml {

// Parses a 207 body. False, with `error` saying where, for anything that is not a
// complete DAV:multistatus document.
bool ParseMultiStatus(const QByteArray &body, TMultiStatus &out, QString &error);

// Whether an error body names the precondition (e.g. "valid-sync-token").
bool NamesPrecondition(const QByteArray &body, QByteArrayView element);

// The request bodies.
QByteArray PropfindBody(bool etagOnly);
QByteArray PrincipalBody();
QByteArray HomeSetBody();
QByteArray SyncCollectionBody(const QByteArray &token);
QByteArray MultigetBody(const QList<QByteArray> &hrefs);

// The calendar properties of each member of a 207 body, as only the server has them (200).
bool ParseCalendarProps(const QByteArray &body, QList<TCalendarProps> &out, QString &error);
QByteArray CalendarPropfindBody();
QByteArray CalendarHomeSetBody();

} // namespace DavXml

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

} // namespace DavXml

#include "sync/DavXml.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

const QString kDav = QStringLiteral("DAV:");
const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");
const QString kCalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");

int StatusOf(const QString &line)
{
    // "HTTP/1.1 404 Not Found"
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts.at(1).toInt() : 0;
}

// The href inside the current element (current-user-principal, addressbook-home-set).
QByteArray InnerHref(QXmlStreamReader &x)
{
    QByteArray href;
    while (x.readNextStartElement()) {
        if (x.namespaceUri() == kDav && x.name() == QLatin1String("href") && href.isEmpty())
            href = x.readElementText().trimmed().toUtf8();
        else
            x.skipCurrentElement();
    }
    return href;
}

void ReadProp(QXmlStreamReader &x, TDavResponse &r)
{
    while (x.readNextStartElement()) {
        const bool dav = x.namespaceUri() == kDav;
        const auto name = x.name();
        if (dav && name == QLatin1String("getetag")) {
            r.ETag = x.readElementText().trimmed().toUtf8();
        } else if (x.namespaceUri() == kCardDav && name == QLatin1String("address-data")) {
            r.AddressData = x.readElementText().toUtf8();
        } else if (dav && name == QLatin1String("resourcetype")) {
            while (x.readNextStartElement()) {
                if (x.namespaceUri() == kDav && x.name() == QLatin1String("collection"))
                    r.Collection = true;
                if (x.namespaceUri() == kCardDav && x.name() == QLatin1String("addressbook"))
                    r.AddressBook = true;
                x.skipCurrentElement();
            }
        } else if (dav && name == QLatin1String("current-user-principal")) {
            r.Principal = InnerHref(x);
        } else if (x.namespaceUri() == kCardDav && name == QLatin1String("addressbook-home-set")) {
            r.HomeSet = InnerHref(x);
        } else if (dav && name == QLatin1String("displayname")) {
            r.DisplayName = x.readElementText().trimmed();
        } else {
            x.skipCurrentElement();
        }
    }
}

void ReadResponse(QXmlStreamReader &x, TDavResponse &r)
{
    while (x.readNextStartElement()) {
        if (x.namespaceUri() != kDav) {
            x.skipCurrentElement();
            continue;
        }
        if (x.name() == QLatin1String("href") && r.Href.isEmpty()) {
            r.Href = x.readElementText().trimmed().toUtf8();
        } else if (x.name() == QLatin1String("status")) {
            r.Status = StatusOf(x.readElementText());
        } else if (x.name() == QLatin1String("propstat")) {
            TDavResponse found;
            int status = 0;
            while (x.readNextStartElement()) {
                if (x.namespaceUri() == kDav && x.name() == QLatin1String("prop"))
                    ReadProp(x, found);
                else if (x.namespaceUri() == kDav && x.name() == QLatin1String("status"))
                    status = StatusOf(x.readElementText());
                else
                    x.skipCurrentElement();
            }
            // Only properties the server has (200) count; 404 propstats list what it lacks.
            if (status == 200) {
                if (!r.Status)
                    r.Status = 200;
                if (!found.ETag.isEmpty())
                    r.ETag = found.ETag;
                if (!found.AddressData.isEmpty())
                    r.AddressData = found.AddressData;
                r.Collection |= found.Collection;
                r.AddressBook |= found.AddressBook;
                if (!found.Principal.isEmpty())
                    r.Principal = found.Principal;
                if (!found.HomeSet.isEmpty())
                    r.HomeSet = found.HomeSet;
                if (!found.DisplayName.isEmpty())
                    r.DisplayName = found.DisplayName;
            } else if (!r.Status) {
                r.Status = status;
            }
        } else {
            x.skipCurrentElement();
        }
    }
}

QByteArray Document(const std::function<void(QXmlStreamWriter &)> &body)
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeNamespace(kDav, QStringLiteral("d"));
    w.writeNamespace(kCardDav, QStringLiteral("card"));
    body(w);
    w.writeEndDocument();
    return out;
}

// A PROPFIND asking for these properties, each a namespace and a name.
QByteArray PropfindOf(std::initializer_list<std::pair<const QString *, const char *>> props)
{
    return Document([props](QXmlStreamWriter &w) {
        for (const auto &p : props)
            if (*p.first == kCalDav) {
                w.writeNamespace(kCalDav, QStringLiteral("cal"));
                break;
            }
        w.writeStartElement(kDav, QStringLiteral("propfind"));
        w.writeStartElement(kDav, QStringLiteral("prop"));
        for (const auto &[ns, name] : props)
            w.writeEmptyElement(*ns, QLatin1String(name));
        w.writeEndElement();
        w.writeEndElement();
    });
}

} // namespace

bool DavXml::ParseMultiStatus(const QByteArray &body, TMultiStatus &out, QString &error)
{
    out = TMultiStatus();
    QXmlStreamReader x(body);
    if (!x.readNextStartElement() || x.namespaceUri() != kDav || x.name() != QLatin1String("multistatus")) {
        error = x.hasError() ? x.errorString() : QStringLiteral("multistatus");
        return false;
    }
    while (x.readNextStartElement()) {
        if (x.namespaceUri() == kDav && x.name() == QLatin1String("response")) {
            TDavResponse r;
            ReadResponse(x, r);
            if (!r.Href.isEmpty())
                out.Responses << r;
        } else if (x.namespaceUri() == kDav && x.name() == QLatin1String("sync-token")) {
            out.SyncToken = x.readElementText().trimmed().toUtf8();
        } else {
            x.skipCurrentElement();
        }
    }
    // Reading on to the end finds a document cut short or with trailing rubbish.
    while (!x.atEnd())
        x.readNext();
    if (x.hasError()) {
        error = QStringLiteral("%1 (%2:%3)").arg(x.errorString()).arg(x.lineNumber()).arg(x.columnNumber());
        return false;
    }
    return true;
}

bool DavXml::NamesPrecondition(const QByteArray &body, QByteArrayView element)
{
    QXmlStreamReader x(body);
    while (!x.atEnd()) {
        if (x.readNext() == QXmlStreamReader::StartElement && x.name() == QLatin1String(element))
            return true;
    }
    return false;
}

QByteArray DavXml::PropfindBody(bool etagOnly)
{
    if (etagOnly)
        return PropfindOf({{&kDav, "resourcetype"}, {&kDav, "getetag"}});
    return PropfindOf({{&kDav, "resourcetype"}, {&kDav, "getetag"}, {&kDav, "displayname"},
                       {&kDav, "current-user-principal"}, {&kCardDav, "addressbook-home-set"}});
}

QByteArray DavXml::PrincipalBody()
{
    return PropfindOf({{&kDav, "current-user-principal"}});
}

QByteArray DavXml::HomeSetBody()
{
    return PropfindOf({{&kCardDav, "addressbook-home-set"}});
}

QByteArray DavXml::SyncCollectionBody(const QByteArray &token)
{
    return Document([&token](QXmlStreamWriter &w) {
        w.writeStartElement(kDav, QStringLiteral("sync-collection"));
        w.writeTextElement(kDav, QStringLiteral("sync-token"), QString::fromUtf8(token));
        w.writeTextElement(kDav, QStringLiteral("sync-level"), QStringLiteral("1"));
        w.writeStartElement(kDav, QStringLiteral("prop"));
        w.writeEmptyElement(kDav, QStringLiteral("getetag"));
        w.writeEndElement();
        w.writeEndElement();
    });
}

QByteArray DavXml::MultigetBody(const QList<QByteArray> &hrefs)
{
    return Document([&hrefs](QXmlStreamWriter &w) {
        w.writeStartElement(kCardDav, QStringLiteral("addressbook-multiget"));
        w.writeStartElement(kDav, QStringLiteral("prop"));
        w.writeEmptyElement(kDav, QStringLiteral("getetag"));
        w.writeEmptyElement(kCardDav, QStringLiteral("address-data"));
        w.writeEndElement();
        for (const QByteArray &h : hrefs)
            w.writeTextElement(kDav, QStringLiteral("href"), QString::fromUtf8(h));
        w.writeEndElement();
    });
}

namespace {

void ReadCalendarProp(QXmlStreamReader &x, TCalendarProps &r)
{
    while (x.readNextStartElement()) {
        const bool dav = x.namespaceUri() == kDav;
        const bool cal = x.namespaceUri() == kCalDav;
        const auto name = x.name();
        if (dav && name == QLatin1String("resourcetype")) {
            while (x.readNextStartElement()) {
                if (x.namespaceUri() == kCalDav && x.name() == QLatin1String("calendar"))
                    r.Calendar = true;
                x.skipCurrentElement();
            }
        } else if (cal && name == QLatin1String("supported-calendar-component-set")) {
            r.Events = false;
            while (x.readNextStartElement()) {
                if (x.namespaceUri() == kCalDav && x.name() == QLatin1String("comp")
                    && x.attributes().value(QLatin1String("name")).compare(QLatin1String("VEVENT"), Qt::CaseInsensitive) == 0)
                    r.Events = true;
                x.skipCurrentElement();
            }
        } else if (dav && name == QLatin1String("current-user-principal")) {
            r.Principal = InnerHref(x);
        } else if (cal && name == QLatin1String("calendar-home-set")) {
            r.HomeSet = InnerHref(x);
        } else {
            x.skipCurrentElement();
        }
    }
}

void ReadCalendarResponse(QXmlStreamReader &x, TCalendarProps &r)
{
    while (x.readNextStartElement()) {
        if (x.namespaceUri() == kDav && x.name() == QLatin1String("href") && r.Href.isEmpty()) {
            r.Href = x.readElementText().trimmed().toUtf8();
        } else if (x.namespaceUri() == kDav && x.name() == QLatin1String("propstat")) {
            TCalendarProps found;
            int status = 0;
            while (x.readNextStartElement()) {
                if (x.namespaceUri() == kDav && x.name() == QLatin1String("prop"))
                    ReadCalendarProp(x, found);
                else if (x.namespaceUri() == kDav && x.name() == QLatin1String("status"))
                    status = StatusOf(x.readElementText());
                else
                    x.skipCurrentElement();
            }
            if (status != 200)
                continue;
            r.Calendar |= found.Calendar;
            r.Events &= found.Events;
            if (!found.Principal.isEmpty())
                r.Principal = found.Principal;
            if (!found.HomeSet.isEmpty())
                r.HomeSet = found.HomeSet;
        } else {
            x.skipCurrentElement();
        }
    }
}

} // namespace

bool DavXml::ParseCalendarProps(const QByteArray &body, QList<TCalendarProps> &out, QString &error)
{
    out.clear();
    QXmlStreamReader x(body);
    if (!x.readNextStartElement() || x.namespaceUri() != kDav || x.name() != QLatin1String("multistatus")) {
        error = x.hasError() ? x.errorString() : QStringLiteral("multistatus");
        return false;
    }
    while (x.readNextStartElement()) {
        if (x.namespaceUri() == kDav && x.name() == QLatin1String("response")) {
            TCalendarProps r;
            ReadCalendarResponse(x, r);
            if (!r.Href.isEmpty())
                out << r;
        } else {
            x.skipCurrentElement();
        }
    }
    while (!x.atEnd())
        x.readNext();
    if (x.hasError()) {
        error = QStringLiteral("%1 (%2:%3)").arg(x.errorString()).arg(x.lineNumber()).arg(x.columnNumber());
        return false;
    }
    return true;
}

QByteArray DavXml::CalendarPropfindBody()
{
    return PropfindOf({{&kDav, "resourcetype"}, {&kDav, "current-user-principal"}, {&kCalDav, "calendar-home-set"},
                       {&kCalDav, "supported-calendar-component-set"}});
}

QByteArray DavXml::CalendarHomeSetBody()
{
    return PropfindOf({{&kCalDav, "calendar-home-set"}});
}

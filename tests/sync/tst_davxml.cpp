#include "sync/DavXml.h"

#include <QTest>

// Multistatus answers as servers write them, and as a broken or cut-off server does.
class TestDavXml : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void calendars_data();
    void calendars();
};

void TestDavXml::parse_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("ok");
    // "href status etag collection addressbook" per response, then the token.
    QTest::addColumn<QStringList>("expected");

    const QByteArray listing = R"(<?xml version="1.0" encoding="utf-8"?>
<multistatus xmlns="DAV:" xmlns:CR="urn:ietf:params:xml:ns:carddav">
 <response><href>/anna/kontakty/</href><propstat><prop><resourcetype><collection/><CR:addressbook/></resourcetype><getetag>"c0"</getetag></prop><status>HTTP/1.1 200 OK</status></propstat></response>
 <response><href>/anna/kontakty/a%20b.vcf</href><propstat><prop><getetag>"e1"</getetag><resourcetype/></prop><status>HTTP/1.1 200 OK</status></propstat>
  <propstat><prop><displayname/></prop><status>HTTP/1.1 404 Not Found</status></propstat></response>
 <response><href>/anna/kontakty/gone.vcf</href><status>HTTP/1.1 404 Not Found</status></response>
 <sync-token>http://radicale.org/ns/sync/42</sync-token>
</multistatus>)";
    const QStringList listed {QStringLiteral("/anna/kontakty/ 200 \"c0\" 1 1"), QStringLiteral("/anna/kontakty/a%20b.vcf 200 \"e1\" 0 0"),
                              QStringLiteral("/anna/kontakty/gone.vcf 404  0 0"), QStringLiteral("http://radicale.org/ns/sync/42")};
    QTest::newRow("listing with a removal and a token") << listing << true << listed;

    QTest::newRow("other prefixes, a card's data") << QByteArray(R"(<?xml version="1.0"?>
<D:multistatus xmlns:D="DAV:"><D:response><D:href>http://h/x.vcf</D:href><D:propstat><D:prop>
<D:getetag>W/"9"</D:getetag><C:address-data xmlns:C="urn:ietf:params:xml:ns:carddav">BEGIN:VCARD&#13;
FN:A &amp; B&#13;
END:VCARD&#13;
</C:address-data></D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response></D:multistatus>)")
        << true << QStringList {QStringLiteral("http://h/x.vcf 200 W/\"9\" 0 0 BEGIN:VCARD\r\nFN:A & B\r\nEND:VCARD\r\n"), QString()};

    QTest::newRow("principal and home set") << QByteArray(R"(<multistatus xmlns="DAV:"><response><href>/</href><propstat><prop>
<current-user-principal><href>/anna/</href></current-user-principal>
<addressbook-home-set xmlns="urn:ietf:params:xml:ns:carddav"><href xmlns="DAV:">/anna/</href></addressbook-home-set>
</prop><status>HTTP/1.1 200 OK</status></propstat></response></multistatus>)")
                                            << true << QStringList {QStringLiteral("/ 200  0 0 principal=/anna/ home=/anna/"), QString()};

    QTest::newRow("cut off midway") << listing.left(listing.indexOf("gone.vcf")) << false << QStringList();
    QTest::newRow("rubbish after the document") << listing + "<x>" << false << QStringList();
    QTest::newRow("not XML at all") << QByteArray("<html><body>Proxy error</body></html>") << false << QStringList();
    QTest::newRow("empty body") << QByteArray() << false << QStringList();
    QTest::newRow("another root") << QByteArray(R"(<error xmlns="DAV:"><valid-sync-token/></error>)") << false << QStringList();
}

void TestDavXml::parse()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, ok);
    QFETCH(QStringList, expected);
    TMultiStatus ms;
    QString error;
    QCOMPARE(DavXml::ParseMultiStatus(body, ms, error), ok);
    if (!ok) {
        QVERIFY(!error.isEmpty());
        return;
    }
    QStringList got;
    for (const TDavResponse &r : ms.Responses) {
        QString line = QStringLiteral("%1 %2 %3 %4 %5")
                           .arg(QString::fromUtf8(r.Href))
                           .arg(r.Status)
                           .arg(QString::fromUtf8(r.ETag))
                           .arg(int(r.Collection))
                           .arg(int(r.AddressBook));
        if (!r.AddressData.isEmpty())
            line += QLatin1Char(' ') + QString::fromUtf8(r.AddressData);
        if (!r.Principal.isEmpty())
            line += QStringLiteral(" principal=") + QString::fromUtf8(r.Principal);
        if (!r.HomeSet.isEmpty())
            line += QStringLiteral(" home=") + QString::fromUtf8(r.HomeSet);
        got << line;
    }
    got << QString::fromUtf8(ms.SyncToken);
    QCOMPARE(got, expected);
}

void TestDavXml::calendars_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("ok");
    // "href calendar events principal home" per response.
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("home listing: tasks only, events, an address book") << QByteArray(R"(<?xml version="1.0"?>
<D:multistatus xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav" xmlns:R="urn:ietf:params:xml:ns:carddav">
 <D:response><D:href>/anna/</D:href><D:propstat><D:prop><D:resourcetype><D:collection/><D:principal/></D:resourcetype>
  <C:calendar-home-set><D:href>/anna/</D:href></C:calendar-home-set></D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat>
  <D:propstat><D:prop><C:supported-calendar-component-set/></D:prop><D:status>HTTP/1.1 404 Not Found</D:status></D:propstat></D:response>
 <D:response><D:href>/anna/ukoly/</D:href><D:propstat><D:prop><D:resourcetype><C:calendar/><D:collection/></D:resourcetype>
  <C:supported-calendar-component-set><C:comp name="VTODO"/></C:supported-calendar-component-set></D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>
 <D:response><D:href>/anna/kalendar/</D:href><D:propstat><D:prop><D:resourcetype><D:collection/><C:calendar/></D:resourcetype>
  <C:supported-calendar-component-set><C:comp name="VTODO"/><C:comp name="vevent"/></C:supported-calendar-component-set></D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>
 <D:response><D:href>/anna/kontakty/</D:href><D:propstat><D:prop><D:resourcetype><D:collection/><R:addressbook/></D:resourcetype></D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>
</D:multistatus>)") << true
        << QStringList {QStringLiteral("/anna/ 0 1  /anna/"), QStringLiteral("/anna/ukoly/ 1 0  "), QStringLiteral("/anna/kalendar/ 1 1  "),
                        QStringLiteral("/anna/kontakty/ 0 1  ")};
    // A calendar a server only claims in a 404 propstat is none.
    QTest::newRow("properties the server lacks") << QByteArray(R"(<multistatus xmlns="DAV:"><response><href>/</href>
<propstat><prop><current-user-principal><href>/user/</href></current-user-principal></prop><status>HTTP/1.1 200 OK</status></propstat>
<propstat><prop><resourcetype><calendar xmlns="urn:ietf:params:xml:ns:caldav"/></resourcetype><calendar-home-set xmlns="urn:ietf:params:xml:ns:caldav"><href xmlns="DAV:">/x/</href></calendar-home-set></prop>
<status>HTTP/1.1 404 Not Found</status></propstat></response></multistatus>)")
                                                 << true << QStringList {QStringLiteral("/ 0 1 /user/ ")};
    QTest::newRow("cut off midway") << QByteArray(R"(<multistatus xmlns="DAV:"><response><href>/a/</href><propstat>)") << false
                                    << QStringList();
}

void TestDavXml::calendars()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, ok);
    QFETCH(QStringList, expected);
    QList<TCalendarProps> props;
    QString error;
    QCOMPARE(DavXml::ParseCalendarProps(body, props, error), ok);
    if (!ok) {
        QVERIFY(!error.isEmpty());
        return;
    }
    QStringList got;
    for (const TCalendarProps &p : props)
        got << QStringLiteral("%1 %2 %3 %4 %5")
                   .arg(QString::fromUtf8(p.Href))
                   .arg(int(p.Calendar))
                   .arg(int(p.Events))
                   .arg(QString::fromUtf8(p.Principal), QString::fromUtf8(p.HomeSet));
    QCOMPARE(got, expected);
}

QTEST_GUILESS_MAIN(TestDavXml)
#include "tst_davxml.moc"

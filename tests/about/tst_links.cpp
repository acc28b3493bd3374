#include "about/DesktopLinks.h"
#include "about/LinkCommands.h"
#include "util/Version.h"

#include "SessionFixture.h"

#include <QtTest>

namespace {

// Records what would go to the desktop.
struct TRecordingLinks : IDesktopLinks
{
    QList<QUrl> Opened;
    void OpenUrl(const QUrl &url) override { Opened.append(url); }
};

} // namespace

class TestLinks : public QObject
{
    Q_OBJECT

private slots:
    void urls_data()
    {
        QTest::addColumn<bool>("web");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("url");
        QTest::newRow("mail") << false << "jan@example.cz" << "mailto:jan@example.cz";
        QTest::newRow("empty mail: a new message") << false << "" << "mailto:";
        QTest::newRow("mail with its scheme") << false << "MAILTO:jan@example.cz" << "mailto:jan@example.cz";
        QTest::newRow("mail with a subject") << false << "jan@example.cz?subject=Ahoj" << "mailto:jan@example.cz?subject=Ahoj";
        QTest::newRow("web") << true << "www.example.cz/a" << "http://www.example.cz/a";
        QTest::newRow("web with http") << true << "http://www.example.cz" << "http://www.example.cz";
        QTest::newRow("web with https") << true << "HTTPS://example.cz" << "https://example.cz";
        QTest::newRow("host and port") << true << "example.cz:8080" << "http://example.cz:8080";
        QTest::newRow("padded") << true << "  example.cz " << "http://example.cz";
        QTest::newRow("file is not a web scheme") << true << "file:///etc/passwd" << "http://file///etc/passwd";
        // One URL, its parts encoded: nothing here can reach a command line.
        QTest::newRow("shell text") << true << "x.cz/\"a b\";$(rm -rf ~)" << "http://x.cz/%22a%20b%22;$(rm%20-rf%20~)";
        QTest::newRow("shell text in mail") << false << "a b@x.cz;`id`" << "mailto:a%20b@x.cz;%60id%60";
    }

    void urls()
    {
        QFETCH(bool, web);
        QFETCH(QString, text);
        QFETCH(QString, url);
        const QUrl u = web ? TLinkCommands::WebUrl(text) : TLinkCommands::MailUrl(text);
        QCOMPARE(u.toString(QUrl::FullyEncoded), url);
    }

    void fieldsAsShown()
    {
        TSessionFixture f;
        TRecordingLinks links;
        TLinkCommands c(*f.S, links);
        // Typed and not yet stored: the editor buffer is what the fields show.
        f.Editor->EditText(EField::Email, TestBook::Cp("petr.novák@example.cz"));
        f.Editor->EditText(EField::Http, TestBook::Cp("http://example.cz"));
        c.EmailDblClick();
        c.HttpDblClick();
        QCOMPARE(links.Opened.size(), 2);
        QCOMPARE(links.Opened[0].scheme(), QStringLiteral("mailto"));
        QCOMPARE(links.Opened[0].path(), QString::fromUtf8("petr.novák@example.cz"));
        QCOMPARE(links.Opened[1], QUrl(QStringLiteral("http://example.cz")));
    }

    void version_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("four");
        QTest::newRow("four") << "0.1.0.0" << "0.1.0.0";
        QTest::newRow("three") << "1.2.3" << "1.2.3.0";
        QTest::newRow("none") << "" << "";
        QTest::newRow("not numbers") << "1.2-beta" << "";
        QTest::newRow("five") << "1.2.3.4.5" << "";
        QTest::newRow("commit") << "0.1.0+git20261208.abc1234" << "0.1.0.0";
        QTest::newRow("edited checkout") << "1.2.3.4+git20261208.abc1234.dirty" << "1.2.3.4";
        QTest::newRow("not numbers before the commit") << "1.x+git20261208.abc1234" << "";
    }

    void version()
    {
        QFETCH(QString, version);
        QFETCH(QString, four);
        QCOMPARE(FourPartVersion(version), four);
    }
};

QTEST_GUILESS_MAIN(TestLinks)
#include "tst_links.moc"

#include "about/LinkCommands.h"

#include "about/DesktopLinks.h"
#include "session/Session.h"
#include "util/Cp1250.h"
#include "util/Version.h"

#include <QRegularExpression>

namespace {

QUrl Parsed(const QString &text)
{
    // Tolerant parsing encodes spaces, quotes and the like: the text stays one URL.
    return QUrl(text, QUrl::TolerantMode);
}

} // namespace

TLinkCommands::TLinkCommands(TSession &s, IDesktopLinks &links) : m_s(s), m_links(links)
{
}

void TLinkCommands::EmailDblClick()
{
    m_links.OpenUrl(MailUrl(FromCp1250(m_s.Editor.Text(EField::Email))));
}

void TLinkCommands::HttpDblClick()
{
    m_links.OpenUrl(WebUrl(FromCp1250(m_s.Editor.Text(EField::Http))));
}

QUrl TLinkCommands::MailUrl(const QString &text)
{
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
        return Parsed(t);
    return Parsed(QStringLiteral("mailto:") + t);
}

QUrl TLinkCommands::WebUrl(const QString &text)
{
    const QString t = text.trimmed();
    // Only web schemes pass as typed; anything else ("file:", "javascript:", a host with
    // a port) is taken for an address without one.
    static const QRegularExpression web(QStringLiteral("^(https?|ftps?)://"), QRegularExpression::CaseInsensitiveOption);
    if (web.match(t).hasMatch())
        return Parsed(t);
    return Parsed(QStringLiteral("http://") + t);
}

TAboutInfo TAboutInfo::Program()
{
    TAboutInfo a;
    a.ProductName = QStringLiteral("Vorlink pro WIN32");
    a.Version = QStringLiteral("freeware");
    a.Copyright = QString::fromUtf8("© 2026 Vorlink – vývojáři projektu");
    a.Comments = QString::fromUtf8("Dotazy a připomínky posílejte na");
    a.Email = QStringLiteral("vorlink@example.org");
    a.Web = QStringLiteral("https://github.com/brevmark/vorlink");
    a.FileVersion = FourPartVersion(ProgramVersion());
    a.Build = ProgramVersion();
    return a;
}

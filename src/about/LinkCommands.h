#pragma once

#include <QString>
#include <QUrl>

class IDesktopLinks;
class TSession;

// The entry editor's links: a double-click on the e-mail or the web field opens it.
class TLinkCommands
{
public:
    TLinkCommands(TSession &s, IDesktopLinks &links);

    // The fields as the editor shows them, unsaved edits included.
    void EmailDblClick();
    void HttpDblClick();

    // "mailto:" and the address; an address that already carries "mailto:" keeps it.
    static QUrl MailUrl(const QString &text);
    // The address as it is when it names a web scheme, else "http://" and the text.
    static QUrl WebUrl(const QString &text);

private:
    TSession &m_s;
    IDesktopLinks &m_links;
};

// The texts of the about box.
struct TAboutInfo
{
    QString ProductName;
    QString Version;
    QString Copyright;
    QString Comments;
    QString Email;
    QString Web;
    QString FileVersion;
    QString Build; // the whole version, with the commit it was built from

    static TAboutInfo Program();
};

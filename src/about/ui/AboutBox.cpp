#include "about/ui/AboutBox.h"

#include "about/LinkCommands.h"
#include "session/ui/AppIcon.h"
#include "session/ui/DialogFrame.h"
#include "session/ui/DialogParts.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

void TDesktopLinks::OpenUrl(const QUrl &url)
{
    // The outcome is not checked: the desktop tells the person itself.
    QDesktopServices::openUrl(url);
}

TAboutBox::TAboutBox(IDesktopLinks &links, QWidget *parent) : QDialog(parent), m_links(links)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QString::fromUtf8("O autorovi"));

    m_icon = AddLabel("ProgramIcon");
    m_icon->setPixmap(AppIcon().pixmap(48, 48));
    m_icon->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_product = AddLabel("ProductName");
    QFont big = m_product->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 4);
    m_product->setFont(big);
    m_version = AddLabel("Version");
    m_copyright = AddLabel("Copyright");
    m_comments = AddLabel("Comments");
    m_email = AddLabel("EMailAdresa");
    m_email->setToolTip(QString::fromUtf8("Pošle E-Mail na danou adresu "));
    m_web = AddLabel("HTTPAdresa");
    m_web->setToolTip(QString::fromUtf8("Otevře danou WWW stránku"));
    m_fileVersion = AddLabel("FileVersion");
    for (QLabel *link : {m_email, m_web}) {
        link->setTextFormat(Qt::RichText);
        link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        link->setOpenExternalLinks(false);
        connect(link, &QLabel::linkActivated, this, [this](const QString &href) { m_links.OpenUrl(QUrl(href)); });
    }

    auto *texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(m_product);
    texts->addWidget(m_version);
    texts->addWidget(m_fileVersion);
    texts->addSpacing(8);
    texts->addWidget(m_copyright);
    texts->addSpacing(8);
    texts->addWidget(m_comments);
    texts->addWidget(m_email);
    texts->addWidget(m_web);
    texts->addStretch();

    auto *top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(m_icon);
    top->addLayout(texts, 1);

    m_ok = MakeDialogButton("&OK", "ButtonOk", this);
    m_ok->setDefault(true);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(m_ok);
    row->addStretch();

    auto *main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addLayout(row);
    setMinimumSize(340, 280);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    TDialogFrame::Install(this, m_ok, m_ok);
}

QLabel *TAboutBox::AddLabel(const char *name)
{
    auto *l = new QLabel(this);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

void TAboutBox::Fill(const TAboutInfo &info)
{
    m_product->setText(info.ProductName);
    m_version->setText(info.Version);
    m_copyright->setText(info.Copyright);
    m_comments->setText(info.Comments);
    const QString mail = TLinkCommands::MailUrl(info.Email).toString(QUrl::FullyEncoded);
    m_email->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(mail.toHtmlEscaped(), info.Email.toHtmlEscaped()));
    m_web->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(info.Web.toHtmlEscaped(), info.Web.toHtmlEscaped()));
    m_fileVersion->setText(info.FileVersion);
    m_fileVersion->setToolTip(info.Build);
}

void TAboutBox::Show(const TAboutInfo &info)
{
    Fill(info);
    resize(width(), 280);
    exec();
}

#pragma once

#include "about/DesktopLinks.h"

#include <QDialog>

class QLabel;
class QPushButton;
struct TAboutInfo;

// The desktop's own opener: QDesktopServices, which starts the associated program
// with the URL as one argument.
class TDesktopLinks : public IDesktopLinks
{
public:
    void OpenUrl(const QUrl &url) override;
};

// "O autorovi": the program's name, version, copyright and where to write.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    TAboutBox(IDesktopLinks &links, QWidget *parent = nullptr);

    // Fills the texts and shows the box modally.
    void Show(const TAboutInfo &info);
    void Fill(const TAboutInfo &info);

private:
    QLabel *AddLabel(const char *name);

    IDesktopLinks &m_links;
    QLabel *m_icon;
    QLabel *m_product;
    QLabel *m_version;
    QLabel *m_copyright;
    QLabel *m_comments;
    QLabel *m_email;
    QLabel *m_web;
    QLabel *m_fileVersion;
    QPushButton *m_ok;
};

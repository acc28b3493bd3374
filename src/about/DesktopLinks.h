#pragma once

#include <QUrl>

// Hands one URL to the desktop, which opens it with the program it associates with the
// scheme (mail program, web browser). Never a shell or a command line.
class IDesktopLinks
{
public:
    virtual ~IDesktopLinks() = default;
    virtual void OpenUrl(const QUrl &url) = 0;
};

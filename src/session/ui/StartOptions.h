#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for: "/l" or "/L" starts hidden in the tray, any other
// argument names the book to open (the last one counts).
struct TStartOptions
{
    bool StartHidden = false;
    QString CommandLineFile;

    static TStartOptions Parse(const QStringList &arguments /*without the program*/);
};

// A directory with its trailing separator, as the start-up paths are kept.
QString WithTrailingSeparator(const QString &dir);

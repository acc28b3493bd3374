#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for: "/l" or "/L" starts hidden in the tray, "--version"
// prints the version instead of starting, any other argument names the book to open (the
// last one counts; "./--version" opens a book of that name).
struct TStartOptions
{
    bool StartHidden = false;
    bool ShowVersion = false;
    QString CommandLineFile;

    static TStartOptions Parse(const QStringList &arguments /*without the program*/);
};

// A directory with its trailing separator, as the start-up paths are kept.
QString WithTrailingSeparator(const QString &dir);

#include "core/ui/StartOptions.h"

#include <QFileInfo>

TStartOptions TStartOptions::Parse(const QStringList &arguments)
{
    TStartOptions o;
    for (const QString &a : arguments) {
        if (a == QLatin1String("/l") || a == QLatin1String("/L"))
            o.StartHidden = true;
        else
            o.CommandLineFile = a;
    }
    return o;
}

TReminderSound TReminderSound::Find(const QString &startupDir, const QString &programDir)
{
    TReminderSound s;
    for (const QString &dir : {startupDir, programDir}) {
        const QString path = dir + QStringLiteral("vorlink.wav");
        if (QFileInfo(path).isFile()) {
            s.Path = path;
            s.SoundAvailable = true;
            break;
        }
    }
    return s;
}

QString WithTrailingSeparator(const QString &dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

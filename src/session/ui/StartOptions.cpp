#include "session/ui/StartOptions.h"

TStartOptions TStartOptions::Parse(const QStringList &arguments)
{
    TStartOptions o;
    for (const QString &a : arguments) {
        if (a == QLatin1String("/l") || a == QLatin1String("/L"))
            o.StartHidden = true;
        else if (a == QLatin1String("--version"))
            o.ShowVersion = true;
        else
            o.CommandLineFile = a;
    }
    return o;
}

QString WithTrailingSeparator(const QString &dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

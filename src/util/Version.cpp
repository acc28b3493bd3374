#include "util/Version.h"

#include "vorlink_version.h" // written at every build into the build tree

#include <QStringList>

QString ProgramVersion()
{
    return QStringLiteral(VORLINK_VERSION);
}

QString FourPartVersion(const QString &version)
{
    QStringList parts = version.section(QLatin1Char('+'), 0, 0).split(QLatin1Char('.'));
    if (parts.size() > 4)
        return {};
    for (const QString &p : parts) {
        bool ok = false;
        p.toUInt(&ok);
        if (!ok)
            return {};
    }
    while (parts.size() < 4)
        parts.append(QStringLiteral("0"));
    return parts.join(QLatin1Char('.'));
}

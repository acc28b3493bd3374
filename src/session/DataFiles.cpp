#include "session/DataFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString Find(const QString &name, const QStringList &directories, bool folder)
{
    for (const QString &dir : directories) {
        if (dir.isEmpty())
            continue;
        const QFileInfo info(QDir(dir).filePath(name));
        if ((folder ? info.isDir() : info.isFile()) && info.isReadable())
            return info.absoluteFilePath();
    }
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("vorlink/") + name,
                                  folder ? QStandardPaths::LocateDirectory : QStandardPaths::LocateFile);
}

} // namespace

QString FindDataFile(const QString &name, const QStringList &directories)
{
    return Find(name, directories, false);
}

QString FindDataDir(const QString &name, const QStringList &directories)
{
    return Find(name, directories, true);
}

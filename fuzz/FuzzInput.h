#pragma once

// The readers under test take files: each input goes into a file of a folder kept for
// the whole run.
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

// The path of `name` in the run's folder.
inline QString FuzzPath(const char *name)
{
    static QTemporaryDir dir;
    return dir.filePath(QString::fromLatin1(name));
}

// Writes the bytes to `name` in the run's folder; its path, or empty when that failed.
inline QString FuzzFile(const char *name, const void *data, size_t size)
{
    const QString path = FuzzPath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || f.write(static_cast<const char *>(data), qint64(size)) != qint64(size))
        return {};
    return path;
}

#pragma once

// The limit each format is measured against: the same bytes read like `cat` reads them
// (into one buffer used again and again) and written into a new file, flushed to the disk
// where the program flushes.
#include "BenchSupport.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <unistd.h>

inline double RawRead(const QString &path)
{
    static QByteArray buffer(1 << 17, '\0');
    return Best(5, [&] {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        while (::read(fd, buffer.data(), size_t(buffer.size())) > 0) {
        }
        ::close(fd);
    });
}

inline double RawWrite(const QString &path, const QByteArray &bytes, bool sync = true)
{
    return Best(3, [&] {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        for (qsizetype at = 0; at < bytes.size();) {
            const ssize_t n = ::write(fd, bytes.constData() + at, size_t(qMin<qsizetype>(1 << 16, bytes.size() - at)));
            if (n <= 0)
                break;
            at += n;
        }
        if (sync)
            ::fsync(fd);
        ::close(fd);
    });
}

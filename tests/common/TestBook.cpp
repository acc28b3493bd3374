#include "TestBook.h"

#include "util/FileName.h"

#include "book/BookLabels.h"
#include "util/Cp1250.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace TestBook {

QByteArray Cp(const char *utf8)
{
    return ToCp1250(QString::fromUtf8(utf8));
}

TContactRecord Entry(const char *name, unsigned flags)
{
    TContactRecord r;
    r.SetText(EField::NazevPolozky, Cp(name));
    for (int i = 1; i <= kFlagCount; ++i)
        r.SetFlag(i, flags & (1u << (i - 1)));
    return r;
}

QByteArray FileBytes(const TBookLabels &labels, const QList<TContactRecord> &records)
{
    QByteArray bytes(labels.ToHeader().Data(), kRecordSize);
    for (const TContactRecord &r : records)
        bytes.append(r.Data(), kRecordSize);
    return bytes;
}

// By the bytes of the name, so tests may use names that are not UTF-8.
bool WriteFile(const QString &path, const QByteArray &bytes)
{
    const int fd = ::open(FileName::ToBytes(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QFile f;
    return fd >= 0 && f.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle) && f.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString &path)
{
    const int fd = ::open(FileName::ToBytes(path).constData(), O_RDONLY | O_CLOEXEC);
    QFile f;
    return fd >= 0 && f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) ? f.readAll() : QByteArray();
}

QStringList FilesIn(const QString &folder)
{
    QStringList names;
    if (DIR *d = ::opendir(FileName::ToBytes(folder).constData())) {
        while (const dirent *e = ::readdir(d)) {
            if (e->d_type != DT_DIR)
                names.append(FileName::FromBytes(e->d_name));
        }
        ::closedir(d);
    }
    names.sort();
    return names;
}

} // namespace TestBook

#include "book/FileStamp.h"

#include "book/Book.h"
#include "util/FileName.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace {

// Wider than the coarsest modification times met in practice (two seconds on FAT).
constexpr qint64 kRecentNs = 3'000'000'000;

void MarkRecent(TFileStamp &s)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch() * 1'000'000;
    s.Recent = s.ModifiedNs > now - kRecentNs;
}

#ifdef Q_OS_UNIX
TFileStamp FromStat(const struct stat &st)
{
    TFileStamp s;
    s.Valid = true;
    s.Device = quint64(st.st_dev);
    s.Inode = quint64(st.st_ino);
    s.Size = qint64(st.st_size);
    s.ModifiedNs = qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    MarkRecent(s);
    return s;
}
#else
TFileStamp FromInfo(const QString &path)
{
    const QFileInfo info(path);
    TFileStamp s;
    if (!info.exists())
        return s;
    s.Valid = true;
    s.Size = info.size();
    s.ModifiedNs = info.lastModified().toMSecsSinceEpoch() * 1'000'000;
    MarkRecent(s);
    return s;
}
#endif

QByteArray HashOfFile(const QString &path)
{
    QFile file;
#ifdef Q_OS_UNIX
    // By the bytes of the name, which Qt may not be able to take.
    const int fd = ::open(FileName::ToBytes(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return {};
    }
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
#endif
    QCryptographicHash hash(TFileStamp::kHash);
    if (!hash.addData(&file))
        return {};
    return hash.result();
}

} // namespace

TFileStamp TFileStamp::OfHandle(int fd)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (::fstat(fd, &st) == 0)
        return FromStat(st);
#else
    Q_UNUSED(fd);
#endif
    return {};
}

TFileStamp TFileStamp::OfPath(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(FileName::ToBytes(path).constData(), &st) == 0)
        return FromStat(st);
    return {};
#else
    return FromInfo(path);
#endif
}

bool TFileStamp::ChangedOnDisk(const QString &path) const
{
    if (!Valid)
        return false;
    const TFileStamp now = OfPath(path);
    if (!now.Valid)
        return false;
    if (now.Device != Device || now.Inode != Inode || now.Size != Size || now.ModifiedNs != ModifiedNs)
        return true;
    return Recent && HashOfFile(path) != Hash;
}

QByteArray TFileStamp::HashOf(const TContactRecord &header, const TBook &book)
{
    QCryptographicHash hash(kHash);
    hash.addData(QByteArrayView(header.Data(), kRecordSize));
    for (qsizetype i = 0; i < book.RecordCount(); ++i)
        hash.addData(QByteArrayView(book.Record(i).Data(), kRecordSize));
    return hash.result();
}

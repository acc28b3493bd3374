#include "book/BookFile.h"

#include "book/Book.h"
#include "util/FileName.h"
#include "util/FileSync.h"
#include "util/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QScopeGuard>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

constexpr qsizetype kChunkRecords = 256;

bool WriteAll(QIODevice &device, const char *data, qsizetype size)
{
    // A short write is a failure even when the device does not say so (a full disk).
    return device.write(data, size) == size;
}

bool SyncFile(QFileDevice &file)
{
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    return file.flush();
#endif
}

TFileStamp StampOf(QFileDevice &file, const QString &path)
{
#ifdef Q_OS_UNIX
    Q_UNUSED(path);
    return TFileStamp::OfHandle(file.handle());
#else
    Q_UNUSED(file);
    return TFileStamp::OfPath(path);
#endif
}

// The new file takes the old one's owner, as far as this user may give it.
void KeepOwner(QFileDevice &file, const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat old;
    struct stat now;
    if (::stat(FileName::ToBytes(path).constData(), &old) != 0 || ::fstat(file.handle(), &now) != 0)
        return;
    if (old.st_uid != now.st_uid || old.st_gid != now.st_gid) {
        if (::fchown(file.handle(), old.st_uid, old.st_gid) != 0)
            (void)::fchown(file.handle(), uid_t(-1), old.st_gid);
    }
#else
    Q_UNUSED(file);
    Q_UNUSED(path);
#endif
}

// Makes sure the first `size` bytes of the file have their blocks, keeping what is there.
// A reservation that fails may have grown the file; it goes back to its old size.
bool Reserve(QFile &file, qint64 oldSize, qint64 size)
{
#ifdef Q_OS_UNIX
    if (::posix_fallocate(file.handle(), 0, size) == 0)
        return true;
#else
    if (size <= oldSize || file.resize(size))
        return true;
#endif
    file.resize(oldSize);
    return false;
}

TBookFileError WriteInPlace(const QString &path, const TContactRecord &header, const TBook &book,
                            const BookFile::TInclude &include, const std::function<bool()> &beforeHeader,
                            TFileStamp *written)
{
    QFile file;
#ifdef Q_OS_UNIX
    // By the bytes of the name, so a name Qt cannot take is written too.
    const int fd = ::open(FileName::ToBytes(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return TBookFileError::Open;
    if (!file.open(fd, QIODevice::ReadWrite | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return TBookFileError::Open;
    }
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return TBookFileError::Open;
#endif
    if (beforeHeader && !beforeHeader())
        return TBookFileError::Refused;
    const qint64 oldSize = file.size();
    qint64 records = book.RecordCount();
    if (include) {
        records = 0;
        for (qsizetype i = 0; i < book.RecordCount(); ++i)
            records += include(book.Record(i)) ? 1 : 0;
    }
    const qint64 newSize = qint64(kRecordSize) * (records + 1);
    if (!Reserve(file, oldSize, kRecordSize))
        return TBookFileError::HeaderWrite;
    if (!Reserve(file, oldSize, newSize))
        return TBookFileError::Write;
    TBookFileError e = BookFile::WriteRecords(file, header, book, include);
    if (e == TBookFileError::None
        && !(SyncFile(file) && file.resize(newSize) && SyncFile(file)))
        e = TBookFileError::Write;
    if (e == TBookFileError::None && written) {
        *written = StampOf(file, path);
        if (written->Recent)
            written->Hash = TFileStamp::HashOf(header, book);
    }
    return e;
}

#ifdef Q_OS_UNIX
// The guarded write for a name Qt cannot take (not UTF-8): by the bytes of the name,
// through a new file beside it that is renamed over it once all went through.
TBookFileError WriteByBytes(const QString &path, const TContactRecord &header, const TBook &book,
                            const BookFile::TInclude &include, const std::function<bool()> &beforeHeader,
                            TFileStamp *written)
{
    const QByteArray bytes = FileName::ToBytes(path);
    const qsizetype slash = bytes.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : bytes.left(slash);
    const QByteArray base = bytes.mid(slash + 1);
    const int dirFd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return TBookFileError::Open;
    auto closeDir = qScopeGuard([dirFd] { ::close(dirFd); });
    struct stat old;
    const bool hadOld = ::fstatat(dirFd, base.constData(), &old, 0) == 0;
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".vorlink-new";
        fd = ::openat(dirFd, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return hadOld ? WriteInPlace(path, header, book, include, beforeHeader, written) : TBookFileError::Open;
    QFile file;
    file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
    bool keep = false;
    auto dropTemp = qScopeGuard([&] {
        if (!keep)
            ::unlinkat(dirFd, temp.constData(), 0);
    });
    if (hadOld) {
        (void)::fchmod(fd, old.st_mode & 07777);
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, uid_t(-1), old.st_gid);
    }
    if (beforeHeader && !beforeHeader())
        return TBookFileError::Refused;
    TBookFileError e = BookFile::WriteRecords(file, header, book, include);
    if (e == TBookFileError::None && !SyncFile(file))
        e = TBookFileError::Write;
    if (e != TBookFileError::None)
        return e;
    const TFileStamp stamp = StampOf(file, path);
    file.close();
    // The folder held open may have been moved or replaced meanwhile: the new file would
    // land where the name no longer leads, and be reported as written.
    struct stat held, named;
    if (::fstat(dirFd, &held) != 0 || ::stat(dir.constData(), &named) != 0 || held.st_dev != named.st_dev
        || held.st_ino != named.st_ino)
        return TBookFileError::Write;
    if (::renameat(dirFd, temp.constData(), dirFd, base.constData()) != 0)
        return TBookFileError::Write;
    keep = true;
    ::fsync(dirFd);
    if (written) {
        *written = stamp;
        if (written->Recent)
            written->Hash = TFileStamp::HashOf(header, book);
    }
    return TBookFileError::None;
}
#endif

// Opens only a regular file, and without waiting: a FIFO would block open() for ever,
// and a device is no book. Only a name that is not there counts as missing.
TBookFileError OpenRegular(const QString &path, QFile &file)
{
    switch (OpenRegularFile(path, file)) {
    case TRegularOpen::Ok:
        return TBookFileError::None;
    case TRegularOpen::Missing:
        return TBookFileError::Missing;
    default:
        return TBookFileError::Open;
    }
}

} // namespace

namespace BookFile {

TBookFileError ReadEach(const QString &path, TContactRecord &header,
                        const std::function<void(const char *record)> &each, TFileStamp *stamp)
{
    QFile file;
    const TBookFileError opened = OpenRegular(path, file);
    if (opened != TBookFileError::None)
        return opened;
    const qint64 size = file.size();
    if (size < kRecordSize)
        return TBookFileError::HeaderRead;
    // Judged before anything is read: a partial last record or a size no book can have.
    if ((size - kRecordSize) % kRecordSize != 0 || (size - kRecordSize) / kRecordSize > kMaxRecords)
        return TBookFileError::Read;
    TFileStamp taken = StampOf(file, path);
    const bool hashing = stamp && taken.Recent;
    QCryptographicHash hash(TFileStamp::kHash);

    QByteArray buffer(kRecordSize * kChunkRecords, Qt::Uninitialized);
    if (file.read(buffer.data(), kRecordSize) != kRecordSize)
        return TBookFileError::HeaderRead;
    header = TContactRecord::FromBytes(buffer.constData());
    if (hashing)
        hash.addData(QByteArrayView(buffer.constData(), kRecordSize));

    for (qint64 done = kRecordSize; done < size;) {
        const qint64 want = qMin<qint64>(kRecordSize * kChunkRecords, size - done);
        const qint64 got = file.read(buffer.data(), want);
        // The file shrank or failed under us.
        if (got != want)
            return TBookFileError::Read;
        if (hashing)
            hash.addData(QByteArrayView(buffer.constData(), got));
        for (qint64 i = 0; i < got / kRecordSize; ++i)
            each(buffer.constData() + i * kRecordSize);
        done += got;
    }
    if (stamp) {
        if (hashing)
            taken.Hash = hash.result();
        *stamp = taken;
    }
    return TBookFileError::None;
}

TBookFileError Read(const QString &path, TContactRecord &header, TBook &target, TFileStamp *stamp)
{
    return ReadEach(
        path, header, [&](const char *record) { target.AppendRecord(TContactRecord::FromBytes(record)); }, stamp);
}

TBookFileError WriteRecords(QIODevice &device, const TContactRecord &header, const TBook &book,
                            const TInclude &include)
{
    if (!WriteAll(device, header.Data(), kRecordSize))
        return TBookFileError::HeaderWrite;
    QByteArray chunk;
    chunk.reserve(kRecordSize * kChunkRecords);
    for (qsizetype i = 0; i < book.RecordCount(); ++i) {
        const TContactRecord &r = book.Record(i);
        if (!include || include(r))
            chunk.append(r.Data(), kRecordSize);
        if (chunk.size() >= kRecordSize * kChunkRecords || (i + 1 == book.RecordCount() && !chunk.isEmpty())) {
            if (!WriteAll(device, chunk.constData(), chunk.size()))
                return TBookFileError::Write;
            chunk.resize(0);
        }
    }
    return TBookFileError::None;
}

TBookFileError Write(const QString &path, const TContactRecord &header, const TBook &book,
                     const std::function<bool()> &beforeHeader, TFileStamp *written)
{
    return WriteSelected(path, header, book, {}, beforeHeader, written);
}

TBookFileError WriteSelected(const QString &path, const TContactRecord &header, const TBook &book,
                             const TInclude &include, const std::function<bool()> &beforeHeader,
                             TFileStamp *written)
{
    // Never write over a device, a FIFO or a folder (nor through a link to one).
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(FileName::ToBytes(path).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return TBookFileError::Open;
    if (!FileName::QtCanTake(path))
        return WriteByBytes(path, header, book, include, beforeHeader, written);
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return TBookFileError::Open;
#endif
    QSaveFile file(path);
    // Unbuffered, every write says at once whether it went through, so a header that does
    // not fit is told from records that do not.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return WriteInPlace(path, header, book, include, beforeHeader, written);
    KeepOwner(file, path);
    if (beforeHeader && !beforeHeader()) {
        file.cancelWriting();
        file.commit();
        return TBookFileError::Refused;
    }
    TBookFileError e = WriteRecords(file, header, book, include);
    if (e == TBookFileError::None && !file.flush())
        e = TBookFileError::Write;
    if (e != TBookFileError::None) {
        file.cancelWriting();
        file.commit();
        return e;
    }
#ifdef Q_OS_UNIX
    // The rename keeps the new file's inode, size and time.
    TFileStamp stamp = StampOf(file, path);
#endif
    if (!file.commit())
        return TBookFileError::Write;
    SyncDirectoryOf(path);
#ifndef Q_OS_UNIX
    TFileStamp stamp = StampOf(file, path);
#endif
    if (written) {
        if (stamp.Recent)
            stamp.Hash = TFileStamp::HashOf(header, book);
        *written = stamp;
    }
    return TBookFileError::None;
}

bool LooksLikeBook(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() < kRecordSize || info.size() % kRecordSize != 0)
        return false;
    if (info.suffix().compare(QLatin1String("WDT"), Qt::CaseInsensitive) == 0)
        return true;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = f.read(kRecordSize);
    if (header.size() != kRecordSize)
        return false;
    // Every length byte of the header within its field: text of another kind fails this.
    for (int i = 0; i < kTextFieldCount; ++i)
        if (uchar(header.at(FieldInfo(i).Offset)) > FieldInfo(i).Capacity)
            return false;
    return true;
}

} // namespace BookFile

#include "book/BookFile.h"

#include "book/Book.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr qsizetype kChunkRecords = 256;

bool WriteAll(QIODevice &device, const char *data, qsizetype size)
{
    // A short write is a failure even when the device does not say so (a full disk).
    return device.write(data, size) == size;
}

void SyncDirectory(const QString &path)
{
#ifdef Q_OS_UNIX
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(path);
#endif
}

TBookFileError WriteRecordsIf(QIODevice &device, const TContactRecord &header, const TBook &book,
                              const std::function<bool(const TContactRecord &)> &include)
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

} // namespace

namespace BookFile {

TBookFileError Read(const QString &path, TContactRecord &header, TBook &target)
{
    QFileInfo info(path);
    if (!info.exists())
        return TBookFileError::Missing;
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        return TBookFileError::Open;
    const qint64 size = file.size();

    QByteArray buffer(kRecordSize * kChunkRecords, Qt::Uninitialized);
    if (file.read(buffer.data(), kRecordSize) != kRecordSize)
        return TBookFileError::HeaderRead;
    header = TContactRecord::FromBytes(buffer.constData());

    while (file.pos() < size) {
        const qint64 left = size - file.pos();
        const qint64 want = qMin<qint64>(kRecordSize * kChunkRecords, left);
        const qint64 got = file.read(buffer.data(), want);
        if (got <= 0)
            return TBookFileError::Read;
        const qint64 whole = got / kRecordSize;
        for (qint64 i = 0; i < whole; ++i)
            target.AppendRecord(TContactRecord::FromBytes(buffer.constData() + i * kRecordSize));
        if (got % kRecordSize != 0)
            return TBookFileError::Read; // a partial last record
    }
    return TBookFileError::None;
}

TBookFileError WriteRecords(QIODevice &device, const TContactRecord &header, const TBook &book)
{
    return WriteRecordsIf(device, header, book, {});
}

TBookFileError Write(const QString &path, const TContactRecord &header, const TBook &book,
                     const std::function<bool()> &beforeHeader)
{
    return WriteSelected(path, header, book, {}, beforeHeader);
}

TBookFileError WriteSelected(const QString &path, const TContactRecord &header, const TBook &book,
                             const std::function<bool(const TContactRecord &)> &include,
                             const std::function<bool()> &beforeHeader)
{
    QSaveFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::WriteOnly))
        return TBookFileError::Open;
    if (beforeHeader && !beforeHeader()) {
        file.cancelWriting();
        file.commit();
        return TBookFileError::Refused;
    }
    TBookFileError e = WriteRecordsIf(file, header, book, include);
    if (e == TBookFileError::None && !file.flush())
        e = TBookFileError::Write;
    if (e != TBookFileError::None) {
        file.cancelWriting();
        file.commit();
        return e;
    }
    if (!file.commit())
        return TBookFileError::Write;
    SyncDirectory(path);
    return TBookFileError::None;
}

} // namespace BookFile

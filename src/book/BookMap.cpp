#include "book/BookMap.h"

#include "util/RegularFile.h"

#include <cstring>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

TBookFileError TBookMap::Open(const QString &path)
{
    switch (OpenRegularFile(path, m_file)) {
    case TRegularOpen::Ok:
        break;
    case TRegularOpen::Missing:
        return TBookFileError::Missing;
    default:
        return TBookFileError::Open;
    }
    const qint64 size = m_file.size();
    if (size < kRecordSize)
        return TBookFileError::HeaderRead;
    if ((size - kRecordSize) % kRecordSize != 0 || (size - kRecordSize) / kRecordSize > BookFile::kMaxRecords)
        return TBookFileError::Read;
    const char *data = reinterpret_cast<const char *>(m_file.map(0, size, QFileDevice::MapPrivateOption));
#if defined(Q_OS_LINUX) && defined(MADV_POPULATE_READ)
    // Every page is read anyway: one call maps them all instead of a fault for each few.
    // Kernels without it say EINVAL, and the pages come by faults as before.
    if (data)
        (void)::madvise(const_cast<char *>(data), size_t(size), MADV_POPULATE_READ);
#endif
    if (!data) {
        m_read = m_file.readAll();
        if (m_read.size() != size)
            return TBookFileError::Read;
        data = m_read.constData();
    }
    m_header = TContactRecord::FromBytes(data);
    m_records = data + kRecordSize;
    m_count = qsizetype((size - kRecordSize) / kRecordSize);
    return TBookFileError::None;
}

void TBookMap::CopyRecord(qsizetype i, TContactRecord &into) const
{
    std::memcpy(into.Data(), RecordBytes(i), kRecordSize);
}

// Any book that reads cleanly writes back byte for byte.
#include "book/Book.h"
#include "book/BookFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.wdt"));
    const QString out = dir.filePath(QStringLiteral("out.wdt"));
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile f(in);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            return 0;
    }
    TBook book;
    TContactRecord header;
    if (BookFile::Read(in, header, book) != TBookFileError::None)
        return 0;
    if (BookFile::Write(out, header, book) != TBookFileError::None)
        std::abort();
    QFile written(out);
    if (!written.open(QIODevice::ReadOnly) || written.readAll() != bytes)
        std::abort();
    return 0;
}

// Any book that reads cleanly writes back byte for byte.
#include "FuzzInput.h"
#include "book/Book.h"
#include "book/BookFile.h"

#include <QFile>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString in = FuzzFile("in.wdt", data, size);
    const QString out = FuzzPath("out.wdt");
    if (in.isEmpty())
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
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

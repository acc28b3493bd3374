// Feeds arbitrary bytes to the table reader: the input is split into a .DB and a .MB file
// at a point its first two bytes choose, and read as both ZEV tables.
#include "book/Book.h"
#include "exchange/ZevTables.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

void Write(const QString &path, const char *data, qint64 size)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(data, size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    static QTemporaryDir dir;
    const size_t split = qMin(size - 2, size_t(data[0] | (data[1] << 8)) * 16);
    const char *bytes = reinterpret_cast<const char *>(data + 2);
    Write(dir.filePath(QStringLiteral("Kontakty.DB")), bytes, qint64(split));
    Write(dir.filePath(QStringLiteral("Kontakty.MB")), bytes + split, qint64(size - 2 - split));
    for (ZevTables::TKind kind : {ZevTables::TKind::Kontakty, ZevTables::TKind::Firmy}) {
        TBook book;
        ZevTables::Read(kind, dir.filePath(QStringLiteral("Kontakty.DB")), book);
    }
    return 0;
}

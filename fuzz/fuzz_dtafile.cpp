// Feeds arbitrary bytes to the DTA reader as a file.
#include "book/Book.h"
#include "exchange/DtaFile.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.DTA"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    f.write(reinterpret_cast<const char *>(data), qint64(size));
    f.close();
    TBook book;
    TBookLabels labels = TBookLabels::Defaults();
    DtaFile::Read(path, labels, book);
    return 0;
}

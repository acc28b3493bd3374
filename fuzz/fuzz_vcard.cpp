// Feeds arbitrary bytes to the vCard reader as a file; whatever it makes of them must
// write out as cards that read back one for one without a bad line.
#include "book/BookFile.h"
#include "interop/FormatWriter.h"
#include "interop/InteropFile.h"
#include "interop/VCardReader.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.vcf"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    f.write(reinterpret_cast<const char *>(data), qint64(size));
    f.close();
    TBook book;
    TBookLabels labels = TBookLabels::Defaults();
    TVCardImportStats stats;
    if (ImportVCardFile(path, book, labels, true, {}, stats, BookFile::kMaxRecords) != TInteropError::None)
        return 0;
    for (const TInteropFormat format : {TInteropFormat::VCard3, TInteropFormat::VCard4}) {
        TExportOptions o;
        o.Format = format;
        const TFormatWriter writer(labels, o);
        QByteArray out;
        for (qsizetype i = 0; i < book.RecordCount(); ++i)
            writer.Entry(out, book.Record(i));
        QBuffer buffer(&out);
        buffer.open(QIODevice::ReadOnly);
        TVCardReader reader(buffer);
        TVCard card;
        qsizetype cards = 0;
        while (reader.Next(card))
            ++cards;
        if (cards != book.RecordCount() || reader.BadLines() != 0)
            std::abort();
    }
    return 0;
}

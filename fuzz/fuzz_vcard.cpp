// Feeds arbitrary bytes to the vCard reader as a file; whatever it makes of them must
// write out as cards that read back one for one without a bad line.
#include "FuzzInput.h"
#include "book/BookFile.h"
#include "interop/FormatWriter.h"
#include "interop/InteropFile.h"
#include "interop/VCardReader.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzFile("f.vcf", data, size);
    if (path.isEmpty())
        return 0;
    TBook book;
    TBookLabels labels = TBookLabels::Defaults();
    TVCardImportStats stats;
    if (ImportVCardFile(path, book, labels, {}, stats, BookFile::kMaxRecords) != TInteropError::None)
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

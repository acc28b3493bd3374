// Import of 65,535 DTA entries and export of a 65,535-entry book under a mask, each beside
// reading or writing the same bytes raw.
#include "BenchSupport.h"
#include "book/Book.h"
#include "book/BookFile.h"
#include "exchange/DtaFile.h"
#include "exchange/Import.h"
#include "session/DisplayMask.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kEntries = 65535;

void Slot(QByteArray &rec, int offset, const QByteArray &text)
{
    rec[offset] = char(text.size());
    rec.replace(offset + 1, text.size(), text);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString dta = dir.filePath(QStringLiteral("ADRESY.DTA"));
    {
        QByteArray bytes(DtaFile::kDtaRecordSize, '\0');
        for (int i = 0; i < kEntries; ++i) {
            QByteArray rec(DtaFile::kDtaRecordSize, '\0');
            Slot(rec, 9, "Nov\xA0k" + QByteArray::number(i));
            Slot(rec, 25, "Jan");
            Slot(rec, 121, "Pozn\xA0mka \x87\xA1slo " + QByteArray::number(i));
            Slot(rec, 462, "541 000 111");
            Slot(rec, 525, "12.05");
            Slot(rec, 549, "1970");
            rec[554 + i % 6] = 1;
            bytes += rec;
        }
        QFile f(dta);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return 1;
    }
    const double raw = Best(5, [&] {
        QFile f(dta);
        f.open(QIODevice::ReadOnly);
        volatile qsizetype n = f.readAll().size();
        (void)n;
    });
    TBook book;
    const double import = Best(5, [&] {
        TBook fresh;
        TBookLabels labels;
        if (Import::Read(TImportKind::Dta, dta, labels, fresh) != TImportError::None)
            std::fprintf(stderr, "import failed\n");
        book.DiscardRecords();
        book.SwapRecords(fresh);
    });
    std::printf("DTA import, %d entries (%.1f MB): %.1f ms; raw read of the file: %.1f ms\n", kEntries,
                QFile(dta).size() / 1e6, import, raw);

    TDisplayMask mask;
    mask.Active = true;
    mask.RequireClear[2] = true; // five of six entries pass
    const QString out = dir.filePath(QStringLiteral("vyber.WDT"));
    const TContactRecord header = TBookLabels::Defaults().ToHeader();
    const double exportAll = Best(5, [&] {
        BookFile::WriteSelected(out, header, book, [&](const TContactRecord &r) { return mask.Matches(r); });
    });
    const qint64 written = QFile(out).size();
    const QByteArray same(written, 'x');
    const double rawWrite = Best(5, [&] {
        QSaveFile f(dir.filePath(QStringLiteral("raw.bin")));
        f.open(QIODevice::WriteOnly);
        f.write(same);
        f.commit();
    });
    std::printf("Mask export of a %d-entry book (%.1f MB written): %.1f ms; raw write of as many bytes: %.1f ms\n",
                kEntries, written / 1e6, exportAll, rawWrite);
    return 0;
}

#include "interop/InteropFile.h"

#include "book/BookFile.h"
#include "interop/FormatWriter.h"
#include "interop/VCardReader.h"
#include "util/CzechPlural.h"
#include "util/GuardedFile.h"


TExportResult ExportRecords(const QString &path, const QList<TContactRecord *> &records, const TBookLabels &labels,
                            const TExportOptions &options, const TInteropProgress &progress)
{
    // Records in list order lie about the heap: the next ones are asked for ahead.
    constexpr qsizetype kAhead = 8;
    return ExportEach(
        path, records.size(),
        [&](qsizetype i) {
            if (i + kAhead < records.size())
                PrefetchRecord(records[i + kAhead]->Data());
            return records[i]->View();
        },
        labels, options, progress);
}

TExportResult ExportEach(const QString &path, qsizetype count,
                         const std::function<TRecordView(qsizetype)> &at, const TBookLabels &labels,
                         const TExportOptions &options, const TInteropProgress &progress)
{
    TExportResult result;
    if (BookFile::LooksLikeBook(path)) {
        result.Error = TInteropError::BookFormat;
        return result;
    }
    TGuardedFile file(path);
    if (file.Begin() != TGuardedFile::TError::None) {
        result.Error = TInteropError::Open;
        return result;
    }
    const auto fail = [&] {
        file.Cancel();
        result.Error = TInteropError::Write;
        result.Items = 0;
        return result;
    };
    const TFormatWriter writer(labels, options);
    QByteArray chunk;
    constexpr qsizetype kChunk = 1 << 16;
    chunk.reserve(kChunk * 2);
    writer.Begin(chunk);
    const qint64 total = count;
    for (qint64 i = 0; i < total; ++i) {
        result.Items += writer.Entry(chunk, at(i));
        if (chunk.size() >= kChunk) {
            if (file.write(chunk) != chunk.size())
                return fail();
            chunk.resize(0);
            if (progress)
                progress(i + 1, total);
        }
    }
    writer.End(chunk);
    if (file.write(chunk) != chunk.size())
        return fail();
    if (file.Commit() != TGuardedFile::TError::None) {
        result.Error = TInteropError::Write;
        result.Items = 0;
        return result;
    }
    result.SkippedDates = writer.SkippedDates();
    if (progress)
        progress(total, total);
    return result;
}

namespace InteropText {

QString Summary(const TVCardImportStats &s)
{
    QString t = CzechCount(s.Contacts, "kontakt načten", "kontakty načteny", "kontaktů načteno") + QStringLiteral(", ")
                + CzechCount(s.Truncated, "text zkrácen", "texty zkráceny", "textů zkráceno") + QStringLiteral(", ")
                + CzechCount(s.Replaced, "znak nahrazen", "znaky nahrazeny", "znaků nahrazeno");
    if (s.BadLines > 0)
        t += QStringLiteral(", ")
             + CzechCount(s.BadLines, "chybný řádek vynechán", "chybné řádky vynechány", "chybných řádků vynecháno");
    if (s.Photos > 0)
        t += QStringLiteral(", ") + CzechCount(s.Photos, "fotografie vynechána", "fotografie vynechány", "fotografií vynecháno");
    if (s.Dropped > 0)
        t += QStringLiteral(", ")
             + CzechCount(s.Dropped, "kontakt se do adresáře nevešel", "kontakty se do adresáře nevešly",
                          "kontaktů se do adresáře nevešlo");
    return t;
}

QString Written(TInteropFormat format, const TExportResult &result)
{
    if (format != TInteropFormat::Ics)
        return CzechCount(result.Items, "kontakt zapsán", "kontakty zapsány", "kontaktů zapsáno");
    QString t = CzechCount(result.Items, "událost zapsána", "události zapsány", "událostí zapsáno");
    if (result.SkippedDates > 0)
        t += QStringLiteral(", ")
             + CzechCount(result.SkippedDates, "neplatné datum vynecháno", "neplatná data vynechána",
                          "neplatných dat vynecháno");
    return t;
}

QString NoCards()
{
    return QString::fromUtf8("Soubor neobsahuje žádnou vizitku");
}

QString ErrorText(TInteropError e)
{
    switch (e) {
    case TInteropError::None:
        return {};
    case TInteropError::Missing:
    case TInteropError::Open:
        return QString::fromUtf8("Problém při otevírání souboru");
    case TInteropError::Read:
        return QString::fromUtf8("Problém se čtením souboru");
    case TInteropError::Write:
        return QString::fromUtf8("Problém při ukládání dat");
    case TInteropError::NoCards:
        return NoCards();
    case TInteropError::BookFormat:
        return QString::fromUtf8("Soubor je adresář vorlinku; jiný formát jej nesmí přepsat. Zvolte jiné jméno souboru.");
    }
    return {};
}

} // namespace InteropText

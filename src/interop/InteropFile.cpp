#include "interop/InteropFile.h"

#include "interop/FormatWriter.h"
#include "interop/VCardReader.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

bool WriteAll(QSaveFile &f, const QByteArray &bytes)
{
    return f.write(bytes) == bytes.size();
}

} // namespace

TExportResult ExportRecords(const QString &path, const QList<TContactRecord *> &records, const TBookLabels &labels,
                            const TExportOptions &options, const TInteropProgress &progress)
{
    TExportResult result;
    const QFileInfo info(path);
    if (path.isEmpty() || (info.exists() && !info.isFile())) {
        result.Error = TInteropError::Open;
        return result;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.Error = TInteropError::Open;
        return result;
    }
    const auto fail = [&] {
        file.cancelWriting();
        file.commit();
        result.Error = TInteropError::Write;
        result.Items = 0;
        return result;
    };
    const TFormatWriter writer(labels, options);
    QByteArray chunk;
    constexpr qsizetype kChunk = 1 << 16;
    chunk.reserve(kChunk * 2);
    writer.Begin(chunk);
    const qint64 total = records.size();
    for (qint64 i = 0; i < total; ++i) {
        result.Items += writer.Entry(chunk, *records[i]);
        if (chunk.size() >= kChunk) {
            if (!WriteAll(file, chunk))
                return fail();
            chunk.resize(0);
            if (progress)
                progress(i + 1, total);
        }
    }
    writer.End(chunk);
    if (!WriteAll(file, chunk) || !file.flush())
        return fail();
    if (!file.commit()) {
        result.Error = TInteropError::Write;
        result.Items = 0;
        return result;
    }
    if (progress)
        progress(total, total);
    return result;
}

namespace InteropText {

QString Summary(const TVCardImportStats &s)
{
    QString t = QStringLiteral("%1 kontaktů načteno, %2 textů zkráceno, %3 znaků nahrazeno")
                    .arg(s.Contacts)
                    .arg(s.Truncated)
                    .arg(s.Replaced);
    if (s.BadLines > 0)
        t += QString::fromUtf8(", %1 chybných řádků vynecháno").arg(s.BadLines);
    if (s.Dropped > 0)
        t += QString::fromUtf8(", %1 kontaktů se do adresáře nevešlo").arg(s.Dropped);
    return t;
}

QString Written(TInteropFormat format, qint64 items)
{
    return (format == TInteropFormat::Ics ? QString::fromUtf8("Zapsáno událostí: ")
                                          : QString::fromUtf8("Zapsáno kontaktů: "))
           + QString::number(items);
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
    }
    return {};
}

} // namespace InteropText

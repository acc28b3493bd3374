// Export of a 65,535-entry book to each of today's formats and the vCard read back, each
// beside writing and reading the same bytes raw.
#include "BenchSupport.h"
#include "book/Book.h"
#include "book/BookFile.h"
#include "interop/InteropFile.h"
#include "util/Cp1250.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

constexpr int kEntries = 65535;

QByteArray Cz(const char *utf8) { return ToCp1250(QString::fromUtf8(utf8)); }

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    TBook book;
    book.Labels = TBookLabels::Defaults();
    for (int i = 0; i < kEntries; ++i) {
        TContactRecord r;
        const QByteArray n = QByteArray::number(i);
        r.SetText(EField::NazevPolozky, Cz("Novák Jan ") + n);
        r.SetText(EField::Prijmeni, Cz("Novák"));
        r.SetText(EField::Jmeno, "Jan");
        r.SetText(EField::Ulice1, Cz("Dlouhá ") + n);
        r.SetText(EField::Misto1, Cz("Plzeň"));
        r.SetText(EField::Psc1, "301 00");
        r.SetText(PhoneField(1, 2), "377 " + n);
        r.SetText(PhoneField(9, 2), "602 " + n);
        r.SetText(EField::Email, "jan" + n + "@example.cz");
        r.SetText(EField::Narozeniny, "05.03.1961");
        r.SetText(EField::Svatek, "24.06.");
        r.SetNote(Cz("Poznámka k záznamu číslo ") + n);
        r.SetFlag(1 + i % 10, true);
        book.AppendRecord(r);
    }
    QList<TContactRecord *> all;
    for (qsizetype i = 0; i < book.RecordCount(); ++i)
        all.append(&book.Record(i));

    std::printf("%d entries\n", kEntries);
    const struct
    {
        TInteropFormat Format;
        const char *Name;
    } formats[] = {{TInteropFormat::VCard3, "vCard 3.0"},   {TInteropFormat::VCard4, "vCard 4.0"},
                   {TInteropFormat::CsvGoogle, "CSV Google"}, {TInteropFormat::CsvOutlook, "CSV Outlook"},
                   {TInteropFormat::Ics, "iCalendar"}};
    for (const auto &f : formats) {
        TExportOptions o;
        o.Format = f.Format;
        o.OwnCountry = QStringLiteral("420");
        o.Stamp = QDateTime::currentDateTimeUtc();
        o.AlarmDays = 3;
        const QString path = dir.filePath(QStringLiteral("out.") + InteropFormat::Name(f.Format));
        const double ms = Best(3, [&] { ExportRecords(path, all, book.Labels, o); });
        QFile in(path);
        in.open(QIODevice::ReadOnly);
        const QByteArray bytes = in.readAll();
        in.close();
        const double raw = Best(3, [&] {
            QSaveFile out(dir.filePath(QStringLiteral("raw")));
            out.open(QIODevice::WriteOnly);
            out.write(bytes);
            out.commit();
        });
        std::printf("export %-12s %8.1f ms  (%6.1f MB; raw write of the same bytes %6.1f ms)\n", f.Name, ms,
                    bytes.size() / 1e6, raw);
    }
    const QString vcf = dir.filePath(QStringLiteral("out.vcard3"));
    TVCardImportStats stats;
    const double read = Best(3, [&] {
        TBook back;
        TBookLabels labels = TBookLabels::Defaults();
        stats = {};
        ImportVCardFile(vcf, back, labels, {}, stats, BookFile::kMaxRecords);
    });
    const double raw = Best(3, [&] {
        QFile f(vcf);
        f.open(QIODevice::ReadOnly);
        QByteArray b = f.readAll();
        Q_UNUSED(b);
    });
    std::printf("import vCard 3.0 %8.1f ms  (%lld entries; raw read of the same bytes %6.1f ms)\n", read,
                static_cast<long long>(stats.Contacts), raw);
    return 0;
}

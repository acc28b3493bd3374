// Export of a 65,535-entry book of varied entries to each of today's formats, through the
// command line as a person runs it, beside reading the book raw and writing the same
// output bytes raw; and the vCard read back beside reading its bytes raw.
#include "BenchEntries.h"
#include "BenchProcess.h"
#include "BenchRaw.h"
#include "book/Book.h"
#include "book/BookFile.h"
#include "cli/ExportCommand.h"
#include "interop/InteropFile.h"
#include "session/AddressBook.h"
#include "util/Cp1250.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    // "bench_interop 4096 vcard3" for a profile of one format on a smaller book;
    // "bench_interop 65535 - KNIHA.WDT" only writes the book, for profiling the commands.
    const QStringList args = app.arguments();
    const int entries = args.size() > 1 ? args.at(1).toInt() : 65535;
    const QString only = args.size() > 2 ? args.at(2) : QString();
    const QString keep = args.size() > 3 ? args.at(3) : QString();
    QTemporaryDir dir;
    TBook book;
    book.Labels = TBookLabels::Defaults();
    for (int i = 0; i < entries; ++i)
        book.AppendRecord(Entry(i));
    const QString bookPath = keep.isEmpty() ? dir.filePath(QStringLiteral("KNIHA.WDT")) : keep;
    if (BookFile::Write(bookPath, book.Labels.ToHeader(), book) != TBookFileError::None)
        return 1;
    if (!keep.isEmpty())
        return 0;
    const double rawRead = RawRead(bookPath);
    std::printf("%d entries, book %.1f MB, raw read %.1f ms\n", entries, QFile(bookPath).size() / 1e6, rawRead);
    const double catCpu = MedianCpu(5, [&] { return RunProcess(QStringLiteral("/bin/cat"), {bookPath}); }).CpuMs;
    std::printf("cat of the book as a process: %.1f ms CPU\n", catCpu);
    std::printf("%-17s %6s %9s %9s %9s %6s | %9s %9s %6s\n", "format", "MB", "in-proc", "writer", "raw r+w", "ratio",
                "proc CPU", "cat+w", "ratio");

    // The writer alone, over the list as the window has it.
    TBenchPrompt prompt;
    TAddressBook listed(prompt);
    TContactRecord header;
    BookFile::Read(bookPath, header, listed);
    listed.Labels = TBookLabels::FromHeader(header);
    listed.RefillList();
    const QList<TContactRecord *> all = listed.ListedRecords();

    const struct
    {
        const char *Name;
        QStringList Args;
        TInteropFormat Format;
        bool Cp1250;
    } formats[] = {{"vcard3", {}, TInteropFormat::VCard3, false},
                   {"vcard4", {}, TInteropFormat::VCard4, false},
                   {"csv-google", {}, TInteropFormat::CsvGoogle, false},
                   {"csv-outlook", {}, TInteropFormat::CsvOutlook, false},
                   {"csv-outlook-1250", {QStringLiteral("--encoding"), QStringLiteral("windows-1250")},
                    TInteropFormat::CsvOutlook, true},
                   {"ics", {QStringLiteral("--alarm-days"), QStringLiteral("3")}, TInteropFormat::Ics, false}};
    for (const auto &f : formats) {
        if (!only.isEmpty() && only != QLatin1String(f.Name))
            continue;
        const QString path = dir.filePath(QString::fromLatin1(f.Name));
        QString text;
        QTextStream out(&text), err(&text);
        const QStringList command = QStringList {QStringLiteral("export"), QStringLiteral("--format"),
                                              InteropFormat::Name(f.Format), bookPath, QStringLiteral("-o"), path}
                                 + f.Args;
        const double ms = Best(3, [&] {
            if (TExportCommand().Execute(command, out, err) != 0)
                std::printf("%s failed: %s\n", f.Name, qPrintable(text));
        });
        TExportOptions o;
        o.Format = f.Format;
        o.OwnCountry = QStringLiteral("420");
        o.Stamp = QDateTime::currentDateTimeUtc();
        o.AlarmDays = 3;
        o.OutlookCp1250 = f.Cp1250;
        const double writer = Best(3, [&] { ExportRecords(path + QStringLiteral(".w"), all, listed.Labels, o); });
        QFile in(path);
        in.open(QIODevice::ReadOnly);
        const QByteArray bytes = in.readAll();
        const double rawWrite = RawWrite(dir.filePath(QStringLiteral("raw")), bytes);
        const double raw = rawRead + rawWrite;
        // The real program, a process of its own: its start and learning the list order too.
        const TProcessFigures process =
            MedianCpu(5, [&] { return RunProcess(QStringLiteral(VORLINK_CLI_PROGRAM), command); });
        std::printf("%-17s %6.1f %7.1fms %7.1fms %7.1fms %5.1fx | %7.1fms %7.1fms %5.1fx%s\n", f.Name, bytes.size() / 1e6, ms,
                    writer, raw, ms / raw, process.CpuMs, catCpu + rawWrite, process.CpuMs / (catCpu + rawWrite),
                    process.Ok ? "" : "  FAILED");
    }

    if (!only.isEmpty())
        return 0;
    const QString vcf = dir.filePath(QStringLiteral("vcard3"));
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

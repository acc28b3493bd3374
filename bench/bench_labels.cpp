// The printing of a big book to PDF as the command line does it: label sheets (3x8) and a
// report, the time and the peak memory (VmHWM, from the kernel's count for the child) of
// each run of vorlink-cli, at growing sizes, so that memory growing with the page count shows.
// "bench_labels [KNIHA.WDT]"; without a book one of 65,535 entries is made as bench_interop
// makes it ("bench_interop 65535 - KNIHA.WDT").
#include "BenchEntries.h"
#include "BenchProcess.h"
#include "book/Book.h"
#include "book/BookFile.h"
#include "book/BookLabels.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// One run of the command line; its peak resident memory as wait4 reports it.
TProcessFigures RunCli(const QStringList &args)
{
    return RunProcess(QStringLiteral(VORLINK_CLI_PROGRAM), args, {}, true);
}

// The first `entries` of a book, as a book of its own.
bool CutBook(const QString &from, const QString &to, qsizetype entries)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = in.read(qint64(kRecordSize) * (entries + 1));
    return out.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QString big = app.arguments().value(1);
    if (big.isEmpty()) {
        big = dir.filePath(QStringLiteral("KNIHA.WDT"));
        TBook book;
        book.Labels = TBookLabels::Defaults();
        for (int i = 0; i < 65535; ++i)
            book.AppendRecord(Entry(i));
        if (BookFile::Write(big, book.Labels.ToHeader(), book) != TBookFileError::None)
            return 1;
    }
    const qsizetype all = QFile(big).size() / kRecordSize - 1;
    std::printf("%-22s %8s %7s %10s %9s %9s\n", "run", "entries", "pages", "ms", "peak MB", "PDF MB");
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const QString report = dir.filePath(QStringLiteral("out.txt"));
    for (const qsizetype n : {qsizetype(2400), qsizetype(24000), all}) {
        const QString book = n == all ? big : dir.filePath(QStringLiteral("K%1.WDT").arg(n));
        if (n != all && !CutBook(big, book, n))
            return 1;
        const TProcessFigures labels = RunCli({QStringLiteral("labels"), book, QStringLiteral("--layout"), QStringLiteral("3x8"),
                                        QStringLiteral("-o"), pdf});
        std::printf("%-22s %8lld %7lld %10.0f %9.1f %9.1f%s\n", "labels 3x8", qlonglong(n), qlonglong((n + 23) / 24),
                    labels.Ms, labels.PeakMb, QFile(pdf).size() / 1e6, labels.Ok ? "" : "  FAILED");
        QFile::remove(pdf);
        const TProcessFigures written =
            RunCli({QStringLiteral("report"), QStringLiteral(VORLINK_SOURCE_DIR "/data/templates/telefony.WDR"), book,
                    QStringLiteral("-o"), report, QStringLiteral("--pdf"), pdf});
        std::printf("%-22s %8lld %7s %10.0f %9.1f %9.1f%s\n", "report telefony --pdf", qlonglong(n), "", written.Ms,
                    written.PeakMb, QFile(pdf).size() / 1e6, written.Ok ? "" : "  FAILED");
        QFile::remove(pdf);
        QFile::remove(report);
        if (n != all)
            QFile::remove(book);
    }
    return 0;
}

// The reading commands of vorlink-cli on a big book, each beside the raw read of the book
// (like `cat`, into one reused buffer) plus the raw write of the same output bytes, and the
// peak memory of each run. Each also runs as the real program, a process of its own whose
// CPU time (median of five) stands beside that of `cat` and the same raw write: the first
// figures leave out what every run of the program pays once (its start, learning the
// list order). "bench_commands KNIHA.WDT"; make the book with
// "bench_interop 65535 - KNIHA.WDT". The book is copied with every reminder flag on, so
// that the anniversaries have candidates.
#include "BenchProcess.h"
#include "BenchRaw.h"
#include "book/BookMap.h"
#include "cli/Command.h"
#include "session/ListCollation.h"
#include "session/NameList.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Peak resident memory since the last reset, in MB.
double PeakMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

void ResetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

} // namespace

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::printf("usage: bench_commands KNIHA.WDT\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("KNIHA.WDT"));
    {
        QFile in(QString::fromLocal8Bit(argv[1]));
        QFile out(book);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
            return 1;
        QByteArray header = in.read(3217);
        if (header.size() != 3217)
            return 1;
        for (int i = 0; i < 10; ++i)
            header[3207 + i] = 1;
        out.write(header);
        while (!in.atEnd())
            out.write(in.read(1 << 20));
    }
    const double rawRead = RawRead(book);
    std::printf("book %.1f MB, raw read %.1f ms, peak before the commands %.1f MB\n", QFile(book).size() / 1e6,
                rawRead, PeakMb());
    const auto cat = [&] { return RunProcess(QStringLiteral("/bin/cat"), {book}); };
    const double catCpu = MedianCpu(5, cat).CpuMs;
    std::printf("cat of the book as a process: %.1f ms CPU\n", catCpu);
    std::printf("%-22s %7s %9s %9s %6s %8s | %9s %9s %6s %8s\n", "command", "out MB", "in-proc", "raw r+w", "ratio",
                "peak MB", "proc CPU", "cat+w", "ratio", "peak MB");

    const QString source = QStringLiteral(VORLINK_SOURCE_DIR);
    const QString output = dir.filePath(QStringLiteral("out"));
    struct TCase
    {
        const char *Name;
        QStringList Args;
        bool ToFile; // the command writes `output` itself, through the guarded write
    };
    QList<TCase> cases {
        {"list", {QStringLiteral("list"), book}, false},
        {"anniversaries 7 days", {QStringLiteral("anniversaries"), book, QStringLiteral("--days"), QStringLiteral("7")}, false},
        {"anniversaries 5 years", {QStringLiteral("anniversaries"), book, QStringLiteral("--days"), QStringLiteral("365"),
                                   QStringLiteral("--today"), QStringLiteral("2026-03-01"), QStringLiteral("--since"),
                                   QStringLiteral("2021-03-01")}, false},
        {"dump", {QStringLiteral("dump"), book}, false},
    };
    for (const char *t : {"telefony", "vyroci", "stitky", "dos-tiskarna", "karta"}) {
        cases.append({t, {QStringLiteral("report"), source + QStringLiteral("/data/templates/") + QLatin1String(t)
                              + QStringLiteral(".WDR"), book, QStringLiteral("--now"),
                          QStringLiteral("2026-12-08T10:00:00"), QStringLiteral("-o"), output}, true});
    }
    for (TCase &c : cases) {
        c.Args.prepend(QStringLiteral("vorlink-cli"));
        QString errText;
        QTextStream err(&errText);
        int status = 0;
        const auto run = [&] {
            QFile file(output);
            if (!c.ToFile && !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return;
            QTextStream out(&file);
            out.setEncoding(QStringConverter::Utf8);
            status = RunCli(c.Args, out, err);
            out.flush();
        };
        ResetPeak();
        run();
        const double peak = PeakMb();
        const double ms = Best(3, run);
        QFile produced(output);
        produced.open(QIODevice::ReadOnly);
        const QByteArray bytes = produced.readAll();
        const double rawWrite = RawWrite(dir.filePath(QStringLiteral("raw")), bytes, c.ToFile);
        const double raw = rawRead + rawWrite;
        const QString processOutput = c.ToFile ? QString() : output;
        TProcessFigures process = MedianCpu(5, [&] {
            return RunProcess(QStringLiteral(VORLINK_CLI_PROGRAM), c.Args.mid(1), processOutput);
        });
        process.PeakMb = RunProcess(QStringLiteral(VORLINK_CLI_PROGRAM), c.Args.mid(1), processOutput, true).PeakMb;
        const double processRaw = catCpu + rawWrite;
        std::printf("%-22s %7.1f %7.1fms %7.1fms %5.1fx %8.1f | %7.1fms %7.1fms %5.1fx %8.1f%s\n", c.Name, bytes.size() / 1e6,
                    ms, raw, ms / raw, peak, process.CpuMs, processRaw, process.CpuMs / processRaw, process.PeakMb,
                    status == 0 && process.Ok ? "" : "  FAILED");
    }
    // The list order alone over the book's names in place: byte keys beside the collator's
    // own keys, and what learning the byte keys took this process (once, at the first sort).
    TBookMap names;
    if (names.Open(book) == TBookFileError::None) {
        const auto name = [&](qsizetype i) { return names.Name(i); };
        const double byteKeys = Best(5, [&] { ListOrder(names.RecordCount(), name); });
        const double collatorKeys = Best(3, [&] { CollatorListOrder(names.RecordCount(), name); });
        std::printf("list order of %lld names: %.1f ms (collator keys %.1f ms); byte keys %s, learnt in %.2f ms\n",
                    static_cast<long long>(names.RecordCount()), byteKeys, collatorKeys,
                    ListCollation::ByteKeysUsable() ? "usable" : "NOT usable", ListCollation::DerivationMs());
    }
    return 0;
}

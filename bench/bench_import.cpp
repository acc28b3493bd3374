// The import of a 65,535-entry vCard 3.0 file as the window does it (into a book of its
// own, swapped in) and as the command line does it (a new book, and added to a book of
// as many entries), beside reading the same bytes raw and beside abook converting them.
// Each import also runs alone in a child process, which tells its peak memory; the
// window's import is also taken apart: the cards only read, then read and mapped.
#include "BenchEntries.h"
#include "BenchRaw.h"
#include "book/Book.h"
#include "book/BookFile.h"
#include "cli/ExportCommand.h"
#include "cli/ImportCommand.h"
#include "interop/CardMapper.h"
#include "interop/InteropFile.h"
#include "interop/VCardReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Peak resident memory of this process so far, in MB.
double PeakMb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

// The window's import: a book of its own, swapped into the open one when all was read.
bool WindowImport(const QString &cards, TBook &open)
{
    TBook fresh;
    TVCardImportStats stats;
    if (ImportVCardFile(cards, fresh, TBookLabels::Defaults(), {}, stats, BookFile::kMaxRecords) != TInteropError::None)
        return false;
    open.DiscardRecords();
    open.SwapRecords(fresh);
    return true;
}

// The window's import added to the open book: the names made unique against it.
bool WindowAppend(const QString &cards, TBook &open)
{
    TBook fresh;
    TVCardImportStats stats;
    if (ImportVCardFile(cards, fresh, TBookLabels::Defaults(), [&open](QByteArrayView name) { return open.FindByName(name) != nullptr; },
                        stats, BookFile::kMaxRecords - open.RecordCount())
        != TInteropError::None)
        return false;
    open.TakeRecords(fresh);
    return true;
}

bool CliImport(const QStringList &args, QString *said = nullptr)
{
    QString text;
    QTextStream out(&text), err(&text);
    const bool ok = TImportCommand().Execute(QStringList {QStringLiteral("import")} + args, out, err) == 0;
    if (said)
        *said = text;
    if (ok)
        return true;
    std::printf("import %s failed: %s\n", qPrintable(args.join(QLatin1Char(' '))), qPrintable(text));
    return false;
}

// "--child window CARDS" or "--child cli ARGS…": one import alone, its time and peak.
int Child(const QStringList &args)
{
    // The window keeps the book: its freeing is not part of the import.
    TBook open;
    QElapsedTimer t;
    t.start();
    bool ok = false;
    QString said;
    if (args.value(0) == QLatin1String("read") || args.value(0) == QLatin1String("map")) {
        // The parts of the import alone: the cards read, then also mapped into one record.
        QFile f(args.value(1));
        ok = f.open(QIODevice::ReadOnly);
        TVCardReader reader(f);
        TVCardImportStats stats;
        TCardMapper mapper(TBookLabels::Defaults(), stats);
        TVCard card;
        TContactRecord r;
        qint64 cards = 0;
        const bool map = args.value(0) == QLatin1String("map");
        while (reader.Next(card)) {
            ++cards;
            if (map) {
                r.Clear();
                mapper.MapInto(card, r);
            }
        }
        ok = ok && cards > 0;
    } else if (args.value(0) == QLatin1String("window")) {
        ok = WindowImport(args.value(1), open);
    } else if (args.value(0) == QLatin1String("window-append")) {
        // The book open in the window, then the cards added to it.
        TContactRecord header;
        ok = BookFile::Read(args.value(2), header, open) == TBookFileError::None;
        t.restart();
        ok = ok && WindowAppend(args.value(1), open);
    } else {
        ok = CliImport(args.mid(1), &said);
    }
    const double ms = Ms(t);
    std::printf("%.1f %.1f %lld\n", ms, PeakMb(), static_cast<long long>(open.RecordCount()));
    std::fprintf(stderr, "%s", qPrintable(said));
    return ok ? 0 : 1;
}

struct TChildFigures
{
    double Ms = 0, PeakMb = 0, TimeRssMb = 0;
};

// Peak memory of a finished process that ran under /usr/bin/time -v, in MB.
double TimeRssMb(QProcess &p)
{
    static const QRegularExpression rss(QStringLiteral("Maximum resident set size \\(kbytes\\): (\\d+)"));
    const QRegularExpressionMatch m = rss.match(QString::fromLocal8Bit(p.readAllStandardError()));
    return m.hasMatch() ? m.captured(1).toDouble() / 1024 : 0;
}

// Starts a program under /usr/bin/time -v when there is one.
void StartTimed(QProcess &p, const QString &program, const QStringList &args)
{
    if (QFile::exists(QStringLiteral("/usr/bin/time")))
        p.start(QStringLiteral("/usr/bin/time"), QStringList {QStringLiteral("-v"), program} + args);
    else
        p.start(program, args);
}

// The best time of `runs` fresh processes, as abook's is taken; those that change a file
// run once.
TChildFigures RunChild(const QStringList &args, int runs = 1)
{
    TChildFigures best;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        StartTimed(p, QCoreApplication::applicationFilePath(), QStringList {QStringLiteral("--child")} + args);
        p.waitForFinished(-1);
        TChildFigures f;
        const QList<QByteArray> fields = p.readAllStandardOutput().trimmed().split(' ');
        f.Ms = fields.value(0).toDouble();
        f.PeakMb = fields.value(1).toDouble();
        f.TimeRssMb = TimeRssMb(p);
        if (i == 0 || f.Ms < best.Ms)
            best = f;
    }
    return best;
}

QByteArray ReadAll(const QString &path)
{
    QFile in(path);
    in.open(QIODevice::ReadOnly);
    return in.readAll();
}

bool Copy(const QString &from, const QString &to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

} // namespace

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--child"))
        return Child(args.mid(2));
    // "bench_import 4096" for a profile on a smaller file; "bench_import 65535 CARDS.vcf"
    // keeps the cards (and CARDS.vcf.WDT, the book they came from) for profiling.
    const int entries = args.size() > 1 ? args.at(1).toInt() : 65535;
    const QString keep = args.value(2);
    QTemporaryDir dir;
    const QString bookPath = keep.isEmpty() ? dir.filePath(QStringLiteral("KNIHA.WDT")) : keep + QStringLiteral(".WDT");
    const QString cards = keep.isEmpty() ? dir.filePath(QStringLiteral("karty.vcf")) : keep;
    {
        TBook book;
        for (int i = 0; i < entries; ++i)
            book.AppendRecord(Entry(i));
        if (BookFile::Write(bookPath, TBookLabels::Defaults().ToHeader(), book) != TBookFileError::None)
            return 1;
    }
    QString text;
    QTextStream out(&text), err(&text);
    if (TExportCommand().Execute({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("vcard3"), bookPath,
                                  QStringLiteral("-o"), cards},
                                 out, err)
        != 0) {
        std::printf("export failed: %s\n", qPrintable(text));
        return 1;
    }
    if (!keep.isEmpty())
        return 0;
    const double bookMb = QFile(bookPath).size() / 1e6;
    std::printf("%d entries, vCard 3.0 %.1f MB, book %.1f MB; raw read of the cards %.1f ms\n", entries,
                QFile(cards).size() / 1e6, bookMb, RawRead(cards));
    std::printf("%-22s %9s %8s %10s %10s\n", "import", "best", "alone", "VmHWM", "time -v");

    const auto row = [](const char *name, double best, const TChildFigures &c) {
        if (best > 0)
            std::printf("%-22s %7.1fms %6.1fms %8.1fMB %8.1fMB\n", name, best, c.Ms, c.PeakMb, c.TimeRssMb);
        else
            std::printf("%-22s %9s %6.1fms %8.1fMB %8.1fMB\n", name, "-", c.Ms, c.PeakMb, c.TimeRssMb);
    };
    {
        double best = 1e300;
        for (int i = 0; i < 3; ++i) {
            TBook open;
            QElapsedTimer t;
            t.start();
            WindowImport(cards, open);
            best = qMin(best, Ms(t));
        }
        row("window (new book)", best, RunChild({QStringLiteral("window"), cards}, 3));
    }
    // What the window's import is made of: reading the cards, mapping them, adding entries.
    row("  cards read", 0, RunChild({QStringLiteral("read"), cards}, 3));
    row("  cards read + mapped", 0, RunChild({QStringLiteral("map"), cards}, 3));
    {
        double best = 1e300;
        for (int i = 0; i < 3; ++i) {
            TBook open;
            TContactRecord header;
            BookFile::Read(bookPath, header, open);
            QElapsedTimer t;
            t.start();
            WindowAppend(cards, open);
            best = qMin(best, Ms(t));
        }
        row("window (added)", best, RunChild({QStringLiteral("window-append"), cards, bookPath}, 3));
    }
    const QString fresh = dir.filePath(QStringLiteral("NOVA.WDT"));
    const QStringList newBook {QStringLiteral("--force"), cards, fresh};
    row("cli new book", Best(3, [&] { CliImport(newBook); }), RunChild(QStringList {QStringLiteral("cli")} + newBook));
    std::printf("%-22s %7.1fms\n", "  raw write+sync", RawWrite(dir.filePath(QStringLiteral("raw")), ReadAll(fresh)));

    // Added to a book of as many entries: every name clashes and gets " (2)".
    const QString appended = dir.filePath(QStringLiteral("PRIDANO.WDT"));
    const QStringList append {QStringLiteral("--append"), cards, appended};
    double best = 1e300;
    for (int i = 0; i < 3; ++i) {
        Copy(bookPath, appended);
        QElapsedTimer t;
        t.start();
        CliImport(append);
        best = qMin(best, Ms(t));
    }
    Copy(bookPath, appended);
    row("cli --append", best, RunChild(QStringList {QStringLiteral("cli")} + append));

    const QString abook = QStandardPaths::findExecutable(QStringLiteral("abook"));
    if (abook.isEmpty()) {
        std::printf("abook is not installed: no comparison\n");
        return 0;
    }
    double abookBest = 1e300;
    double abookRss = 0;
    for (int i = 0; i < 3; ++i) {
        // abook writes no file that is already there.
        QFile::remove(dir.filePath(QStringLiteral("abook.out")));
        QProcess p;
        QElapsedTimer t;
        t.start();
        StartTimed(p, abook, {QStringLiteral("--convert"), QStringLiteral("--informat"), QStringLiteral("vcard"),
                              QStringLiteral("--infile"), cards, QStringLiteral("--outformat"), QStringLiteral("abook"),
                              QStringLiteral("--outfile"), dir.filePath(QStringLiteral("abook.out"))});
        p.waitForFinished(-1);
        abookBest = qMin(abookBest, Ms(t));
        abookRss = TimeRssMb(p);
    }
    std::printf("%-22s %7.1fms %6s %10s %8.1fMB\n", "abook --convert", abookBest, "", "", abookRss);
    return 0;
}

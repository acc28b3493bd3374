// Every writer under every fault the disk can throw at it: the old file stays byte for
// byte, no temporary file is left, the person is told, and what is in memory is kept.
#include "book/Book.h"
#include "book/BookLabels.h"
#include "exchange/ExchangeCommands.h"
#include "interop/InteropCommands.h"
#include "interop/InteropFile.h"
#include "reports/ReportCommands.h"
#include "reports/ReportPorts.h"
#include "session/DocumentCommands.h"
#include "session/Messages.h"
#include "session/Session.h"
#include "util/FileName.h"

#include "FileFaults.h"
#include "SessionFixture.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

using TestBook::Entry;

namespace {

enum class TFault { FullDisk, ReadOnlyDisk, FolderGone, SizeLimitAtStart, SizeLimitMidway };
enum class TWriter { Book, BookNotUtf8, Settings, MaskExport, Report, VCard, Table, Calendar };
enum class TMidFault { FolderRemoved, FolderRenamed, DiskFilled };

class TFixedAnswers : public IExchangeDialogs, public IReportDialogs, public ITextEditorLauncher
{
public:
    QString Target;
    bool AskImport(TImportChoice &) override { return false; }
    QString AskExport() override { return Target; }
    void Progress(qint64, qint64) override { }
    QString AskTemplate() override { return {}; }
    bool StartEditor(const QString &) override { return true; }
};

class TMidwayDialogs : public IInteropDialogs
{
public:
    std::function<void(qint64, qint64)> OnProgress;
    bool AskExportOptions(TExportOptions &) override { return true; }
    TImportTarget AskImportTarget() override { return TImportTarget::Cancel; }
    void Progress(qint64 done, qint64 total) override { OnProgress(done, total); }
};

bool IsExport(TWriter w)
{
    return w == TWriter::VCard || w == TWriter::Table || w == TWriter::Calendar;
}

TInteropFormat FormatOf(TWriter w)
{
    return w == TWriter::VCard ? TInteropFormat::VCard3 : w == TWriter::Table ? TInteropFormat::CsvGoogle
                                                                               : TInteropFormat::Ics;
}

QString FileNameOf(TWriter w)
{
    switch (w) {
    case TWriter::Settings:
        return QStringLiteral("Vorlink.ini");
    case TWriter::Report:
        return QStringLiteral("sestava.txt");
    case TWriter::VCard:
        return QStringLiteral("kontakty.vcf");
    case TWriter::Table:
        return QStringLiteral("kontakty.csv");
    case TWriter::Calendar:
        return QStringLiteral("vyroci.ics");
    case TWriter::BookNotUtf8:
        return FileName::FromBytes("kniha-\xE8.wdt");
    default:
        return QStringLiteral("kniha.wdt");
    }
}

// Fills the file system under `filler` to its last byte, so even a small file fails, if
// only at its final flush.
void FillDisk(const QString &filler)
{
    QFile file(filler);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray block(4096, 'x');
    while (file.write(block) == block.size()) { }
    while (file.write("x", 1) == 1) { }
}

// The files anywhere under `folder`, by their path relative to it.
QStringList FilesUnder(const QString &folder)
{
    QStringList files = TestBook::FilesIn(folder);
    for (const QString &sub : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        for (const QString &file : FilesUnder(folder + QLatin1Char('/') + sub))
            files.append(sub + QLatin1Char('/') + file);
    }
    files.sort();
    return files;
}

// The bytes a writer's file holds before the attempt.
QByteArray OldBytes(TWriter w)
{
    if (w == TWriter::Report || IsExport(w))
        return QByteArrayLiteral("star\xE1 sestava\r\n");
    if (w != TWriter::Settings)
        return TestBook::FileBytes(TBookLabels::Defaults(), {Entry("Adam"), Entry("Bára"), Entry("Cyril")});
    return QByteArrayLiteral("[Casy]\nVyrociDopredu-KNIHA.WDT=30\n");
}

// Makes the writer write over `path` once `fault` has struck; 0 when it failed as it must
// (one message, the right one, memory untouched), a reason code otherwise.
int Attempt(TWriter w, const QString &path, const std::function<void()> &fault = {})
{
    TSessionFixture f;
    if (w == TWriter::Book || w == TWriter::BookNotUtf8) {
        f.Docs->StartUp(path);
        TAddressBook &b = f.S->Book;
        if (b.RecordCount() != 3)
            return 10;
        if (fault)
            fault();
        for (int i = 0; i < 40; ++i)
            b.AppendRecord(Entry("Nový"));
        b.Changed = true;
        const qsizetype count = b.RecordCount();
        b.FileName = path;
        f.Prompt.Reset();
        f.Docs->IUlozitClick();
        const QStringList said = f.Prompt.Texts();
        // Under a file-size limit the settings, written first, are what fails.
        const QStringList allowed {Msg::OpenFailed(), Msg::HeaderWriteFailed(), Msg::WriteFailed(),
                                   Msg::RegistryFailed()};
        if (said.size() != 1 || !allowed.contains(said.first()))
            return 12;
        return b.Changed && b.RecordCount() == count ? 0 : 13;
    }
    if (IsExport(w)) {
        TBook book;
        QList<TContactRecord *> records;
        for (const char *name : {"Adam", "B\xE1ra", "Cyril"}) {
            TContactRecord r = Entry(name);
            r.SetText(EField::Narozeniny, "05.03.1961");
            records.append(&book.AppendRecord(r));
        }
        TExportOptions options;
        options.Format = FormatOf(w);
        options.Stamp = QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC);
        if (fault)
            fault();
        return ExportRecords(path, records, TBookLabels::Defaults(), options).Error != TInteropError::None ? 0 : 50;
    }
    if (w == TWriter::MaskExport || w == TWriter::Report) {
        // The open book lies elsewhere; only the export or the report goes to `path`.
        f.Open({Entry("Adam", 1), Entry("Bára"), Entry("Cyril", 1)});
        TFixedAnswers answers;
        answers.Target = path;
        const QString wdr = f.Path("seznam.WDR");
        TestBook::WriteFile(wdr, "<\"VORLINK|9|W|x.txt\">\r\n<\"DATA\">\r\n<\"NAZEV|30|L\">\r\n<\"/DATA\">\r\n");
        if (fault)
            fault();
        f.Prompt.Reset();
        if (w == TWriter::MaskExport) {
            f.S->Book.Mask.RequireSet[0] = true;
            f.S->Book.Mask.Active = true;
            TExchangeCommands exchange(*f.S, *f.Editor, *f.Docs, answers);
            exchange.IExportClick();
            return f.Prompt.Last() == QString::fromUtf8("Export se nepodařil") ? 0 : 30;
        }
        TReportCommands reports(*f.S, *f.Editor, *f.Docs, answers, answers);
        if (reports.Run(wdr, path) == TReportOutcome::Written)
            return 40;
        return f.Prompt.Texts() == QStringList {QString::fromUtf8("Chyba při zápisu vybrané sestavy")} ? 0 : 41;
    }
    TSession s(f.Prompt, f.Clock, f.View, path);
    s.Settings.VyrociDopredu = 99;
    if (fault)
        fault();
    f.Prompt.Reset();
    if (s.SaveBookSettings(QStringLiteral("/x/kniha.wdt")))
        return 20;
    return f.Prompt.Texts() == QStringList {Msg::RegistryFailed()} ? 0 : 21;
}

// Makes the writer write over `path` and `fault` strike once its new file is open: from
// the window size the book's settings ask for (a save and the mask export store them just
// before the first byte), from a repaint of the report's walk, from an export's progress
// after its first chunk. 0 when it failed as it must, a reason code otherwise.
int AttemptMidway(TWriter w, const QString &path, const std::function<void()> &fault)
{
    TSessionFixture f;
    bool struck = false;
    const auto strike = [&] {
        if (!struck) {
            struck = true;
            fault();
        }
    };
    TAddressBook &b = f.S->Book;
    if (w == TWriter::Book || w == TWriter::BookNotUtf8) {
        f.Docs->StartUp(path);
        if (b.RecordCount() != 3)
            return 10;
        for (int i = 0; i < 40; ++i)
            b.AppendRecord(Entry("Nový"));
        b.Changed = true;
        const qsizetype count = b.RecordCount();
        f.Prompt.Reset();
        f.View.WhenMeasured = strike;
        f.Docs->IUlozitClick();
        f.View.WhenMeasured = {};
        const QStringList said = f.Prompt.Texts();
        const QStringList allowed {Msg::OpenFailed(), Msg::HeaderWriteFailed(), Msg::WriteFailed()};
        if (!struck)
            return 11;
        if (said.size() != 1 || !allowed.contains(said.first()))
            return 12;
        return b.Changed && b.RecordCount() == count ? 0 : 13;
    }
    // Enough entries for several chunks of an export and several repaints of a report.
    QList<TContactRecord> many;
    for (int i = 0; i < 3000; ++i) {
        TContactRecord r = Entry(QByteArray("Osoba " + QByteArray::number(i)).constData(), unsigned(i % 2));
        r.SetText(EField::Telefon1, "+420 541 000 " + QByteArray::number(100 + i % 900));
        r.SetText(EField::Email, "osoba" + QByteArray::number(i) + "@example.cz");
        r.SetText(EField::Narozeniny, "05.03.1961");
        many.append(r);
    }
    f.Open(many);
    const qsizetype count = b.RecordCount();
    const bool changed = b.Changed;
    int result = 0;
    if (w == TWriter::MaskExport) {
        b.Mask.RequireSet[0] = true;
        b.Mask.Active = true;
        TFixedAnswers answers;
        answers.Target = path;
        TExchangeCommands exchange(*f.S, *f.Editor, *f.Docs, answers);
        f.View.WhenMeasured = strike;
        exchange.IExportClick();
        f.View.WhenMeasured = {};
        result = f.Prompt.Last() == QString::fromUtf8("Export se nepodařil") ? 0 : 30;
    } else if (w == TWriter::Report) {
        TFixedAnswers answers;
        const QString wdr = f.Path("seznam.WDR");
        TestBook::WriteFile(wdr, "<\"VORLINK|9|W|x.txt\">\r\n<\"DATA\">\r\n<\"NAZEV|30|L\">\r\n<\"/DATA\">\r\n");
        TReportCommands reports(*f.S, *f.Editor, *f.Docs, answers, answers);
        f.Prompt.DuringWork = strike;
        if (reports.Run(wdr, path) == TReportOutcome::Written)
            result = 40;
        else if (f.Prompt.Texts() != QStringList {QString::fromUtf8("Chyba při zápisu vybrané sestavy")})
            result = 41;
        f.Prompt.DuringWork = {};
    } else {
        TMidwayDialogs dialogs;
        dialogs.OnProgress = [&](qint64 done, qint64 total) {
            if (done > 0 && done < total)
                strike();
        };
        TInteropCommands interop(*f.S, *f.Editor, *f.Docs, dialogs);
        if (interop.Export(FormatOf(w), path))
            result = 50;
        else if (f.Prompt.Texts() != QStringList {InteropText::ErrorText(TInteropError::Write)})
            result = 51;
    }
    if (!struck)
        return 60;
    return result != 0 ? result : b.RecordCount() == count && b.Changed == changed ? 0 : 61;
}

} // namespace

class TestWriteFaults : public QObject
{
    Q_OBJECT

private slots:
    void oldFileSurvives_data();
    void oldFileSurvives();
    void faultMidway_data();
    void faultMidway();
};

namespace {

// Every writer of the program, by the name its rows carry.
const std::pair<const char *, TWriter> kWriters[] = {{"book", TWriter::Book},
                                                     {"book named not in UTF-8", TWriter::BookNotUtf8},
                                                     {"settings", TWriter::Settings},
                                                     {"mask export", TWriter::MaskExport},
                                                     {"report", TWriter::Report},
                                                     {"vCard export", TWriter::VCard},
                                                     {"table export", TWriter::Table},
                                                     {"calendar export", TWriter::Calendar}};

} // namespace

void TestWriteFaults::oldFileSurvives_data()
{
    QTest::addColumn<TWriter>("writer");
    QTest::addColumn<TFault>("fault");
    const std::pair<const char *, TFault> faults[] = {{"full disk", TFault::FullDisk},
                                                      {"read-only disk", TFault::ReadOnlyDisk},
                                                      {"folder gone", TFault::FolderGone},
                                                      {"size limit at the start", TFault::SizeLimitAtStart},
                                                      {"size limit midway", TFault::SizeLimitMidway}};
    for (const auto &[wn, w] : kWriters) {
        for (const auto &[fn, fault] : faults) {
            // The settings store makes its own folder anew.
            if (w == TWriter::Settings && fault == TFault::FolderGone)
                continue;
            // Only the book is large enough to be cut in its middle here.
            if (w != TWriter::Book && w != TWriter::BookNotUtf8 && fault == TFault::SizeLimitMidway)
                continue;
            QTest::addRow("%s, %s", wn, fn) << w << fault;
        }
    }
}

void TestWriteFaults::oldFileSurvives()
{
    QFETCH(TWriter, writer);
    QFETCH(TFault, fault);
    QTemporaryDir dir;
    // rm, not QDir: Qt cannot name a file that is not UTF-8.
    auto removeAll = qScopeGuard([&] { QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), dir.path()}); });
    const QString disk = dir.filePath(QStringLiteral("disk"));
    const bool onTmpfs = fault == TFault::FullDisk || fault == TFault::ReadOnlyDisk;
    if (onTmpfs && !FileFaults::MountTiny(disk, "64k"))
        QSKIP("cannot mount a small tmpfs here (needs root)");
    auto unmount = qScopeGuard([&] {
        if (onTmpfs)
            FileFaults::Unmount(disk);
    });
    if (!onTmpfs)
        QVERIFY(QDir().mkpath(disk));
    const QString name = FileNameOf(writer);
    const QString path = disk + QLatin1Char('/') + name;
    const QByteArray old = OldBytes(writer);
    QVERIFY(TestBook::WriteFile(path, old));

    int result = -1;
    switch (fault) {
    case TFault::FullDisk: {
        const QString fillerPath = disk + QStringLiteral("/filler");
        result = Attempt(writer, path, [&] { FillDisk(fillerPath); });
        QVERIFY(QFile::remove(fillerPath));
        break;
    }
    case TFault::ReadOnlyDisk: {
        bool readOnly = false;
        result = Attempt(writer, path, [&] { readOnly = FileFaults::RemountReadOnly(disk); });
        QVERIFY(readOnly);
        break;
    }
    case TFault::FolderGone: {
        const QString gone = dir.filePath(QStringLiteral("gone"));
        QVERIFY(QDir().mkpath(gone));
        const QString inGone = gone + QLatin1Char('/') + name;
        QVERIFY(TestBook::WriteFile(inGone, old));
        // The folder goes between the open and the save.
        // rm, not QDir: Qt cannot name a file that is not UTF-8.
        result = Attempt(writer, inGone, [&] { QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), gone}); });
        QVERIFY(!QFileInfo::exists(gone));
        break;
    }
    case TFault::SizeLimitAtStart: {
        // Past the small settings file (written before a book), before a book's header.
        const qint64 limit
            = writer == TWriter::Book || writer == TWriter::BookNotUtf8 || writer == TWriter::MaskExport ? 2000 : 20;
        result = FileFaults::InChild([&] { return Attempt(writer, path, [&] { FileFaults::LimitFileSize(limit); }); });
        break;
    }
    case TFault::SizeLimitMidway:
        result = FileFaults::InChild(
            [&] { return Attempt(writer, path, [] { FileFaults::LimitFileSize(3217 * 6); }); });
        break;
    }
    QCOMPARE(result, 0);
    QCOMPARE(TestBook::ReadFile(path), old);
    QStringList left = TestBook::FilesIn(disk);
    // A lock on a disk made read-only cannot go.
    left.removeIf([](const QString &f) { return f.endsWith(QStringLiteral(".wdt.lock")); });
    QCOMPARE(left, QStringList {name});
}

void TestWriteFaults::faultMidway_data()
{
    QTest::addColumn<TWriter>("writer");
    QTest::addColumn<TMidFault>("fault");
    const std::pair<const char *, TMidFault> faults[] = {{"folder removed", TMidFault::FolderRemoved},
                                                         {"folder renamed away", TMidFault::FolderRenamed},
                                                         {"disk filled", TMidFault::DiskFilled}};
    for (const auto &[wn, w] : kWriters) {
        // The settings store has no progress to strike in.
        if (w == TWriter::Settings)
            continue;
        for (const auto &[fn, fault] : faults)
            QTest::addRow("%s, %s", wn, fn) << w << fault;
    }
}

void TestWriteFaults::faultMidway()
{
    QFETCH(TWriter, writer);
    QFETCH(TMidFault, fault);
    QTemporaryDir dir;
    // rm, not QDir: Qt cannot name a file that is not UTF-8.
    auto removeAll = qScopeGuard([&] { QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), dir.path()}); });
    const QString disk = dir.filePath(QStringLiteral("disk"));
    const bool onTmpfs = fault == TMidFault::DiskFilled;
    if (onTmpfs && !FileFaults::MountTiny(disk, "1m"))
        QSKIP("cannot mount a small tmpfs here (needs root)");
    auto unmount = qScopeGuard([&] {
        if (onTmpfs)
            FileFaults::Unmount(disk);
    });
    if (!onTmpfs)
        QVERIFY(QDir().mkpath(disk));
    const QString name = FileNameOf(writer);
    const QString path = disk + QLatin1Char('/') + name;
    const QByteArray old = OldBytes(writer);
    QVERIFY(TestBook::WriteFile(path, old));

    const QString moved = dir.filePath(QStringLiteral("moved"));
    const QString filler = disk + QStringLiteral("/filler");
    const int result = AttemptMidway(writer, path, [&] {
        if (fault == TMidFault::FolderRemoved)
            QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), disk});
        else if (fault == TMidFault::FolderRenamed)
            QDir().rename(disk, moved);
        else
            FillDisk(filler);
    });
    QCOMPARE(result, 0);
    if (fault == TMidFault::FolderRemoved) {
        QVERIFY(!QFileInfo::exists(disk));
        QCOMPARE(FilesUnder(dir.path()), QStringList());
        return;
    }
    const QString holder = fault == TMidFault::FolderRenamed ? moved : disk;
    if (fault == TMidFault::FolderRenamed)
        QVERIFY(!QFileInfo::exists(disk));
    else
        QVERIFY(QFile::remove(filler));
    QCOMPARE(TestBook::ReadFile(holder + QLatin1Char('/') + name), old);
    // A lock moved away with its folder is no longer its book's to remove.
    const QString in = QFileInfo(holder).fileName() + QLatin1Char('/');
    QStringList left = FilesUnder(dir.path());
    left.removeIf([](const QString &f) { return f.endsWith(QStringLiteral(".wdt.lock")); });
    QCOMPARE(left, QStringList {in + name});
}

QTEST_GUILESS_MAIN(TestWriteFaults)
#include "tst_writefaults.moc"

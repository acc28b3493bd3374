// The walks and the open of a 65,535-entry book through the real windows (offscreen):
// what the person waits for, beside the raw read of the same bytes.
#include "BenchSupport.h"
#include "app/VorlinkApp.h"
#include "book/BookLabels.h"
#include "cli/ExportCommand.h"
#include "cli/ImportCommand.h"
#include "interop/InteropCommands.h"
#include "mask/MaskCommands.h"
#include "reports/ReportCommands.h"
#include "session/Prompt.h"
#include "session/Session.h"
#include "session/ui/FormMain.h"
#include "util/Clock.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int kEntries = 65535;

// Answers without a window and repaints as the real prompt does.
QByteArray BookBytes()
{
    QByteArray bytes(TBookLabels::Defaults().ToHeader().Data(), kRecordSize);
    bytes.reserve(qsizetype(kRecordSize) * (kEntries + 1));
    for (int i = 0; i < kEntries; ++i) {
        TContactRecord r;
        const QByteArray surname = "Novotn\xFD " + QByteArray::number((i * 7919) % kEntries);
        r.SetText(EField::NazevPolozky, surname + " Jan");
        r.SetText(EField::Prijmeni, surname);
        r.SetText(EField::Jmeno, "Jan");
        r.SetText(EField::Telefon3, "602 " + QByteArray::number(100000 + i));
        r.SetFlag(1, i % 2);
        bytes.append(r.Data(), kRecordSize);
    }
    return bytes;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("velka.wdt"));
    {
        QFile f(book);
        if (!f.open(QIODevice::WriteOnly) || f.write(BookBytes()) <= 0)
            return 1;
    }
    QElapsedTimer t;
    t.start();
    {
        QFile f(book);
        f.open(QIODevice::ReadOnly);
        QByteArray all = f.readAll();
        std::printf("raw read of %lld bytes:      %8.1f ms\n", qint64(all.size()), Ms(t));
    }

    TBenchPrompt prompt;
    TSystemClock clock;
    TVorlinkApp app(prompt, clock, dir.filePath(QStringLiteral("vorlink.ini")));
    app.Window().show();
    QCoreApplication::processEvents();
    // A file written moments ago is also hashed on open (its time may not show a later
    // change); the person's books are older than that.
    QThread::sleep(4);
    t.restart();
    app.Start({book}, dir.path() + QLatin1Char('/'), dir.path() + QLatin1Char('/'));
    QCoreApplication::processEvents();
    std::printf("open to the first entry shown: %8.1f ms (%d entries listed)\n", Ms(t),
                int(app.Window().Session().Book.List.Count()));

    // Bulk change through its dialog: negate flag 1 of every listed entry.
    QTimer::singleShot(0, [] {
        QDialog *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!d)
            return;
        for (QRadioButton *r : d->findChildren<QRadioButton *>(QStringLiteral("v1")))
            r->setChecked(true);
        if (auto *b = d->findChild<QAbstractButton *>(QStringLiteral("ButtonPouzit")))
            b->click();
    });
    prompt.Repaints = 0;
    t.restart();
    app.Window().Action(QStringLiteral("Zmnitlogiku1"))->trigger();
    QCoreApplication::processEvents();
    std::printf("bulk change in the window:     %8.1f ms (%d repaints)\n", Ms(t), prompt.Repaints);

    // A report through the window's walk, five lines a listed entry.
    const QString wdr = dir.filePath(QStringLiteral("pet.WDR"));
    {
        QFile f(wdr);
        f.open(QIODevice::WriteOnly);
        f.write("<\"VORLINK|9|W|pet.txt\">\r\n<\"DATA\">\r\n<\"NAZEV|30|L\">\r\n<\"PRIJMENI|20|L\">\r\n"
                "<\"JMENO|20|L\">\r\n<\"TELCISLO3|15|P\">\r\n-----\r\n<\"/DATA\">\r\n");
    }
    prompt.Repaints = 0;
    t.restart();
    app.Reports().Run(wdr, dir.filePath(QStringLiteral("pet.txt")));
    QCoreApplication::processEvents();
    std::printf("report in the window:          %8.1f ms (%d repaints, %lld bytes)\n", Ms(t), prompt.Repaints,
                QFileInfo(dir.filePath(QStringLiteral("pet.txt"))).size());

    // The long work of the bridges in the window beside the same work on the command line.
    QString text;
    QTextStream out(&text), err(&text);
    const auto command = [&](QStringList args) {
        QElapsedTimer c;
        c.start();
        const bool ok = args.first() == QLatin1String("export") ? TExportCommand().Execute(args, out, err) == 0
                                                                 : TImportCommand().Execute(args, out, err) == 0;
        if (!ok)
            std::printf("command failed: %s\n", qPrintable(text));
        return Ms(c);
    };
    for (const auto &[format, name] : {std::pair {TInteropFormat::VCard3, "vcard3"}, {TInteropFormat::CsvGoogle, "csv-google"}}) {
        const QString inWindow = dir.filePath(QStringLiteral("okno.") + QLatin1String(name));
        t.restart();
        app.Interop().Export(format, inWindow);
        QCoreApplication::processEvents();
        const double window = Ms(t);
        const double cli = command({QStringLiteral("export"), QStringLiteral("--format"), QLatin1String(name), book,
                                    QStringLiteral("-o"), dir.filePath(QStringLiteral("cli.") + QLatin1String(name))});
        std::printf("export %-10s window %7.1f ms, command %7.1f ms: %.2fx\n", name, window, cli, window / cli);
    }
    // Cards read into a new book: the window keeps them open, the command writes the book.
    const QString cards = dir.filePath(QStringLiteral("okno.vcard3"));
    QTimer::singleShot(0, [] {
        if (QDialog *d = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            d->accept();
    });
    t.restart();
    app.Interop().ImportVCard(cards);
    QCoreApplication::processEvents();
    const double window = Ms(t);
    const double cli = command({QStringLiteral("import"), cards, dir.filePath(QStringLiteral("z-vizitek.WDT"))});
    std::printf("import vcard3     window %7.1f ms, command %7.1f ms: %.2fx (%d entries)\n", window, cli, window / cli,
                int(app.Window().Session().Book.RecordCount()));
    return 0;
}

// Load, list fill and save of a book of 65,535 entries, against reading the file raw.
#include "BenchSupport.h"
#include "book/BookFile.h"
#include "session/DocumentCommands.h"
#include "session/MainView.h"
#include "session/Prompt.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "util/Clock.h"
#include "util/Cp1250.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const char *const kSurnames[] = {"Novák", "Svoboda", "Novotný", "Dvořák", "Černý", "Procházka", "Kučera",
                                 "Veselý", "Horák", "Němec", "Pokorný", "Marek", "Pospíšil", "Hájek",
                                 "Jelínek", "Král", "Růžička", "Beneš", "Fiala", "Sedláček", "Chalupa"};
const char *const kFirst[] = {"Jan", "Petr", "Jiří", "Josef", "Pavel", "Martin", "Tomáš", "Jana", "Marie",
                              "Eva", "Hana", "Anna", "Lucie", "Věra", "Čeněk", "Šárka", "Žofie"};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const qsizetype count = argc > 1 ? QByteArray(argv[1]).toLongLong() : 65535;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("velka.wdt"));

    TBenchPrompt prompt;
    prompt.Path = path;
    TSystemClock clock;
    TBenchView view;
    TSession s(prompt, clock, view, dir.filePath(QStringLiteral("settings.ini")));
    TRecordEditor editor(s);
    TDocumentCommands docs(s, editor);
    docs.StartUp({});

    // A book of `count` distinct names, written once.
    QRandomGenerator rng(42);
    s.Book.DiscardRecords();
    for (qsizetype i = 0; i < count; ++i) {
        TContactRecord r;
        const QString name = QString::fromUtf8(kSurnames[rng.bounded(21)]) + QLatin1Char(' ')
                             + QString::fromUtf8(kFirst[rng.bounded(17)]) + QLatin1Char(' ') + QString::number(i);
        r.SetText(EField::NazevPolozky, ToCp1250(name));
        r.SetText(EField::Misto1, "Praha");
        r.SetNote(QByteArray(int(rng.bounded(300)), 'n'));
        s.Book.AppendRecord(r);
    }
    s.Book.MakeCurrent(0);
    QElapsedTimer t;
    t.start();
    if (BookFile::Write(path, s.Book.Labels.ToHeader(), s.Book) != TBookFileError::None)
        return 1;
    const double save = Ms(t);

    t.restart();
    QFile raw(path);
    raw.open(QIODevice::ReadOnly);
    const QByteArray bytes = raw.readAll();
    const double rawRead = Ms(t);

    t.restart();
    docs.LoadBook(path);
    const double load = Ms(t);
    t.restart();
    s.Book.RefillList();
    const double fill = Ms(t);
    t.restart();
    editor.ShowRecord();
    const double show = Ms(t);

    t.restart();
    docs.IOtevritClick();
    const double open = Ms(t);

    std::printf("entries:                 %lld (%lld bytes)\n", static_cast<long long>(count),
                static_cast<long long>(bytes.size()));
    std::printf("read raw:                %8.1f ms\n", rawRead);
    std::printf("load (read + records):   %8.1f ms\n", load);
    std::printf("list fill (sorted):      %8.1f ms\n", fill);
    std::printf("show first entry:        %8.1f ms\n", show);
    std::printf("open command, in all:    %8.1f ms  (%.1fx raw read)\n", open, open / rawRead);
    std::printf("save:                    %8.1f ms\n", save);
    if (prompt.Messages)
        std::printf("messages: %d, last: %s\n", prompt.Messages, qPrintable(prompt.Last));
    return 0;
}

// A report over 65,535 entries with a five-line data block: the line expansion alone,
// and the whole run through the session (walk, repaints, conversion, guarded write).
#include "BenchSupport.h"
#include "reports/ReportCommands.h"
#include "session/DocumentCommands.h"
#include "session/MainView.h"
#include "session/Prompt.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "util/Clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class TNoPorts : public IReportDialogs, public ITextEditorLauncher
{
public:
    QString AskTemplate() override { return {}; }
    bool StartEditor(const QString &) override { return false; }
};

constexpr int kEntries = 65535;

const char kBlock[] =
    "<\"NEXTIF|LOGIKA3|X\"><\"NAZEV|30|L\"><\"TAB\"><\"TELSTAT1|5|P\"> <\"TELCISLO1|20|L\">\r\n"
    "<\"TITULPRED|0|L\"> <\"JMENO|0|L\"> <\"PRIJMENI|20|C\"> <\"IF|LOGIKA1|X|ano|ne|3|L\">\r\n"
    "<\"ADRULICE1|40|L\">\r\n"
    "<\"ADRPSC1|7|L\"><\"ADRMISTO1|0|L\">, <\"ADRSTAT1|0|L\">\r\n"
    "<\"NAROZENINY|10|P\"> <\"SVATEK|6|P\"> <\"EMAIL|0|L\"><\"DAT\">\r\n";

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    TBenchPrompt prompt;
    TBenchClock clock;
    TBenchView view;
    TSession s(prompt, clock, view, dir.filePath(QStringLiteral("bench.ini")));
    TRecordEditor editor(s);
    TDocumentCommands docs(s, editor);
    TNoPorts ports;
    TReportCommands reports(s, editor, docs, ports, ports);

    TAddressBook &b = s.Book;
    b.DiscardRecords();
    TContactRecord r;
    for (int i = 0; i < kEntries; ++i) {
        r.SetText(EField::NazevPolozky, QByteArrayLiteral("Nov\xE1kov\xE1 ") + QByteArray::number(i).rightJustified(5, '0'));
        r.SetText(EField::Prijmeni, QByteArrayLiteral("Nov\xE1kov\xE1"));
        r.SetText(EField::Jmeno, QByteArrayLiteral("Jana"));
        r.SetText(EField::Ulice1, QByteArrayLiteral("Lipov\xE1 12"));
        r.SetText(EField::Psc1, QByteArrayLiteral("602 00"));
        r.SetText(EField::Misto1, QByteArrayLiteral("Brno"));
        r.SetText(EField::Stat1, QByteArrayLiteral("\xC8" "esk\xE1 republika"));
        r.SetText(EField::Telefon1, QByteArrayLiteral("541 211 122"));
        r.SetText(EField::Narozeniny, QByteArrayLiteral("15.12.1980"));
        r.SetText(EField::Svatek, QByteArrayLiteral("24.05."));
        r.SetFlag(1, i % 2 == 0);
        b.AppendRecord(r);
    }
    b.IsOpen = true;
    b.MakeCurrent(0);
    b.RefillList();
    editor.ShowCurrent();

    const QList<QByteArray> block = SplitTemplateLines(kBlock);
    QElapsedTimer t;
    t.start();
    qsizetype bytes = 0;
    const TStamp now = NowStamp(clock);
    for (qsizetype i = 0; i < b.RecordCount(); ++i) {
        for (const QByteArray &line : block)
            bytes += ExpandDataLine(line, b.Record(i), true, now).Text.size();
    }
    std::printf("general line expansion (no compiled lines), %d entries x 5 lines: %.1f ms (%lld bytes)\n", kEntries, Ms(t), (long long)bytes);

    const QString out = dir.filePath(QStringLiteral("out.txt"));
    for (const char *page : {"W", "K"}) {
        const QString tpl = dir.filePath(QStringLiteral("t.wdr"));
        QFile f(tpl);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write("# bench\r\n<\"VORLINK|9|" + QByteArray(page) + "|" + QFile::encodeName(out) + "\">\r\nhead <\"DAT\">\r\n<\"DATA\">\r\n");
        f.write(kBlock);
        f.write("<\"/DATA\">\r\n<\"STR\">\r\n");
        f.close();
        b.CurrentIndex = 0;
        b.FindRecordForListItem(0);
        editor.ShowCurrent();
        prompt.Repaints = 0;
        t.restart();
        const TReportOutcome o = reports.Run(tpl);
        std::printf("whole run through the session, code page %s: %.1f ms (%s, %d repaints, %lld bytes, last entry %s)\n",
                    page, Ms(t), o == TReportOutcome::Written ? "written" : "FAILED", prompt.Repaints,
                    (long long)QFile(out).size(), b.CurrentIndex == kEntries - 1 ? "shown" : "NOT shown");
    }
    return 0;
}

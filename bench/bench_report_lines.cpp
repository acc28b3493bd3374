// Hostile template lines: the time one line takes to expand, and a whole run of a small
// template whose lines grow past the output cap.
//   bench_report_lines [DIVISOR]   (divides every line's size, for slow builds)
#include "BenchSupport.h"
#include "reports/ReportCommands.h"
#include "session/DocumentCommands.h"
#include "session/RecordEditor.h"
#include "session/Session.h"

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

const TStamp kNow = 202612071015003.0;

QByteArray Repeat(const char *unit, qsizetype bytes, const char *tail = "")
{
    const QByteArray u(unit);
    return u.repeated(qMax<qsizetype>(1, bytes / u.size())) + tail;
}

void Line(const char *name, const QByteArray &line, bool data, const TContactRecord &r)
{
    QElapsedTimer t;
    t.start();
    qsizetype out = 0;
    int status = 0;
    if (data) {
        const TExpanded e = ExpandDataLine(line, r, true, kNow);
        out = e.Text.size();
        status = int(e.Status);
    } else {
        out = ExpandPlainTags(line, kNow).size();
    }
    std::printf("%-44s %9.2f MB: %10.1f ms (status %d, %lld bytes out)\n", name, double(line.size()) / 1e6,
                Ms(t), status, (long long)out);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qsizetype divisor = argc > 1 ? qMax(1LL, QByteArray(argv[1]).toLongLong()) : 1;
    const qsizetype mb = 1000 * 1000 / divisor;

    TContactRecord r;
    r.SetText(EField::NazevPolozky, QByteArrayLiteral("Nov\xE1k Jan"));
    r.SetText(EField::Jmeno, QByteArrayLiteral("Jan"));
    // A '<' in a value keeps a line off the compiled path, as a hostile entry would.
    r.SetNote(QByteArrayLiteral("pozn\xE1mka <"));

    Line("plain: 400,000 hexadecimal tags", Repeat("<\"#41\">", 7 * 400000 / divisor), false, r);
    Line("plain: hexadecimal tags", Repeat("<\"#41\">", 20 * mb), false, r);
    Line("plain: hexadecimal tags forming new ones", Repeat("<\"<\"#23\">41\">", 5 * mb), false, r);
    const char *nested = "<\"IF|JMENO|Jan|<\"IF|JMENO|Jan|a|b|0|L\">|b|0|L\">";
    Line("data: nested IF tags", Repeat(nested, 5 * mb), true, r);
    Line("data: IF tags left open", Repeat("<\"IF|JMENO|Jan|", 5 * mb, "a|b|0|L\">"), true, r);
    Line("data: tag openings without a close", Repeat("<\"IF", 5 * mb), true, r);
    Line("data: field tags", Repeat("<\"JMENO|0|L\"><\"POZNAMKA|0|L\">", 5 * mb), true, r);

    // One entry whose note asks for 4 KB a tag, shown 500 times a line: a 48 KB template
    // asks for 1.36 GB.
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
    r.SetNote(Repeat("<\"LOGIKA1|4096|L\">", 2000));
    b.AppendRecord(r);
    b.IsOpen = true;
    b.MakeCurrent(0);
    b.RefillList();
    editor.ShowCurrent();
    const QString tpl = dir.filePath(QStringLiteral("t.wdr"));
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    QFile f(tpl);
    if (!f.open(QIODevice::WriteOnly))
        return 1;
    f.write("<\"VORLINK|9|W|" + QFile::encodeName(out) + "\">\r\n<\"DATA\">\r\n");
    for (int i = 0; i < 6; ++i)
        f.write(QByteArray("<\"POZNAMKA|0|L\">").repeated(500 / divisor) + "\r\n");
    f.write("<\"/DATA\">\r\n");
    const qint64 tplSize = f.size();
    f.close();
    QElapsedTimer t;
    t.start();
    const TReportOutcome o = reports.Run(tpl);
    std::printf("whole run, %lld-byte template over a hostile note: %.1f ms (%s, %lld bytes written, "
                "\"%s\")\n",
                (long long)tplSize, Ms(t), o == TReportOutcome::Written ? "written" : "stopped",
                (long long)QFile(out).size(), qPrintable(prompt.Last));
    return 0;
}

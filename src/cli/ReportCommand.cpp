#include "cli/ReportCommand.h"

#include "cli/CliSupport.h"
#include "cli/PdfOutput.h"
#include "printing/ReportPages.h"
#include "reports/ReportCommands.h"
#include "session/DocumentCommands.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "util/Clock.h"
#include "util/Cp1250.h"

#include <QTemporaryDir>

namespace {

class TNoPorts : public IReportDialogs, public ITextEditorLauncher
{
public:
    QString AskTemplate() override { return {}; }
    bool StartEditor(const QString &) override { return false; }
};

class TCliClock : public IClock
{
public:
    QDateTime Now() const override { return Fixed.isValid() ? Fixed : QDateTime::currentDateTime(); }
    QDateTime Fixed;
};

} // namespace

QString TReportCommand::Description() const
{
    return QString::fromUtf8("zapíše tiskovou sestavu podle šablony *.WDR");
}

int TReportCommand::Execute(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Description());
    parser.addPositionalArgument(QStringLiteral("sablona"), QString::fromUtf8("tisková sestava (*.WDR)"));
    parser.addPositionalArgument(QStringLiteral("kniha"),
                                 QString::fromUtf8("soubor adresáře (*.WDT); lze vynechat, když sestava začíná tagem SOUBOR"),
                                 QStringLiteral("[kniha]"));
    const QCommandLineOption entry(QStringLiteral("entry"),
                                   QString::fromUtf8("položka pro sestavu jedné položky (jinak první v seznamu)"),
                                   QString::fromUtf8("název"));
    const QCommandLineOption now(QStringLiteral("now"), QString::fromUtf8("datum a čas pro tagy DAT a CAS"),
                                 QStringLiteral("YYYY-MM-DDThh:mm:ss"));
    const QCommandLineOption output(QStringList {QStringLiteral("o"), QStringLiteral("output")},
                                    QString::fromUtf8("výstupní soubor místo souboru ze záhlaví"),
                                    QStringLiteral("soubor"));
    const QCommandLineOption pdf(QStringLiteral("pdf"),
                                 QString::fromUtf8("zapíše sestavu navíc jako PDF (A4, písmo se stálou šířkou)"),
                                 QStringLiteral("soubor.pdf"));
    parser.addOptions({entry, now, output, pdf});
    int status = 0;
    if (!ParseCommandLine(parser, args, out, err, status))
        return status;
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty() || files.size() > 2) {
        err << QString::fromUtf8("Zadejte šablonu sestavy a nejvýše jeden soubor adresáře.") << Qt::endl;
        return 1;
    }
    TCliClock clock;
    if (parser.isSet(now)) {
        clock.Fixed = QDateTime::fromString(parser.value(now), Qt::ISODate);
        if (!clock.Fixed.isValid()) {
            err << QString::fromUtf8("Neplatné datum a čas: ") << parser.value(now) << Qt::endl;
            return 1;
        }
    }
    QList<QByteArray> lines;
    if (!TReportCommands::LoadTemplate(files[0], lines)) {
        err << QString::fromUtf8("Šablonu nelze přečíst: ") << files[0] << Qt::endl;
        return 1;
    }
    TReportHeader header;
    if (lines.isEmpty() || !ParseReportHeader(lines.first(), header)) {
        err << QString::fromUtf8("Šablona nezačíná záhlavím VORLINK: ") << files[0] << Qt::endl;
        return 1;
    }
    if (files.size() == 1 && !FirstBlockFollowsFileTag(lines.mid(1))) {
        err << QString::fromUtf8("Šablona nemá tag SOUBOR před prvním blokem dat; zadejte soubor adresáře.") << Qt::endl;
        return 1;
    }

    // A session of its own: the user's settings store is neither read nor written.
    QTemporaryDir store;
    TCliPrompt prompt(err);
    TCliView view;
    TSession s(prompt, clock, view, store.filePath(QStringLiteral("vorlink.ini")));
    TRecordEditor editor(s);
    TDocumentCommands docs(s, editor);
    docs.StartUp(files.value(1));
    if (files.size() == 2 && !docs.HasFile()) {
        if (prompt.Failures == 0)
            err << QString::fromUtf8("Soubor neexistuje: ") << files[1] << Qt::endl;
        return 1;
    }
    if (parser.isSet(entry)) {
        TAddressBook &b = s.Book;
        const qsizetype row = b.List.Names().indexOf(ToCp1250(parser.value(entry)));
        if (row < 0 || !b.RecordOfLine(row)) {
            err << QString::fromUtf8("Položka nenalezena: ") << parser.value(entry) << Qt::endl;
            return 1;
        }
        b.CurrentIndex = row;
        b.Current = b.RecordOfLine(row);
        editor.ShowCurrent();
    }
    TNoPorts ports;
    TReportCommands reports(s, editor, docs, ports, ports);
    // The PDF is made from the report's file as written, the way the windows print it.
    auto writePdf = [&]() {
        if (!parser.isSet(pdf))
            return true;
        const TReportCommands::TWritten &written = reports.LastWritten();
        QFile report(written.Path);
        if (!report.open(QIODevice::ReadOnly)) {
            err << QString::fromUtf8("Sestavu nelze přečíst: ") << written.Path << Qt::endl;
            return false;
        }
        const TReportPages pages(report.readAll(), written.CodePage, PdfOutput::MonoMetrics());
        const TPdfError e = PdfOutput::Write(parser.value(pdf), pages);
        if (e != TPdfError::None)
            err << PdfErrorText(e, parser.value(pdf)) << Qt::endl;
        return e == TPdfError::None;
    };
    if (IsStandardOutput(parser.value(output))) {
        const QString file = store.filePath(QStringLiteral("sestava"));
        prompt.QuietInformation = true;
        if (reports.Run(files[0], file) != TReportOutcome::Written || !writePdf())
            return 1;
        return CopyToOutput(file, out, err) ? 0 : 1;
    }
    if (reports.Run(files[0], parser.value(output)) != TReportOutcome::Written)
        return 1;
    return writePdf() ? 0 : 1;
}

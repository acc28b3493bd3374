#include "cli/ReportCommand.h"

#include "cli/CliSupport.h"
#include "cli/PdfOutput.h"
#include "printing/ReportPages.h"
#include "reports/ReportBookEntries.h"
#include "reports/ReportCommands.h"
#include "util/Clock.h"
#include "util/Cp1250.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

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

    // The book is read in place: no copy of it, no session, no window to follow the walk.
    TCliPrompt prompt(err);
    TReportBookEntries entries(prompt);
    if (files.size() == 2) {
        if (const TBookFileError e = entries.Open(files[1]); e != TBookFileError::None) {
            PrintBookFileError(e, files[1], err);
            return 1;
        }
    }
    if (parser.isSet(entry)) {
        if (!entries.Choose(ToCp1250(parser.value(entry)))) {
            err << QString::fromUtf8("Položka nenalezena: ") << parser.value(entry) << Qt::endl;
            return 1;
        }
    }
    // The PDF is made from the report's file as written, the way the windows print it.
    QString written;
    int codePage = 0;
    const auto run = [&](const QString &file) {
        TReportRun report(prompt, entries, NowStamp(clock));
        if (report.Execute(lines, file) != TReportOutcome::Written)
            return false;
        written = report.OutputName();
        codePage = report.CodePage();
        return true;
    };
    const auto writePdf = [&]() {
        if (!parser.isSet(pdf))
            return true;
        const std::optional<TReportPages> pages = TReportPages::Read(written, codePage, PdfOutput::MonoMetrics());
        if (!pages) {
            err << QString::fromUtf8("Sestavu nelze přečíst: ") << written << Qt::endl;
            return false;
        }
        const TPdfError e = PdfOutput::Write(parser.value(pdf), *pages);
        if (e != TPdfError::None)
            err << PdfErrorText(e, parser.value(pdf)) << Qt::endl;
        else // the report's own line names the text it was made from
            err << QString::fromUtf8("Sestava ve formátu PDF byla zapsána do ")
                << QDir::toNativeSeparators(QFileInfo(parser.value(pdf)).absoluteFilePath()) << Qt::endl;
        return e == TPdfError::None;
    };
    if (IsStandardOutput(parser.value(output))) {
        QTemporaryDir pipe;
        const QString file = pipe.filePath(QStringLiteral("sestava"));
        prompt.QuietInformation = true;
        if (!run(file) || !writePdf())
            return 1;
        return CopyToOutput(file, out, err) ? 0 : 1;
    }
    if (!run(parser.value(output)))
        return 1;
    return writePdf() ? 0 : 1;
}

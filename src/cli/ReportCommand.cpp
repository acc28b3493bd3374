#include "cli/ReportCommand.h"

#include "cli/CliSupport.h"
#include "reports/ReportBookEntries.h"
#include "reports/ReportCommands.h"
#include "util/Clock.h"
#include "util/Cp1250.h"

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
    parser.addOptions({entry, now, output});
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
    const auto run = [&](const QString &file) {
        TReportRun report(prompt, entries, NowStamp(clock));
        return report.Execute(lines, file) == TReportOutcome::Written;
    };
    if (IsStandardOutput(parser.value(output))) {
        QTemporaryDir pipe;
        const QString file = pipe.filePath(QStringLiteral("sestava"));
        prompt.QuietInformation = true;
        if (!run(file))
            return 1;
        return CopyToOutput(file, out, err) ? 0 : 1;
    }
    return run(parser.value(output)) ? 0 : 1;
}

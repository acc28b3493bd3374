#include "cli/LabelsCommand.h"

#include "book/BookMap.h"
#include "cli/CliSupport.h"
#include "cli/ListedEntries.h"
#include "cli/PdfOutput.h"
#include "printing/AddressLines.h"
#include "printing/LabelSheet.h"
#include "session/DisplayMask.h"
#include "util/CzechPlural.h"

QString TLabelsCommand::Description() const
{
    return QString::fromUtf8("vytiskne adresní štítky položek do souboru PDF");
}

int TLabelsCommand::Execute(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Description());
    const QCommandLineOption layoutOption(
        QStringLiteral("layout"),
        QString::fromUtf8("3x8, 3x7, 2x8, 2x7 nebo ŠxV:SLOUPCExŘÁDKY[@VLEVOxNAHOŘE][+MEZERAxMEZERA] (mm na A4)"),
        QStringLiteral("ROZVRZENI"));
    const QCommandLineOption maskOption(
        QStringLiteral("mask"), QString::fromUtf8("deset písmen pro příznaky 1 až 10: A nastaven, N nenastaven, F libovolný"),
        QStringLiteral("MASKA"));
    const QCommandLineOption addressOption(QStringLiteral("address"),
                                           QString::fromUtf8("adresa 1 (domů), 2 (zaměstnání) nebo 3 (přechodná); 1, není-li zadána"),
                                           QStringLiteral("N"));
    const QCommandLineOption startOption(QStringLiteral("start"),
                                         QString::fromUtf8("začít štítkem N prvního listu (po řádcích zleva doprava)"),
                                         QStringLiteral("N"));
    const QCommandLineOption outputOption(QStringList {QStringLiteral("o"), QStringLiteral("output")},
                                          QString::fromUtf8("cílový soubor PDF"), QStringLiteral("SOUBOR.pdf"));
    parser.addOptions({layoutOption, maskOption, addressOption, startOption, outputOption});
    parser.addPositionalArgument(QStringLiteral("kniha"), QString::fromUtf8("soubor adresáře (*.WDT)"));
    int status = 0;
    if (!ParseCommandLine(parser, args, out, err, status))
        return status;
    if (parser.positionalArguments().size() != 1 || !parser.isSet(layoutOption) || !parser.isSet(outputOption)) {
        err << QString::fromUtf8("Zadejte soubor adresáře, rozvržení (--layout) a cílový soubor (-o).") << Qt::endl;
        return 1;
    }
    QString problem;
    const std::optional<TLabelLayout> layout = ParseLabelLayout(parser.value(layoutOption), &problem);
    if (!layout) {
        err << problem << Qt::endl;
        return 1;
    }
    int address = 1;
    if (parser.isSet(addressOption)) {
        bool ok = false;
        address = parser.value(addressOption).toInt(&ok);
        if (!ok || address < 1 || address > 3) {
            err << QString::fromUtf8("Neplatná adresa: %1 (1, 2 nebo 3)").arg(parser.value(addressOption)) << Qt::endl;
            return 1;
        }
    }
    int start = 1;
    if (parser.isSet(startOption)) {
        bool ok = false;
        start = parser.value(startOption).toInt(&ok);
        if (!ok || start < 1 || start > layout->PerSheet()) {
            err << QString::fromUtf8("Neplatný první štítek: %1 (1 až %2)")
                       .arg(parser.value(startOption))
                       .arg(layout->PerSheet())
                << Qt::endl;
            return 1;
        }
    }
    TDisplayMask mask;
    if (parser.isSet(maskOption) && !ParseCliMask(parser.value(maskOption), mask)) {
        err << QString::fromUtf8("Neplatná maska: ") << parser.value(maskOption)
            << QString::fromUtf8(" (deset písmen A, N nebo F)") << Qt::endl;
        return 1;
    }
    const QString source = parser.positionalArguments().constFirst();
    TBookMap book;
    if (const TBookFileError e = book.Open(source); e != TBookFileError::None) {
        PrintBookFileError(e, source, err);
        return 1;
    }
    const std::vector<qsizetype> listed = ListedEntries(book, parser.isSet(maskOption) ? &mask : nullptr);
    const TLabelSheet sheet(*layout, qsizetype(listed.size()),
                            [&](qsizetype i) {
                                return EntryAddressLines(TRecordView(book.RecordBytes(listed[size_t(i)])), address);
                            },
                            start);
    const QString target = parser.value(outputOption);
    if (const TPdfError e = PdfOutput::Write(target, sheet); e != TPdfError::None) {
        err << PdfErrorText(e, target) << Qt::endl;
        return 1;
    }
    out << CzechCount(qsizetype(listed.size()), "štítek", "štítky", "štítků") << QString::fromUtf8(", ")
        << CzechCount(sheet.PageCount(), "list", "listy", "listů") << QString::fromUtf8(": ") << target << Qt::endl;
    return 0;
}

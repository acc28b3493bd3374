#include "cli/ExportCommand.h"

#include "book/BookFile.h"
#include "book/BookMap.h"
#include "cli/BookReader.h"
#include "cli/CliSupport.h"
#include "cli/ListedEntries.h"
#include "interop/InteropFile.h"
#include "session/Messages.h"
#include "settings/SettingsStore.h"
#include "util/Clock.h"
#include "util/CzechPlural.h"

#include <QTemporaryDir>


namespace {

// The listed entries in one of today's formats: the mask, when given, chooses them, the
// list's order is kept, the own codes come from the book's dialling settings.
int ExportFormat(const QString &source, const QString &target, TExportOptions options, const TDisplayMask *mask,
                 QTextStream &out, QTextStream &err)
{
    // The book is read in place and only its names are sorted: the entries go out one at a
    // time, in list order, from the file's own pages.
    TBookMap book;
    if (const TBookFileError e = book.Open(source); e != TBookFileError::None) {
        PrintBookFileError(e, source, err);
        return 1;
    }
    const TCliBookSettings stored(source);
    options.OwnCountry = stored.Settings.Stat;
    options.OwnArea = stored.Settings.Misto;
    options.Stamp = stored.Clock.Now();
    const std::vector<qsizetype> listed = ListedEntries(book, mask);
    // To standard output through a file of our own, so what goes out is whole.
    QTemporaryDir pipe;
    const bool toStdout = IsStandardOutput(target);
    const QString file = toStdout ? pipe.filePath(QStringLiteral("export")) : target;
    const TExportResult r = ExportEach(
        file, qsizetype(listed.size()),
        [&](qsizetype i) {
            // List order jumps about the mapped book: the next records are asked for ahead.
            // Each is read where it lies in the file.
            if (size_t(i) + 8 < listed.size())
                PrefetchRecord(book.RecordBytes(listed[size_t(i) + 8]));
            return TRecordView(book.RecordBytes(listed[size_t(i)]));
        },
        TBookLabels::FromHeader(book.Header()), options);
    if (r.Error != TInteropError::None) {
        err << InteropText::ErrorText(r.Error) << Qt::endl;
        return 1;
    }
    if (toStdout)
        return CopyToOutput(file, out, err) ? 0 : 1;
    out << InteropText::Written(options.Format, r) << Qt::endl;
    return 0;
}

} // namespace

QString TExportCommand::Description() const
{
    return QString::fromUtf8("zapíše položky adresáře, které projdou maskou, do nového souboru adresáře");
}

int TExportCommand::Execute(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Description());
    const QCommandLineOption maskOption(
        QStringLiteral("mask"),
        QString::fromUtf8("deset písmen pro příznaky 1 až 10: A nastaven, N nenastaven, F libovolný"),
        QStringLiteral("MASKA"));
    parser.addOption(maskOption);
    const QCommandLineOption formatOption(
        QStringLiteral("format"), QString::fromUtf8("vcard3, vcard4, csv-google, csv-outlook nebo ics"),
        QStringLiteral("FORMAT"));
    const QCommandLineOption alarmOption(QStringLiteral("alarm-days"),
                                         QString::fromUtf8("v kalendáři připomenout N dní předem"), QStringLiteral("N"));
    const QCommandLineOption encodingOption(QStringLiteral("encoding"),
                                            QString::fromUtf8("kódování tabulky pro Outlook: utf-8 nebo windows-1250"),
                                            QStringLiteral("KODOVANI"));
    const QCommandLineOption outputOption(QStringList {QStringLiteral("o"), QStringLiteral("output")},
                                          QString::fromUtf8("cílový soubor při volbě --format"), QStringLiteral("SOUBOR"));
    const QCommandLineOption forceOption(QStringLiteral("force"),
                                         QString::fromUtf8("zapíše i do adresáře, který má otevřen jiný program"));
    parser.addOptions({formatOption, alarmOption, encodingOption, outputOption, forceOption});
    parser.addPositionalArgument(QStringLiteral("kniha"), QString::fromUtf8("soubor adresáře (*.WDT)"));
    parser.addPositionalArgument(QStringLiteral("cil"), QString::fromUtf8("nový soubor adresáře (*.WDT), bez volby --format"));
    int status = 0;
    if (!ParseCommandLine(parser, args, out, err, status))
        return status;
    if (parser.isSet(formatOption)) {
        TExportOptions options;
        if (!InteropFormat::FromName(parser.value(formatOption), options.Format)) {
            err << QString::fromUtf8("Neznámý formát: ") << parser.value(formatOption)
                << QString::fromUtf8(" (vcard3, vcard4, csv-google, csv-outlook, ics)") << Qt::endl;
            return 1;
        }
        if (parser.positionalArguments().size() != 1 || !parser.isSet(outputOption)) {
            err << QString::fromUtf8("Zadejte soubor adresáře a cílový soubor (-o).") << Qt::endl;
            return 1;
        }
        if (parser.isSet(alarmOption)) {
            bool ok = false;
            options.AlarmDays = parser.value(alarmOption).toInt(&ok);
            if (!ok || options.AlarmDays < 0 || options.AlarmDays > 365) {
                err << QString::fromUtf8("Neplatný počet dní: ") << parser.value(alarmOption) << Qt::endl;
                return 1;
            }
        }
        if (parser.isSet(encodingOption)) {
            const QString enc = parser.value(encodingOption).toLower();
            if (enc != QLatin1String("utf-8") && enc != QLatin1String("windows-1250")) {
                err << QString::fromUtf8("Neznámé kódování: ") << parser.value(encodingOption) << Qt::endl;
                return 1;
            }
            options.OutlookCp1250 = enc == QLatin1String("windows-1250");
        }
        TDisplayMask mask;
        if (parser.isSet(maskOption) && !ParseCliMask(parser.value(maskOption), mask)) {
            err << QString::fromUtf8("Neplatná maska: ") << parser.value(maskOption)
                << QString::fromUtf8(" (čekám deset písmen A, N nebo F)") << Qt::endl;
            return 1;
        }
        return ExportFormat(parser.positionalArguments().at(0), parser.value(outputOption), options,
                            parser.isSet(maskOption) ? &mask : nullptr, out, err);
    }
    if (parser.positionalArguments().size() != 2 || !parser.isSet(maskOption)) {
        err << QString::fromUtf8("Zadejte masku (--mask), soubor adresáře a cílový soubor.") << Qt::endl;
        return 1;
    }
    TDisplayMask mask;
    if (!ParseCliMask(parser.value(maskOption), mask)) {
        err << QString::fromUtf8("Neplatná maska: ") << parser.value(maskOption)
            << QString::fromUtf8(" (čekám deset písmen A, N nebo F)") << Qt::endl;
        return 1;
    }
    const QString source = parser.positionalArguments().at(0);
    const QString target = parser.positionalArguments().at(1);
    const auto cli = ReadCliBook(source, err);
    if (!cli)
        return 1;

    std::unique_ptr<QLockFile> lock;
    if (!LockBookForWrite(target, parser.isSet(forceOption), err, lock))
        return 1;
    // The exported file later opens with the settings of the book it came from.
    TCliBookSettings stored(source);
    // Counted apart from the write: a write in place asks about each entry twice.
    qsizetype written = 0;
    for (qsizetype i = 0; i < cli->Book->RecordCount(); ++i)
        written += mask.Matches(cli->Book->Record(i)) ? 1 : 0;
    const TBookFileError e = BookFile::WriteSelected(
        target, cli->Book->Labels.ToHeader(), *cli->Book, [&](const TContactRecord &r) { return mask.Matches(r); },
        [&] {
            if (stored.Store.SaveBookSettings(target))
                return true;
            err << Msg::RegistryFailed() << Qt::endl;
            return false;
        });
    if (e != TBookFileError::None) {
        const QString text = Msg::BookFileError(e);
        if (!text.isEmpty())
            err << text << Qt::endl;
        return 1;
    }
    out << CzechCount(written, "záznam zapsán", "záznamy zapsány", "záznamů zapsáno") << Qt::endl;
    return 0;
}

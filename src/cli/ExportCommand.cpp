#include "cli/ExportCommand.h"

#include "book/BookFile.h"
#include "cli/BookReader.h"
#include "cli/CliSupport.h"
#include "session/Messages.h"
#include "settings/SettingsStore.h"
#include "util/Clock.h"

namespace {

// Ten letters for flags 1 to 10: A set, N clear, F either.
bool ParseMask(const QString &text, TDisplayMask &mask)
{
    if (text.size() != kFlagCount)
        return false;
    mask.Clear();
    for (int i = 0; i < kFlagCount; ++i) {
        const QChar c = text.at(i).toUpper();
        if (c == QLatin1Char('A'))
            mask.RequireSet[size_t(i)] = true;
        else if (c == QLatin1Char('N'))
            mask.RequireClear[size_t(i)] = true;
        else if (c != QLatin1Char('F'))
            return false;
    }
    mask.Active = true;
    return true;
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
    parser.addPositionalArgument(QStringLiteral("kniha"), QString::fromUtf8("soubor adresáře (*.WDT)"));
    parser.addPositionalArgument(QStringLiteral("cil"), QString::fromUtf8("nový soubor adresáře (*.WDT)"));
    int status = 0;
    if (!ParseCommandLine(parser, args, out, err, status))
        return status;
    if (parser.positionalArguments().size() != 2 || !parser.isSet(maskOption)) {
        err << QString::fromUtf8("Zadejte masku (--mask), soubor adresáře a cílový soubor.") << Qt::endl;
        return 1;
    }
    TDisplayMask mask;
    if (!ParseMask(parser.value(maskOption), mask)) {
        err << QString::fromUtf8("Neplatná maska: ") << parser.value(maskOption)
            << QString::fromUtf8(" (čekám deset písmen A, N nebo F)") << Qt::endl;
        return 1;
    }
    const QString source = parser.positionalArguments().at(0);
    const QString target = parser.positionalArguments().at(1);
    const auto cli = ReadCliBook(source, err);
    if (!cli)
        return 1;

    // The exported file later opens with the settings of the book it came from.
    TSettings settings;
    TSystemClock clock;
    TSettingsStore store(settings, clock);
    store.LoadBookValues(source);
    qsizetype written = 0;
    const TBookFileError e = BookFile::WriteSelected(
        target, cli->Book->Labels.ToHeader(), *cli->Book,
        [&](const TContactRecord &r) {
            const bool pass = mask.Matches(r);
            written += pass ? 1 : 0;
            return pass;
        },
        [&] {
            if (store.SaveBookSettings(target))
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
    out << QString::fromUtf8("Zapsáno záznamů: ") << written << Qt::endl;
    return 0;
}

#include "cli/ImportCommand.h"

#include "book/Book.h"
#include "book/BookFile.h"
#include "cli/CliSupport.h"
#include "exchange/Import.h"
#include "session/Messages.h"

QString TImportCommand::Description() const
{
    return QString::fromUtf8("převede adresář DOSovského vorlinku nebo tabulku programu ZEV na soubor adresáře");
}

int TImportCommand::Execute(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Description());
    const QCommandLineOption dta(QStringLiteral("dta"), QString::fromUtf8("soubor DOSovského vorlinku (*.DTA)"));
    const QCommandLineOption kontakty(QStringLiteral("kontakty"), QString::fromUtf8("databáze KONTAKTY programu ZEV"));
    const QCommandLineOption firmy(QStringLiteral("firmy"), QString::fromUtf8("databáze FIRMY programu ZEV"));
    parser.addOptions({dta, kontakty, firmy});
    parser.addPositionalArgument(QStringLiteral("soubor"), QString::fromUtf8("soubor k převodu"));
    parser.addPositionalArgument(QStringLiteral("cil"), QString::fromUtf8("nový soubor adresáře (*.WDT)"));
    int status = 0;
    if (!ParseCommandLine(parser, args, out, err, status))
        return status;
    const int kinds = int(parser.isSet(dta)) + int(parser.isSet(kontakty)) + int(parser.isSet(firmy));
    if (kinds != 1 || parser.positionalArguments().size() != 2) {
        err << QString::fromUtf8("Zadejte jednu z voleb --dta, --kontakty, --firmy, soubor k převodu a cílový soubor.")
            << Qt::endl;
        return 1;
    }
    const TImportKind kind = parser.isSet(dta) ? TImportKind::Dta
                           : parser.isSet(kontakty) ? TImportKind::Kontakty
                                                    : TImportKind::Firmy;
    const QString source = parser.positionalArguments().at(0);
    const QString target = parser.positionalArguments().at(1);

    TBook book;
    TBookLabels labels;
    const TImportError e = Import::Read(kind, source, labels, book);
    if (e == TImportError::Missing) {
        err << QString::fromUtf8("Soubor neexistuje: ") << source << Qt::endl;
        return 1;
    }
    if (e != TImportError::None) {
        err << Import::Message(e) << Qt::endl;
        return 1;
    }
    // The target is replaced only once it is wholly written.
    const TBookFileError w = BookFile::Write(target, labels.ToHeader(), book);
    if (w != TBookFileError::None) {
        err << Msg::BookFileError(w) << Qt::endl;
        return 1;
    }
    out << QString::fromUtf8("Převedeno záznamů: ") << book.RecordCount() << Qt::endl;
    return 0;
}

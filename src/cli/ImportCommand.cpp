#include "cli/ImportCommand.h"

#include "book/Book.h"
#include "book/BookFile.h"
#include "cli/CliSupport.h"
#include "exchange/Import.h"
#include "interop/InteropFile.h"
#include "session/Messages.h"
#include "util/CzechPlural.h"
#include "util/GuardedFile.h"

#include <QFileInfo>

QString TImportCommand::Description() const
{
    return QString::fromUtf8("převede adresář DOSovského vorlinku, tabulku programu ZEV nebo vizitky vCard na soubor adresáře");
}

namespace {

// Whether the cards were read; else says why.
bool ReadOk(TInteropError e, const QString &source, QTextStream &err)
{
    if (e == TInteropError::Missing)
        err << QString::fromUtf8("Soubor neexistuje: ") << source << Qt::endl;
    else if (e != TInteropError::None)
        err << InteropText::ErrorText(e) << Qt::endl;
    return e == TInteropError::None;
}

// Cards of a vCard file into a new book, or added to the book already at `target`.
int ImportVCard(const QString &source, const QString &target, bool append, bool force, QTextStream &out,
                QTextStream &err)
{
    TBook book;
    // Both the reading of the old book and the writing of the new one under its lock.
    std::unique_ptr<QLockFile> lock;
    if (!LockBookForWrite(target, force, err, lock))
        return 1;
    TBookLabels labels = TBookLabels::Defaults();
    if (append) {
        TContactRecord header;
        const TBookFileError r = BookFile::Read(target, header, book);
        if (r != TBookFileError::None) {
            err << (r == TBookFileError::Missing ? QString::fromUtf8("Soubor neexistuje: ") + target : Msg::BookFileError(r))
                << Qt::endl;
            return 1;
        }
        labels = TBookLabels::FromHeader(header);
    }
    TVCardImportStats stats;
    if (!append) {
        // A new book is written as the cards are read: memory holds names, not entries.
        TGuardedFile file(target);
        if (file.Begin() != TGuardedFile::TError::None) {
            err << Msg::BookFileError(TBookFileError::Open) << Qt::endl;
            return 1;
        }
        QByteArray chunk = QByteArray(labels.ToHeader().Data(), kRecordSize);
        const auto pass = [&](qsizetype at) {
            if (chunk.size() < at)
                return true;
            const bool ok = file.write(chunk) == chunk.size();
            chunk.resize(0);
            return ok;
        };
        const TInteropError e = ReadVCardFile(source, labels, {}, stats, BookFile::kMaxRecords,
                                              [&](const TContactRecord &r) {
                                                  chunk.append(r.Data(), kRecordSize);
                                                  return pass(1 << 16);
                                              });
        if (!ReadOk(e, source, err))
            return 1;
        if (!pass(0) || file.Commit() != TGuardedFile::TError::None) {
            err << Msg::BookFileError(TBookFileError::Write) << Qt::endl;
            return 1;
        }
        out << InteropText::Summary(stats) << Qt::endl;
        return 0;
    }
    TBook fresh;
    const TInteropError e = ImportVCardFile(
        source, fresh, labels, [&book](QByteArrayView name) { return book.FindByName(name) != nullptr; },
        stats, BookFile::kMaxRecords - book.RecordCount());
    if (!ReadOk(e, source, err))
        return 1;
    // The cards' entries move behind the book's: no entry is held twice.
    book.TakeRecords(fresh);
    const TBookFileError w = BookFile::Write(target, labels.ToHeader(), book);
    if (w != TBookFileError::None) {
        err << Msg::BookFileError(w) << Qt::endl;
        return 1;
    }
    out << InteropText::Summary(stats) << Qt::endl;
    return 0;
}

} // namespace

int TImportCommand::Execute(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Description());
    const QCommandLineOption dta(QStringLiteral("dta"), QString::fromUtf8("soubor DOSovského vorlinku (*.DTA)"));
    const QCommandLineOption kontakty(QStringLiteral("kontakty"), QString::fromUtf8("databáze KONTAKTY programu ZEV"));
    const QCommandLineOption firmy(QStringLiteral("firmy"), QString::fromUtf8("databáze FIRMY programu ZEV"));
    const QCommandLineOption append(QStringLiteral("append"),
                                    QString::fromUtf8("vizitky připojí k existujícímu souboru adresáře"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QString::fromUtf8("přepíše existující cílový soubor, i když jej má otevřen jiný program"));
    parser.addOptions({dta, kontakty, firmy, append, force});
    parser.addPositionalArgument(QStringLiteral("soubor"), QString::fromUtf8("soubor k převodu (bez volby vizitky *.vcf)"));
    parser.addPositionalArgument(QStringLiteral("cil"), QString::fromUtf8("nový soubor adresáře (*.WDT)"));
    int status = 0;
    if (!ParseCommandLine(parser, args, out, err, status))
        return status;
    const int kinds = int(parser.isSet(dta)) + int(parser.isSet(kontakty)) + int(parser.isSet(firmy));
    if (kinds > 1 || parser.positionalArguments().size() != 2 || (kinds == 1 && parser.isSet(append))) {
        err << QString::fromUtf8("Zadejte jednu z voleb --dta, --kontakty, --firmy (nebo vizitky *.vcf bez volby), "
                                 "soubor k převodu a cílový soubor.")
            << Qt::endl;
        return 1;
    }
    // An existing book is never replaced by mistake: cards are added with --append, a
    // replacement must be asked for.
    const QString targetPath = parser.positionalArguments().at(1);
    if (!parser.isSet(append) && !parser.isSet(force) && QFileInfo::exists(targetPath)) {
        err << QString::fromUtf8("Soubor již existuje: ") << targetPath << Qt::endl
            << (kinds == 0 ? QString::fromUtf8("Vizitky k němu přidá volba --append, přepíše jej volba --force.")
                           : QString::fromUtf8("Přepíše jej volba --force."))
            << Qt::endl;
        return 1;
    }
    if (kinds == 0)
        return ImportVCard(parser.positionalArguments().at(0), parser.positionalArguments().at(1), parser.isSet(append),
                           parser.isSet(force), out, err);
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
    std::unique_ptr<QLockFile> lock;
    if (!LockBookForWrite(target, parser.isSet(force), err, lock))
        return 1;
    const TBookFileError w = BookFile::Write(target, labels.ToHeader(), book);
    if (w != TBookFileError::None) {
        err << Msg::BookFileError(w) << Qt::endl;
        return 1;
    }
    out << CzechCount(book.RecordCount(), "záznam převeden", "záznamy převedeny", "záznamů převedeno") << Qt::endl;
    return 0;
}

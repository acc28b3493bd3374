#include "cli/BookReader.h"

#include "cli/CliSupport.h"
#include "book/BookFile.h"
#include "book/BookLabels.h"
#include "session/Messages.h"

std::unique_ptr<TCliBook> ReadCliBook(const QString &path, QTextStream &err)
{
    auto cli = std::make_unique<TCliBook>();
    cli->Prompt = std::make_unique<TCliPrompt>(err);
    cli->Book = std::make_unique<TAddressBook>(*cli->Prompt);
    TContactRecord header;
    const TBookFileError e = BookFile::Read(path, header, *cli->Book);
    if (e != TBookFileError::None) {
        PrintBookFileError(e, path, err);
        return nullptr;
    }
    cli->Book->Labels = TBookLabels::FromHeader(header);
    cli->Book->FileName = path;
    cli->Book->IsOpen = true;
    cli->Book->ListedCount = cli->Book->RecordCount();
    return cli;
}

bool ReadCliEach(const QString &path, TContactRecord &header, const std::function<void(TRecordView)> &each,
                 QTextStream &err)
{
    const TBookFileError e = BookFile::ReadEach(path, header, [&](const char *bytes) { each(TRecordView(bytes)); });
    if (e != TBookFileError::None) {
        PrintBookFileError(e, path, err);
        return false;
    }
    return true;
}

void PrintBookFileError(TBookFileError e, const QString &path, QTextStream &err)
{
    if (e == TBookFileError::Missing)
        err << QString::fromUtf8("Soubor neexistuje: ") << path << Qt::endl;
    else
        err << Msg::BookFileError(e) << Qt::endl;
}

#include "cli/ListCommand.h"

#include "cli/BookReader.h"
#include "cli/CliSupport.h"
#include "util/Cp1250.h"

QString TListCommand::Description() const
{
    return QString::fromUtf8("vypíše názvy položek adresáře v pořadí seznamu");
}

int TListCommand::Execute(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Description());
    QString path;
    int status = 0;
    if (!ParseBookCommandLine(parser, args, out, err, path, status))
        return status;
    const auto cli = ReadCliBook(path, err);
    if (!cli)
        return 1;
    TNameList &list = cli->Book->List;
    QList<QByteArray> names;
    for (qsizetype i = 0; i < cli->Book->RecordCount(); ++i)
        names.append(cli->Book->Record(i).Name());
    list.Fill(std::move(names));
    for (const QByteArray &n : list.Names())
        out << CliText::Shown(FromCp1250(n)) << '\n';
    out.flush();
    return 0;
}

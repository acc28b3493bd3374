#include "cli/ListCommand.h"

#include "cli/BookReader.h"
#include "cli/ByteOutput.h"
#include "cli/CliSupport.h"
#include "session/NameList.h"

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
    // Only the names are kept, never the entries: a full book is 200 MB of them.
    QList<QByteArray> names;
    TContactRecord header;
    if (!ReadCliEach(path, header, [&](TRecordView r) { names.append(r.NameView().toByteArray()); }, err))
        return 1;
    TNameList list;
    list.Fill(std::move(names));
    TByteOutput bytes(out);
    bool written = true;
    for (const QByteArray &n : list.Names()) {
        bytes.AppendLine(n);
        written = written && bytes.Pass();
    }
    if (!written || !bytes.Pass(true)) {
        CliText::ReportOutputFailure(err);
        return 1;
    }
    return 0;
}

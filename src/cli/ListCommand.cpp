#include "cli/ListCommand.h"

#include "cli/BookReader.h"
#include "cli/ByteOutput.h"
#include "cli/CliSupport.h"
#include "session/NameList.h"
#include "util/Prefetch.h"

#include <utility>
#include <vector>

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
    // Only the names are kept, never the entries (a full book is 200 MB of them), and all
    // in one buffer rather than an allocation each.
    QByteArray all;
    std::vector<std::pair<qsizetype, qsizetype>> spans;
    TContactRecord header;
    const auto keep = [&](TRecordView r) {
        const QByteArrayView n = r.NameView();
        spans.emplace_back(all.size(), n.size());
        all.append(n);
    };
    if (!ReadCliEach(path, header, keep, err))
        return 1;
    const auto name = [&](qsizetype i) { return QByteArrayView(all.constData() + spans[size_t(i)].first, spans[size_t(i)].second); };
    TByteOutput bytes(out);
    bool written = true;
    const std::vector<qsizetype> order = ListOrder(qsizetype(spans.size()), name);
    for (size_t k = 0; k < order.size(); ++k) {
        // The names lie in book order: the next ones in list order are asked for ahead.
        if (k + 8 < order.size())
            Prefetch(all.constData() + spans[size_t(order[k + 8])].first);
        bytes.AppendLine(name(order[k]));
        written = written && bytes.Pass();
    }
    if (!written || !bytes.Pass(true)) {
        CliText::ReportOutputFailure(err);
        return 1;
    }
    return 0;
}

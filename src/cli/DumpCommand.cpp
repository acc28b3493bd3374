#include "cli/DumpCommand.h"

#include "cli/BookReader.h"
#include "cli/CliSupport.h"
#include "util/Cp1250.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

template<size_t N>
QJsonArray Texts(const std::array<QByteArray, N> &texts)
{
    QJsonArray a;
    for (const QByteArray &t : texts)
        a.append(FromCp1250(t));
    return a;
}

QJsonObject Entry(const TContactRecord &r)
{
    QJsonObject o;
    for (int i = 0; i < kTextFieldCount; ++i)
        o.insert(QLatin1String(FieldInfo(i).Name), FromCp1250(r.TextView(EField(i))));
    o.insert(QStringLiteral("Poznamka"), FromCp1250(r.Note()));
    for (int i = 1; i <= kFlagCount; ++i)
        o.insert(QStringLiteral("Log") + QString::number(i), r.Flag(i));
    return o;
}

} // namespace

QString TDumpCommand::Description() const
{
    return QString::fromUtf8("vypíše celý adresář jako JSON");
}

int TDumpCommand::Execute(const QStringList &args, QTextStream &out, QTextStream &err)
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
    const TAddressBook &book = *cli->Book;
    QJsonArray reminders;
    for (bool on : book.Labels.ReminderFlags)
        reminders.append(on);
    QJsonObject labels {{QStringLiteral("PhoneCaptions"), Texts(book.Labels.PhoneCaptions)},
                        {QStringLiteral("AddressCaptions"), Texts(book.Labels.AddressCaptions)},
                        {QStringLiteral("FlagCaptions"), Texts(book.Labels.FlagCaptions)},
                        {QStringLiteral("ReminderFlags"), reminders}};
    QJsonArray entries;
    for (qsizetype i = 0; i < book.RecordCount(); ++i)
        entries.append(Entry(book.Record(i)));
    const QJsonObject root {{QStringLiteral("file"), path},
                            {QStringLiteral("labels"), labels},
                            {QStringLiteral("entries"), entries}};
    out << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
    out.flush();
    return 0;
}

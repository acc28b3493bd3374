#include "cli/DumpCommand.h"

#include "book/BookFile.h"
#include "book/BookLabels.h"
#include "cli/CliSupport.h"
#include "session/Messages.h"
#include "util/Cp1250.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>

namespace {

// The JSON text of every Windows-1250 byte inside a string, escaped as Qt escapes it.
const std::array<QByteArray, 256> &JsonBytes()
{
    static const std::array<QByteArray, 256> table = [] {
        std::array<QByteArray, 256> t;
        for (int b = 0; b < 256; ++b) {
            const QString one = FromCp1250(QByteArray(1, char(b)));
            QByteArray quoted = QJsonDocument(QJsonArray {one}).toJson(QJsonDocument::Compact);
            t[size_t(b)] = quoted.mid(2, quoted.size() - 4); // inside ["..."]
        }
        return t;
    }();
    return table;
}

void AppendString(QByteArray &out, QByteArrayView cp1250)
{
    const auto &table = JsonBytes();
    out += '"';
    for (char c : cp1250)
        out += table[static_cast<unsigned char>(c)];
    out += '"';
}

// One entry's keys in the order a JSON object keeps them (sorted), each with its field.
struct TKey
{
    QByteArray Line; // `            "Name": `
    int Field;       // text field, kNote, or -flag
};
constexpr int kNote = 1000;

QList<TKey> EntryKeys()
{
    QJsonObject all;
    QHash<QString, int> field;
    for (int i = 0; i < kTextFieldCount; ++i)
        field.insert(QLatin1String(FieldInfo(i).Name), i);
    field.insert(QStringLiteral("Poznamka"), kNote);
    for (int i = 1; i <= kFlagCount; ++i)
        field.insert(QStringLiteral("Log") + QString::number(i), -i);
    for (auto it = field.cbegin(); it != field.cend(); ++it)
        all.insert(it.key(), 0);
    QList<TKey> keys;
    for (const QString &k : all.keys())
        keys.append({QByteArray(12, ' ') + '"' + k.toUtf8() + "\": ", field.value(k)});
    return keys;
}

void AppendEntry(QByteArray &out, const TContactRecord &r, const QList<TKey> &keys)
{
    out += "        {\n";
    for (qsizetype k = 0; k < keys.size(); ++k) {
        const TKey &key = keys[k];
        out += key.Line;
        if (key.Field == kNote)
            AppendString(out, r.Note());
        else if (key.Field < 0)
            out += r.Flag(-key.Field) ? "true" : "false";
        else
            AppendString(out, r.TextView(EField(key.Field)));
        out += k + 1 < keys.size() ? ",\n" : "\n";
    }
    out += "        }";
}

template<size_t N>
QJsonArray Texts(const std::array<QByteArray, N> &texts)
{
    QJsonArray a;
    for (const QByteArray &t : texts)
        a.append(FromCp1250(t));
    return a;
}

// "file" and "labels", as the members that follow "entries" in the document.
QByteArray Tail(const QString &path, const TBookLabels &labels)
{
    QJsonArray reminders;
    for (bool on : labels.ReminderFlags)
        reminders.append(on);
    const QJsonObject l {{QStringLiteral("PhoneCaptions"), Texts(labels.PhoneCaptions)},
                         {QStringLiteral("AddressCaptions"), Texts(labels.AddressCaptions)},
                         {QStringLiteral("FlagCaptions"), Texts(labels.FlagCaptions)},
                         {QStringLiteral("ReminderFlags"), reminders}};
    const QJsonObject rest {{QStringLiteral("file"), path}, {QStringLiteral("labels"), l}};
    return QJsonDocument(rest).toJson(QJsonDocument::Indented).mid(2); // after "{\n"
}

// Sends JSON text on, in pieces of about a megabyte; false once the output failed.
class TJsonOut
{
public:
    explicit TJsonOut(QTextStream &out) : m_out(out) { m_buffer.reserve(kPiece + 64 * 1024); }
    QByteArray &Buffer() { return m_buffer; }
    bool Pass(bool last = false)
    {
        if (!last && m_buffer.size() < kPiece)
            return true;
        if (QIODevice *device = m_out.device()) {
            m_out.flush();
            if (device->write(m_buffer) != m_buffer.size())
                m_failed = true;
        } else {
            m_out << QString::fromUtf8(m_buffer);
        }
        m_buffer.resize(0);
        return !m_failed;
    }

private:
    static constexpr qsizetype kPiece = 1 << 20;
    QTextStream &m_out;
    QByteArray m_buffer;
    bool m_failed = false;
};

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

    // Entry by entry from the file: memory stays small whatever the book's size.
    const QList<TKey> keys = EntryKeys();
    TJsonOut json(out);
    QByteArray &buffer = json.Buffer();
    buffer += "{\n    \"entries\": [\n";
    qint64 count = 0;
    bool written = true;
    TContactRecord header;
    const TBookFileError e = BookFile::ReadEach(path, header, [&](const char *bytes) {
        if (!written)
            return;
        if (count++ > 0)
            buffer += ",\n";
        AppendEntry(buffer, TContactRecord::FromBytes(bytes), keys);
        written = json.Pass();
    });
    if (e != TBookFileError::None) {
        PrintBookFileError(e, path, err);
        return 1;
    }
    if (count > 0)
        buffer += '\n';
    buffer += "    ],\n";
    buffer += Tail(path, TBookLabels::FromHeader(header));
    if (!written || !json.Pass(true)) {
        CliText::ReportOutputFailure(err);
        return 1;
    }
    return 0;
}

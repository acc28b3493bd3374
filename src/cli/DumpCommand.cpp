#include "cli/DumpCommand.h"

#include "book/BookFile.h"
#include "book/BookLabels.h"
#include "cli/ByteOutput.h"
#include "cli/CliSupport.h"
#include "session/Messages.h"
#include "util/Cp1250.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <cstring>

namespace {

// The JSON text of one Windows-1250 byte inside a string, escaped as Qt escapes it: at
// most six bytes ("\u0081").
struct TJsonByte
{
    char Text[7];
    char Size;
};

const std::array<TJsonByte, 256> &JsonBytes()
{
    static const std::array<TJsonByte, 256> table = [] {
        std::array<TJsonByte, 256> t {};
        for (int b = 0; b < 256; ++b) {
            const QString one = FromCp1250(QByteArray(1, char(b)));
            const QByteArray quoted = QJsonDocument(QJsonArray {one}).toJson(QJsonDocument::Compact);
            const QByteArray inside = quoted.mid(2, quoted.size() - 4); // inside ["..."]
            Q_ASSERT(inside.size() <= 7);
            std::memcpy(t[size_t(b)].Text, inside.constData(), size_t(inside.size()));
            t[size_t(b)].Size = char(inside.size());
        }
        return t;
    }();
    return table;
}

constexpr qsizetype kMaxJsonByte = 7;

char *PutBytes(char *d, QByteArrayView bytes)
{
    std::memcpy(d, bytes.data(), size_t(bytes.size()));
    return d + bytes.size();
}

// Needs room for 2 + kMaxJsonByte * size bytes.
char *PutString(char *d, QByteArrayView cp1250, const std::array<TJsonByte, 256> &table)
{
    *d++ = '"';
    for (const char c : cp1250) {
        const TJsonByte &j = table[static_cast<unsigned char>(c)];
        std::memcpy(d, j.Text, sizeof j.Text);
        d += j.Size;
    }
    *d++ = '"';
    return d;
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

// The most bytes one entry's JSON can take.
qsizetype MaxEntrySize(const QList<TKey> &keys)
{
    qsizetype size = 32;
    for (const TKey &key : keys) {
        const qsizetype value = key.Field == kNote ? kNoteSize : key.Field < 0 ? 0 : FieldInfo(key.Field).Capacity;
        size += key.Line.size() + 2 + kMaxJsonByte * value + 8;
    }
    return size;
}

void AppendEntry(QByteArray &out, TRecordView r, const QList<TKey> &keys, qsizetype maxSize)
{
    const auto &table = JsonBytes();
    const qsizetype at = out.size();
    out.resize(at + maxSize);
    char *d = out.data() + at;
    d = PutBytes(d, "        {\n");
    for (qsizetype k = 0; k < keys.size(); ++k) {
        const TKey &key = keys[k];
        d = PutBytes(d, key.Line);
        if (key.Field == kNote)
            d = PutString(d, r.NoteView(), table);
        else if (key.Field < 0)
            d = PutBytes(d, r.Flag(-key.Field) ? QByteArrayView("true") : QByteArrayView("false"));
        else
            d = PutString(d, r.TextView(EField(key.Field)), table);
        d = PutBytes(d, k + 1 < keys.size() ? QByteArrayView(",\n") : QByteArrayView("\n"));
    }
    d = PutBytes(d, "        }");
    out.resize(d - out.constData());
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
    const qsizetype maxEntry = MaxEntrySize(keys);
    TByteOutput json(out);
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
        AppendEntry(buffer, TRecordView(bytes), keys, maxEntry);
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

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
#include <vector>

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

// Whether none of eight bytes needs escaping or another encoding: printable ASCII other
// than '"' and '\'.
bool PlainWord(quint64 w)
{
    constexpr quint64 ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    const auto zeroIn = [&](quint64 x) { return (x - ones) & ~x & highs; };
    const quint64 control = (w - ones * 0x20) & ~w & highs; // a byte below 0x20
    const quint64 high = (w + ones * 0x01) | w; // 0x7f and above have the top bit here
    return !((control | (high & highs) | zeroIn(w ^ (ones * '"')) | zeroIn(w ^ (ones * '\\'))) & highs);
}

// Needs room for 2 + kMaxJsonByte * size bytes.
char *PutString(char *d, QByteArrayView cp1250, const std::array<TJsonByte, 256> &table)
{
    *d++ = '"';
    const char *s = cp1250.data();
    const char *const end = s + cp1250.size();
    while (s < end) {
        // Eight plain bytes at a time; any other run byte by byte through the table.
        quint64 word;
        if (end - s >= 8 && (std::memcpy(&word, s, 8), PlainWord(word))) {
            std::memcpy(d, s, 8);
            d += 8;
            s += 8;
            continue;
        }
        for (const char *stop = qMin(s + 8, end); s < stop; ++s) {
            const TJsonByte &j = table[static_cast<unsigned char>(*s)];
            std::memcpy(d, j.Text, sizeof j.Text);
            d += j.Size;
        }
    }
    *d++ = '"';
    return d;
}

// One entry's keys in the order a JSON object keeps them (sorted), each with its field.
constexpr int kNote = 1000;

// What an entry's JSON is made of: before each value the text that ends the one before
// and names its key, and the text that closes the entry.
struct TEntryLayout
{
    // No piece is longer: each goes out as one copy of this size, the cursor moving by
    // its own length (the output keeps the room).
    static constexpr qsizetype kPiece = 48;
    struct TKey
    {
        char Text[kPiece]; // `,\n            "Name": `; the first opens the entry
        qsizetype Size;
        int Field; // text field, kNote, or -flag
    };
    std::vector<TKey> Keys;
    QByteArray Close = "\n        }";
    qsizetype MaxSize = 0; // the most bytes one entry can take
};

TEntryLayout EntryLayout()
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
    TEntryLayout layout;
    layout.MaxSize = 32 + TEntryLayout::kPiece;
    for (const QString &k : all.keys()) {
        const QByteArray text = QByteArray(layout.Keys.empty() ? "        {\n" : ",\n") + QByteArray(12, ' ') + '"'
            + k.toUtf8() + "\": ";
        Q_ASSERT(text.size() <= TEntryLayout::kPiece);
        TEntryLayout::TKey key {};
        std::memcpy(key.Text, text.constData(), size_t(text.size()));
        key.Size = text.size();
        key.Field = field.value(k);
        layout.Keys.push_back(key);
        const qsizetype value = key.Field == kNote ? kNoteSize : key.Field < 0 ? 0 : FieldInfo(key.Field).Capacity;
        layout.MaxSize += key.Size + 2 + kMaxJsonByte * value + 8;
    }
    layout.MaxSize += layout.Close.size();
    return layout;
}

void AppendEntry(QByteArray &out, TRecordView r, const TEntryLayout &layout)
{
    const auto &table = JsonBytes();
    const qsizetype at = out.size();
    out.resize(at + layout.MaxSize);
    char *d = out.data() + at;
    for (const TEntryLayout::TKey &key : layout.Keys) {
        std::memcpy(d, key.Text, TEntryLayout::kPiece);
        d += key.Size;
        if (key.Field == kNote)
            d = PutString(d, r.NoteView(), table);
        else if (key.Field < 0)
            d = PutBytes(d, r.Flag(-key.Field) ? QByteArrayView("true") : QByteArrayView("false"));
        else
            d = PutString(d, r.TextView(EField(key.Field)), table);
    }
    d = PutBytes(d, layout.Close);
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

    // Entry by entry from the file: memory stays small whatever the book's size. (A map
    // of the file costs more here: one pass in book order, the copy into a block read
    // again and again is cheaper than reading pages fresh from memory.)
    const TEntryLayout layout = EntryLayout();
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
        AppendEntry(buffer, TRecordView(bytes), layout);
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

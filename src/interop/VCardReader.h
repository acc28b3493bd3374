#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringDecoder>

#include <cstring>
#include <memory>

class QIODevice;

struct TVCardProperty
{
    QByteArray Group; // "item1" of "item1.TEL", upper case
    QByteArray Name; // upper case
    QList<QPair<QByteArray, QString>> Params; // names upper case; 2.1's bare "HOME" as TYPE=HOME
    QString Value; // decoded (quoted-printable, charset), still escaped
    bool Binary = false; // base64 data (photos, keys): not text

    // The values of a parameter, split at commas, e.g. TYPE=home,cell.
    QStringList Param(const char *name) const;
    // The first of those values; empty when there is none.
    QStringView FirstParam(const char *name) const;
    bool HasType(const char *type) const;
    // The whole value of a parameter; false when the property has none.
    bool RawParam(const char *name, QString &value) const;
};

using TVCard = QList<TVCardProperty>;

// Whether a name or parameter name is `name`, whose length is known when compiled.
template <qsizetype N>
inline bool IsName(const QByteArray &text, const char (&name)[N])
{
    return text.size() == N - 1 && std::memcmp(text.constData(), name, N - 1) == 0;
}

// Reads the cards of a vCard stream one by one in a bounded buffer: a logical line is cut
// off at kMaxLine bytes, a card at kMaxProperties properties; what is cut, a line without
// a colon or a line outside a card is skipped and counted. Lines are parsed where they
// lie in the buffer; only a folded line is put together in a buffer of its own, and a
// card handed back again keeps the room of its properties for the next one.
class TVCardReader
{
public:
    static constexpr qsizetype kMaxLine = 1 << 18;
    static constexpr int kMaxProperties = 4096;
    static constexpr qsizetype kBlock = 1 << 18;

    // `block`: how much is read at a time (tests make it small to split lines anywhere).
    explicit TVCardReader(QIODevice &device, qsizetype block = kBlock);
    ~TVCardReader();

    // The next card; false at the end of the stream.
    bool Next(TVCard &card);
    qint64 BadLines() const { return m_bad; }
    // Photos too large for a line, skipped (not bad lines: the card is fine without).
    qint64 SkippedPhotos() const { return m_photos; }
    bool ReadFailed() const { return m_failed; }
    // Whether the stream ended inside a card (the last card handed back was cut short).
    bool EndedInCard() const { return m_endedInCard; }
    // Whether a content line is a PHOTO property ("PHOTO;…", "item1.photo:…").
    static bool IsPhoto(QByteArrayView line);

    // Where an unfolded line's value starts: the colon that ends its name and parameters
    // (not one inside a parameter's value); -1 when there is none.
    static qsizetype ValueStart(QByteArrayView line);
    // One unfolded line into a property; false for a line that is none.
    static bool ParseLine(QByteArrayView line, TVCardProperty &p);
    static bool ParseLine(const QByteArray &line, TVCardProperty &p) { return ParseLine(QByteArrayView(line), p); }
    // Splits at unescaped `sep` and removes the escapes.
    static QStringList SplitValue(const QString &value, QChar sep);
    static QString Unescape(const QString &value);

private:
    // A stretch of the stream by its offsets from the stream's start.
    struct TSpan
    {
        qint64 Start = 0, End = 0;
    };

    // Reads the next block behind what is still needed (UTF-16 turned into UTF-8, a
    // byte-order mark dropped); false at the end.
    bool Fill();
    bool PhysicalLine(TSpan &line);
    bool LogicalLine(QByteArrayView &line);
    QByteArrayView View(TSpan s) const
    {
        return s.End == s.Start ? QByteArrayView() : QByteArrayView(m_buffer.constData() + (s.Start - m_base), s.End - s.Start);
    }

    QIODevice &m_d;
    const qsizetype m_block;
    QByteArray m_buffer;
    qint64 m_base = 0; // the stream offset of the buffer's first byte
    qint64 m_pos = 0; // of the next byte not yet read as a line
    qint64 m_keep = 0; // what a fill must keep: from here on
    bool m_started = false;
    bool m_atEnd = false;
    std::unique_ptr<QStringDecoder> m_utf16;
    TSpan m_pending;
    bool m_hasPending = false;
    // Whether the last physical line, or the pending one, was cut for its length.
    bool m_cut = false;
    bool m_pendingCut = false;
    // The first line of a logical line while its continuations are looked for; a fill
    // copies it into m_line rather than keeping it.
    TSpan m_first;
    bool m_holdingFirst = false;
    QByteArray m_line; // a line put together from its folds
    QByteArray m_head; // the start of an overlong line, to tell a photo
    QList<TVCardProperty> m_spare; // properties kept for their room
    qint64 m_bad = 0;
    qint64 m_photos = 0;
    bool m_failed = false;
    bool m_endedInCard = false;
};

#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringDecoder>

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
    bool HasType(const char *type) const;
    // The whole value of a parameter; false when the property has none.
    bool RawParam(const char *name, QString &value) const;
};

using TVCard = QList<TVCardProperty>;

// Reads the cards of a vCard stream one by one in a bounded buffer: a logical line is cut
// off at kMaxLine bytes, a card at kMaxProperties properties; what is cut, a line without
// a colon or a line outside a card is skipped and counted.
class TVCardReader
{
public:
    static constexpr qsizetype kMaxLine = 1 << 18;
    static constexpr int kMaxProperties = 4096;

    explicit TVCardReader(QIODevice &device);
    ~TVCardReader();

    // The next card; false at the end of the stream.
    bool Next(TVCard &card);
    qint64 BadLines() const { return m_bad; }
    // Photos too large for a line, skipped (not bad lines: the card is fine without).
    qint64 SkippedPhotos() const { return m_photos; }
    bool ReadFailed() const { return m_failed; }
    // Whether a content line is a PHOTO property ("PHOTO;…", "item1.photo:…").
    static bool IsPhoto(QByteArrayView line);

    // One unfolded line into a property; false for a line that is none.
    static bool ParseLine(const QByteArray &line, TVCardProperty &p);
    // Splits at unescaped `sep` and removes the escapes.
    static QStringList SplitValue(const QString &value, QChar sep);
    static QString Unescape(const QString &value);

private:
    // Reads the next block into the buffer (UTF-16 turned into UTF-8, a byte-order mark
    // dropped); false at the end.
    bool Fill();
    bool PhysicalLine(QByteArray &line);
    bool LogicalLine(QByteArray &line);

    QIODevice &m_d;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_started = false;
    bool m_atEnd = false;
    std::unique_ptr<QStringDecoder> m_utf16;
    QByteArray m_pending;
    bool m_hasPending = false;
    qint64 m_bad = 0;
    qint64 m_photos = 0;
    bool m_failed = false;
};

#pragma once

#include "book/BookLabels.h"
#include "interop/InteropFormat.h"
#include "util/ByteAppender.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QStringList>

#include <array>

// The bytes of one export format, entry by entry, so a book of any size is written in a
// small buffer: the start of the file, one piece per entry, the end. Pure: no file, no
// clock (the options carry the stamp).
class TFormatWriter
{
public:
    TFormatWriter(const TBookLabels &labels, const TExportOptions &options);
    TFormatWriter(const TFormatWriter &) = delete;
    TFormatWriter &operator=(const TFormatWriter &) = delete;

    void Begin(QByteArray &out) const;
    // Appends the entry's card, row or events; returns how many items that made.
    int Entry(QByteArray &out, TRecordView r) const;
    void End(QByteArray &out) const;

    // The header of the Google and Outlook tables.
    static QStringList CsvHeader(TInteropFormat format);

    // Dates the calendar left out because they name no day ("31.02.1990", "32.13.").
    qint64 SkippedDates() const { return m_skippedDates; }

private:
    int VCard(QByteArray &out, TRecordView r) const;
    int CsvGoogle(QByteArray &out, TRecordView r) const;
    int CsvOutlook(QByteArray &out, TRecordView r) const;
    int Events(QByteArray &out, TRecordView r) const;
    // One table row of UTF-8 cells, in the file's encoding.
    void CsvRow(QByteArray &out, size_t count) const;
    void AppendRow(TByteAppender &row, size_t count) const;
    bool IsCompany(TRecordView r) const;
    // The captions of the entry's set flags with `separator` between; false for none.
    bool AppendFlags(TByteAppender &out, TRecordView r, const char *separator, bool escaped) const;

    const TBookLabels &m_labels;
    TExportOptions m_o;
    // What the captions say, worked out once for the whole file.
    std::array<unsigned, 9> m_phoneKinds {};
    std::array<unsigned, 3> m_addressKinds {};
    // Trimmed captions in UTF-8; escaped for a content line.
    std::array<QByteArray, 9> m_phoneCaptions, m_phoneLabels;
    std::array<QByteArray, 3> m_addressCaptions, m_addressLabels;
    std::array<bool, 9> m_phoneLabelled {};
    std::array<bool, 3> m_addressLabelled {};
    std::array<QByteArray, 9> m_phoneTypes;
    std::array<QByteArray, 3> m_addressTypes;
    std::array<QByteArray, 10> m_flags, m_flagsEscaped;
    unsigned m_firmFlags = 0; // the flags captioned "Firma"
    QByteArray m_ownDigits, m_stamp;
    // Reused for every entry, so a row or a line costs no allocation.
    mutable QByteArray m_line, m_id;
    mutable QCryptographicHash m_hash {QCryptographicHash::Sha1};
    mutable std::array<TByteBuffer, 64> m_cells;
    mutable qint64 m_skippedDates = 0;
};

namespace ContentLine {
// Backslash, comma, semicolon and line breaks escaped for a text value.
QString Escape(const QString &text);
// One content line, UTF-8, ended by CR LF and folded at 75 octets without splitting a
// character.
void Append(QByteArray &out, QByteArrayView line);
void Append(TByteAppender &out, QByteArrayView line);
} // namespace ContentLine

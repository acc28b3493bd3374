#pragma once

#include "exchange/ImportTypes.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <vector>

// A read-only reader of Paradox tables (.DB) and their memo files (.MB). It trusts nothing
// in the files: every offset and count is checked against the file's size before use, each
// walk is bounded by the file, and a memo is read only as far as the caller wants it.
class TParadoxTable
{
public:
    enum EType : quint8 {
        Alpha = 0x01,
        Memo = 0x0C,
        Blob = 0x0D,
        FormattedMemo = 0x0E,
        Ole = 0x0F,
        Graphic = 0x10,
    };

    struct TField
    {
        QByteArray Name;
        quint8 Type = 0;
        int Size = 0;
        int Offset = 0; // within a record
    };

    TParadoxTable();
    ~TParadoxTable();

    // Reads and checks the header; Missing, Open or None.
    TImportError Open(const QString &path);

    const std::vector<TField> &Fields() const { return m_fields; }
    // The field of that name (case does not matter), or -1.
    int FieldIndex(QByteArrayView name) const;
    int CodePage() const { return m_codePage; }
    qint64 RecordCountHint() const { return m_recordCount; }

    // Calls `row` with each record in the order of the data blocks; Read when a block or a
    // record is damaged or the blocks hold fewer rows than the header counts, TooLarge past
    // kMaxImportEntries rows.
    TImportError ForEachRow(const std::function<bool(const char *record)> &row);

    // An alpha field of a record in Windows-1250, up to its first zero byte.
    QByteArray Text(const char *record, int field) const;
    // A memo field in Windows-1250, at most `limit` bytes of it; false when its data in the
    // memo file cannot be found or does not fit there.
    bool MemoText(const char *record, int field, qsizetype limit, QByteArray &out);

    // The table's characters in Windows-1250.
    QByteArray ToCp1250(QByteArrayView raw) const;

private:
    bool ReadAt(QFile &file, qint64 offset, char *to, qint64 size);
    bool OpenMemoFile();

    QString m_path;
    QFile m_file;
    QFile m_memo;
    bool m_memoTried = false;
    qint64 m_size = 0;
    qint64 m_memoSize = 0;
    int m_recordSize = 0;
    int m_headerSize = 0;
    int m_blockSize = 0;
    int m_firstBlock = 0;
    int m_fileBlocks = 0;
    qint64 m_recordCount = 0;
    int m_codePage = 0;
    std::array<unsigned char, 256> m_toCp1250 {};
    std::vector<TField> m_fields;
};

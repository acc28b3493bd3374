#pragma once

#include "book/BookFile.h"

#include <QByteArray>
#include <QFile>

// A book file seen in place for commands that only read it: the records are the file's own
// pages, so a book of any size costs no copy of itself (reading 210 MB into fresh memory
// costs several times what mapping the cached file does). Where the file cannot be mapped
// its bytes are read into memory instead. The same files are refused as by ReadEach.
class TBookMap
{
public:
    TBookFileError Open(const QString &path);

    const TContactRecord &Header() const { return m_header; }
    qsizetype RecordCount() const { return m_count; }
    // kRecordSize bytes of the record at book position `i`.
    const char *RecordBytes(qsizetype i) const { return m_records + i * kRecordSize; }
    QByteArrayView Name(qsizetype i) const { return TRecordView(RecordBytes(i)).NameView(); }
    // The record at `i` copied into `into`, for code that works on whole records.
    void CopyRecord(qsizetype i, TContactRecord &into) const;

private:
    QFile m_file;
    QByteArray m_read; // when mapping failed
    const char *m_records = nullptr;
    qsizetype m_count = 0;
    TContactRecord m_header;
};

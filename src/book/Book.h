#pragma once

#include "book/BookLabels.h"
#include "book/ContactRecord.h"

#include <QByteArrayView>
#include <QHash>

#include <memory>
#include <vector>

// The contents of one book file: its entries in book order, the captions of its header
// and an index of the entry names.
class TBook
{
public:
    TBook();
    ~TBook();
    TBook(const TBook &) = delete;
    TBook &operator=(const TBook &) = delete;

    TBookLabels Labels;

    qsizetype RecordCount() const { return qsizetype(m_records.size()); }
    TContactRecord &Record(qsizetype i) { return *m_records[size_t(i)]; }
    const TContactRecord &Record(qsizetype i) const { return *m_records[size_t(i)]; }
    // Book position of a record held by this book, -1 for any other.
    qsizetype IndexOf(const TContactRecord *r) const;

    TContactRecord &AppendRecord(const TContactRecord &r);
    // A cleared record at book position `at` (0..RecordCount()).
    TContactRecord &InsertRecord(qsizetype at);
    void RemoveRecord(qsizetype at);
    void DiscardRecords();
    // Exchanges the entries (not the captions) with another book, e.g. one just read.
    void SwapRecords(TBook &other);
    // Moves the entries of another book (e.g. one just read) behind these, none copied;
    // the other book is left empty.
    void TakeRecords(TBook &other);

    // The first record in book order with this exact name, or null.
    TContactRecord *FindByName(QByteArrayView name);
    // How many records carry this exact name.
    qsizetype CountByName(QByteArrayView name);
    // Call after changing a record's name outside these methods.
    void NamesChanged() { m_indexValid = false; }

private:
    void RebuildIndex();

    std::vector<std::unique_ptr<TContactRecord>> m_records;

    struct TNameEntry
    {
        TContactRecord *First = nullptr;
        qsizetype Count = 0;
    };
    QHash<QByteArray, TNameEntry> m_index;
    bool m_indexValid = false;
};

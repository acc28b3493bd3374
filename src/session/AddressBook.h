#pragma once

#include "book/BookLabels.h"
#include "book/ContactRecord.h"
#include "session/NameList.h"
#include "session/DisplayMask.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

class IPrompt;

// The one open book: records in book order, the list of names that shows them, the
// current record and the state flags.
class TAddressBook : public QObject
{
    Q_OBJECT

public:
    explicit TAddressBook(IPrompt &prompt, QObject *parent = nullptr);
    ~TAddressBook() override;

    // Records in book order.
    qsizetype RecordCount() const { return qsizetype(m_records.size()); }
    TContactRecord &Record(qsizetype i) { return *m_records[size_t(i)]; }
    const TContactRecord &Record(qsizetype i) const { return *m_records[size_t(i)]; }
    qsizetype IndexOf(const TContactRecord *r) const;

    TContactRecord *Current = nullptr;
    qsizetype CurrentIndex = 0;
    qsizetype ListedCount = 0;
    QString FileName;
    TBookLabels Labels;
    bool IsOpen = false;
    bool Changed = false;
    bool RecordEdited = false;
    bool FieldsLive = true;
    bool FirstNameEdited = false;

    TNameList List;
    TDisplayMask Mask;

    static void ClearRecord(TContactRecord &r) { r.Clear(); }
    void DiscardRecords();
    TContactRecord &AppendRecord(const TContactRecord &r);
    TContactRecord &InsertAfterCurrent();
    void RemoveCurrent();
    // Takes over the records of another book (used to swap in a book read elsewhere).
    void TakeRecords(TAddressBook &other);
    void MakeCurrent(qsizetype recordIndex) { Current = m_records.empty() ? nullptr : m_records[size_t(recordIndex)].get(); }

    // Makes the first record named by list item `index` current; on a miss reports the
    // lookup error and makes the first record current at list position 0.
    bool FindRecordForListItem(qsizetype index);
    // The list with the names of all records, or of those the mask lets through while it is on.
    void RefillList();
    void RefillListWithMask();

    // The first record in book order with this exact name, or null.
    TContactRecord *FindByName(QByteArrayView name);
    // How many records carry this exact name.
    qsizetype CountByName(QByteArrayView name);
    // Call after changing a record's name outside these methods.
    void NamesChanged() { m_indexValid = false; }

    QStringList StatusTexts() const;
    void UpdateStatusBar();
    void ReportError(const QString &text);

    IPrompt &Prompt() { return m_prompt; }

signals:
    void StatusChanged(const QStringList &panels);

private:
    void RebuildIndex();
    void Refill(bool masked);

    IPrompt &m_prompt;
    std::vector<std::unique_ptr<TContactRecord>> m_records;

    struct TNameEntry
    {
        TContactRecord *First = nullptr;
        qsizetype Count = 0;
    };
    QHash<QByteArray, TNameEntry> m_index;
    bool m_indexValid = false;
};

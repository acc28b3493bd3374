#pragma once

#include "book/Book.h"
#include "session/DisplayMask.h"
#include "session/NameList.h"

#include <QObject>
#include <QStringList>

class IPrompt;

// The one open book: the entries of its file, the list of names that shows them, the
// current entry and its list position, and whether the book is open and changed.
class TAddressBook : public QObject, public TBook
{
    Q_OBJECT

public:
    explicit TAddressBook(IPrompt &prompt, QObject *parent = nullptr);
    ~TAddressBook() override;

    TContactRecord *Current = nullptr;
    qsizetype CurrentIndex = 0;
    qsizetype ListedCount = 0;
    QString FileName;
    bool IsOpen = false;
    bool Changed = false;

    TNameList List;
    TDisplayMask Mask;

    void DiscardRecords();
    // Takes over the entries of a book read elsewhere (`fresh` is left empty); a book
    // without entries gets one empty entry, as a new book has. The first entry is current.
    void ReplaceRecords(TBook &fresh);
    TContactRecord &InsertAfterCurrent();
    void RemoveCurrent();
    void MakeCurrent(qsizetype recordIndex) { Current = RecordCount() == 0 ? nullptr : &Record(recordIndex); }

    // The record list line `row` stands for, or null. Lines and records are paired by
    // name; where k lines carry one name, the k-th of them stands for the k-th record of
    // that name (the ones the mask lets through first, each in book order). The line " "
    // of an added entry never named stands for a record without a name.
    TContactRecord *RecordOfLine(qsizetype row);
    // The records of every line, in list order, by the same pairing; one pass over the
    // book, for the walks over the listed entries (bulk change, reports, export).
    QList<TContactRecord *> ListedRecords();

    // Makes the record of list item `index` current; on a miss reports the lookup error
    // and makes the first record current at list position 0.
    bool FindRecordForListItem(qsizetype index);
    // The list with the names of all records, or of those the mask lets through while it is on.
    void RefillList();
    void RefillListWithMask();

    QStringList StatusTexts() const;
    void UpdateStatusBar();
    void ReportError(const QString &text);

signals:
    void StatusChanged(const QStringList &panels);

private:
    void Refill(bool masked);
    // The name a list line looks records up by.
    QByteArray NameOfLine(const QByteArray &line);
    // Whether `r` comes first when lines and records of one name are paired.
    bool PairsFirst(const TContactRecord &r) const { return !Mask.Active || Mask.Matches(r); }

    IPrompt &m_prompt;
};

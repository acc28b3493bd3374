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
    TContactRecord &InsertAfterCurrent();
    void RemoveCurrent();
    void MakeCurrent(qsizetype recordIndex) { Current = RecordCount() == 0 ? nullptr : &Record(recordIndex); }

    // Makes the first record named by list item `index` current; on a miss reports the
    // lookup error and makes the first record current at list position 0.
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

    IPrompt &m_prompt;
};

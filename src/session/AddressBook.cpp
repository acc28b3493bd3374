#include "session/AddressBook.h"

#include "session/Messages.h"
#include "session/Prompt.h"
#include "util/CzechPlural.h"

#include <QHash>

#include <vector>

TAddressBook::TAddressBook(IPrompt &prompt, QObject *parent) : QObject(parent), m_prompt(prompt)
{
    FileName = Msg::Unnamed();
}

TAddressBook::~TAddressBook() = default;

void TAddressBook::DiscardRecords()
{
    TBook::DiscardRecords();
    Current = nullptr;
    ListedCount = 0;
}

void TAddressBook::ReplaceRecords(TBook &fresh)
{
    DiscardRecords();
    SwapRecords(fresh);
    if (RecordCount() == 0)
        AppendRecord(TContactRecord());
    MakeCurrent(0);
    ListedCount = RecordCount();
}

TContactRecord &TAddressBook::InsertAfterCurrent()
{
    const qsizetype at = Current ? IndexOf(Current) + 1 : RecordCount();
    Current = &InsertRecord(at);
    ++ListedCount;
    ++CurrentIndex;
    return *Current;
}

void TAddressBook::RemoveCurrent()
{
    const qsizetype at = IndexOf(Current);
    if (at < 0)
        return;
    RemoveRecord(at);
    Current = RecordCount() == 0 ? nullptr : &Record(qMin(at, RecordCount() - 1));
    if (ListedCount > 0)
        --ListedCount;
}

QByteArray TAddressBook::NameOfLine(const QByteArray &line)
{
    static const QByteArray unnamed(" ");
    return line == unnamed && CountByName(unnamed) == 0 ? QByteArray() : line;
}

TContactRecord *TAddressBook::RecordOfLine(qsizetype row)
{
    if (row < 0 || row >= List.Count())
        return nullptr;
    const QByteArray name = NameOfLine(List.At(row));
    const qsizetype count = CountByName(name);
    if (count <= 1)
        return count == 1 ? FindByName(name) : nullptr;
    qsizetype k = 0;
    for (qsizetype i = 0; i < row; ++i) {
        if (NameOfLine(List.At(i)) == name)
            ++k;
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (qsizetype i = 0; i < RecordCount(); ++i) {
            TContactRecord &r = Record(i);
            if (r.NameView() == name && PairsFirst(r) == (pass == 0) && k-- == 0)
                return &r;
        }
    }
    return nullptr;
}

QList<TContactRecord *> TAddressBook::ListedRecords()
{
    // The rows of one name chained in list order; the records then fill them in pairing
    // order (those the mask passes first, then the rest, each in book order). So the
    // records are read one after another, and only the names of the list are looked up:
    // hash keys are views of the list's own names, nothing is copied per entry.
    const QList<QByteArray> &lines = List.Names();
    static const QByteArray unnamed(" ");
    struct TRows
    {
        qsizetype Next = -1, Last = -1;
    };
    std::vector<qsizetype> after(size_t(lines.size()), -1);
    QHash<QByteArrayView, TRows> rows;
    rows.reserve(lines.size());
    for (qsizetype row = 0; row < lines.size(); ++row) {
        QByteArrayView key = lines[row];
        if (key == unnamed && NameOfLine(lines[row]).isEmpty())
            key = QByteArrayView("");
        TRows &r = rows[key];
        if (r.Last < 0)
            r.Next = row;
        else
            after[size_t(r.Last)] = row;
        r.Last = row;
    }
    QList<TContactRecord *> listed(lines.size(), nullptr);
    const auto take = [&](TContactRecord &record) {
        const auto it = rows.find(record.NameView());
        if (it == rows.end() || it->Next < 0)
            return;
        listed[it->Next] = &record;
        it->Next = after[size_t(it->Next)];
    };
    std::vector<TContactRecord *> later;
    for (qsizetype i = 0; i < RecordCount(); ++i) {
        TContactRecord &r = Record(i);
        if (PairsFirst(r))
            take(r);
        else
            later.push_back(&r);
    }
    for (TContactRecord *r : later)
        take(*r);
    return listed;
}

bool TAddressBook::FindRecordForListItem(qsizetype index)
{
    TContactRecord *hit = RecordOfLine(index);
    if (hit) {
        Current = hit;
        return true;
    }
    ReportError(Msg::LookupFailed());
    MakeCurrent(0);
    CurrentIndex = 0;
    return false;
}

void TAddressBook::RefillList()
{
    Refill(false);
}

void TAddressBook::RefillListWithMask()
{
    Refill(true);
}

void TAddressBook::Refill(bool masked)
{
    QList<QByteArray> names;
    names.reserve(RecordCount());
    for (qsizetype i = 0; i < RecordCount(); ++i) {
        if (!masked || Mask.Matches(Record(i)))
            names.append(Record(i).Name());
    }
    ListedCount = names.size();
    List.Fill(std::move(names));
    CurrentIndex = 0;
    // With nothing listed there is no line to look up; the first record stays current
    // without a false lookup error.
    if (List.Count() == 0)
        MakeCurrent(0);
    else
        FindRecordForListItem(0);
    List.Select(0);
}

QStringList TAddressBook::StatusTexts() const
{
    QString count = CzechCount(ListedCount, "záznam", "záznamy", "záznamů");
    if (Mask.Active)
        count += QStringLiteral(" (maska)");
    return {FileName, count, Changed ? Msg::Changed() : QString(), QStringLiteral("/")};
}

void TAddressBook::UpdateStatusBar()
{
    emit StatusChanged(StatusTexts());
}

void TAddressBook::ReportError(const QString &text)
{
    m_prompt.Hlaska(text, THlaskaKind::Chyba);
}

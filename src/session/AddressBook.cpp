#include "session/AddressBook.h"

#include "session/Messages.h"
#include "session/Prompt.h"

TAddressBook::TAddressBook(IPrompt &prompt, QObject *parent) : QObject(parent), m_prompt(prompt)
{
    FileName = Msg::Unnamed();
}

TAddressBook::~TAddressBook() = default;

qsizetype TAddressBook::IndexOf(const TContactRecord *r) const
{
    for (size_t i = 0; i < m_records.size(); ++i) {
        if (m_records[i].get() == r)
            return qsizetype(i);
    }
    return -1;
}

void TAddressBook::DiscardRecords()
{
    m_records.clear();
    Current = nullptr;
    ListedCount = 0;
    m_indexValid = false;
}

TContactRecord &TAddressBook::AppendRecord(const TContactRecord &r)
{
    m_records.push_back(std::make_unique<TContactRecord>(r));
    m_indexValid = false;
    return *m_records.back();
}

TContactRecord &TAddressBook::InsertAfterCurrent()
{
    const qsizetype at = Current ? IndexOf(Current) + 1 : RecordCount();
    auto it = m_records.insert(m_records.begin() + at, std::make_unique<TContactRecord>());
    Current = it->get();
    ++ListedCount;
    ++CurrentIndex;
    m_indexValid = false;
    return *Current;
}

void TAddressBook::RemoveCurrent()
{
    const qsizetype at = IndexOf(Current);
    if (at < 0)
        return;
    m_records.erase(m_records.begin() + at);
    Current = m_records.empty() ? nullptr : m_records[size_t(qMin(at, RecordCount() - 1))].get();
    if (ListedCount > 0)
        --ListedCount;
    m_indexValid = false;
}

void TAddressBook::TakeRecords(TAddressBook &other)
{
    m_records = std::move(other.m_records);
    other.m_records.clear();
    Current = m_records.empty() ? nullptr : m_records.front().get();
    m_indexValid = false;
    other.m_indexValid = false;
    other.Current = nullptr;
}

void TAddressBook::RebuildIndex()
{
    m_index.clear();
    m_index.reserve(qsizetype(m_records.size()));
    for (const auto &r : m_records) {
        TNameEntry &e = m_index[r->Name()];
        if (!e.First)
            e.First = r.get();
        ++e.Count;
    }
    m_indexValid = true;
}

TContactRecord *TAddressBook::FindByName(QByteArrayView name)
{
    if (!m_indexValid)
        RebuildIndex();
    auto it = m_index.constFind(name.toByteArray());
    if (it == m_index.constEnd())
        return nullptr;
    // A rename that bypassed NamesChanged() must not hand out the wrong entry.
    if (it->First->NameView() != name) {
        RebuildIndex();
        it = m_index.constFind(name.toByteArray());
        return it == m_index.constEnd() ? nullptr : it->First;
    }
    return it->First;
}

qsizetype TAddressBook::CountByName(QByteArrayView name)
{
    if (!m_indexValid)
        RebuildIndex();
    auto it = m_index.constFind(name.toByteArray());
    return it == m_index.constEnd() ? 0 : it->Count;
}

bool TAddressBook::FindRecordForListItem(qsizetype index)
{
    TContactRecord *hit = nullptr;
    if (index >= 0 && index < List.Count())
        hit = FindByName(List.At(index));
    if (hit) {
        Current = hit;
        return true;
    }
    ReportError(Msg::LookupFailed());
    Current = m_records.empty() ? nullptr : m_records.front().get();
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
    for (const auto &r : m_records) {
        if (!masked || Mask.Matches(*r))
            names.append(r->Name());
    }
    ListedCount = names.size();
    List.Fill(std::move(names));
    CurrentIndex = 0;
    // With nothing listed there is no line to look up; the first record stays current
    // without a false lookup error.
    if (List.Count() == 0)
        Current = m_records.empty() ? nullptr : m_records.front().get();
    else
        FindRecordForListItem(0);
    List.Select(0);
}

QStringList TAddressBook::StatusTexts() const
{
    QString count = QString::number(ListedCount) + QString::fromUtf8(" záznamů");
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

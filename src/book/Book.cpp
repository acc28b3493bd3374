#include "book/Book.h"

TBook::TBook() = default;
TBook::~TBook() = default;

qsizetype TBook::IndexOf(const TContactRecord *r) const
{
    for (size_t i = 0; i < m_records.size(); ++i) {
        if (m_records[i].get() == r)
            return qsizetype(i);
    }
    return -1;
}

TContactRecord &TBook::AppendRecord(const TContactRecord &r)
{
    m_records.push_back(std::make_unique<TContactRecord>(r));
    m_indexValid = false;
    return *m_records.back();
}

TContactRecord &TBook::InsertRecord(qsizetype at)
{
    auto it = m_records.insert(m_records.begin() + at, std::make_unique<TContactRecord>());
    m_indexValid = false;
    return **it;
}

void TBook::RemoveRecord(qsizetype at)
{
    m_records.erase(m_records.begin() + at);
    m_indexValid = false;
}

void TBook::DiscardRecords()
{
    m_records.clear();
    m_indexValid = false;
}

void TBook::SwapRecords(TBook &other)
{
    m_records.swap(other.m_records);
    m_indexValid = false;
    other.m_indexValid = false;
}

void TBook::TakeRecords(TBook &other)
{
    if (&other == this)
        return;
    m_records.reserve(m_records.size() + other.m_records.size());
    for (auto &r : other.m_records)
        m_records.push_back(std::move(r));
    other.m_records.clear();
    m_indexValid = false;
    other.m_indexValid = false;
}

void TBook::RebuildIndex()
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

TContactRecord *TBook::FindByName(QByteArrayView name)
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

qsizetype TBook::CountByName(QByteArrayView name)
{
    if (!m_indexValid)
        RebuildIndex();
    auto it = m_index.constFind(name.toByteArray());
    return it == m_index.constEnd() ? 0 : it->Count;
}

#include "session/NameList.h"

#include "session/ListCollation.h"
#include "util/Cp1250.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

// A name's byte key in the shared buffer, with its first sixteen bytes as two numbers
// (zero bytes after a shorter key: key bytes are never zero), so that names sharing a
// surname mostly compare without reading the buffer.
struct TKeyRef
{
    quint64 Head;
    quint64 Next;
    quint32 Start;
    quint32 Size;
    qsizetype Entry;
};

quint64 Word(const unsigned char *key, qsizetype from, qsizetype size)
{
    quint64 word = 0;
    for (qsizetype i = from; i < from + 8; ++i)
        word = (word << 8) | (i < size ? key[i] : 0u);
    return word;
}

// The order by byte keys, or empty when a name holds a byte they do not cover: then the
// whole sort goes to the collator, never a mix of both kinds of key.
std::vector<qsizetype> ByteKeyOrder(qsizetype count, const std::function<QByteArrayView(qsizetype)> &name)
{
    if (!ListCollation::ByteKeysUsable())
        return {};
    std::vector<unsigned char> keys(size_t(count) * 24 + 64);
    std::vector<TKeyRef> refs(static_cast<size_t>(count));
    size_t used = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const QByteArrayView n = name(i);
        const size_t room = size_t(ListCollation::KeyRoom(n.size()));
        if (keys.size() - used < room)
            keys.resize(std::max(keys.size() * 2, used + room));
        unsigned char *key = keys.data() + used;
        const qsizetype size = ListCollation::PutKey(n, key);
        if (size < 0)
            return {};
        refs[size_t(i)] = {Word(key, 0, size), Word(key, 8, size), quint32(used), quint32(size), i};
        used += size_t(size);
    }
    const unsigned char *base = keys.data();
    // Equal keys keep the given order: the entry decides last.
    std::sort(refs.begin(), refs.end(), [base](const TKeyRef &a, const TKeyRef &b) {
        if (a.Head != b.Head)
            return a.Head < b.Head;
        if (a.Next != b.Next)
            return a.Next < b.Next;
        if (a.Size > 16 || b.Size > 16) {
            const quint32 common = std::min(a.Size, b.Size);
            if (common > 16) {
                if (const int c = std::memcmp(base + a.Start + 16, base + b.Start + 16, common - 16))
                    return c < 0;
            }
            if (a.Size != b.Size)
                return a.Size < b.Size;
        }
        return a.Entry < b.Entry;
    });
    std::vector<qsizetype> order(static_cast<size_t>(count));
    for (size_t i = 0; i < refs.size(); ++i)
        order[i] = refs[i].Entry;
    return order;
}

} // namespace

std::vector<qsizetype> CollatorListOrder(qsizetype count, const std::function<QByteArrayView(qsizetype)> &name)
{
    const QCollator collator = ListCollation::Collator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(count));
    QString text; // one buffer for every name
    for (qsizetype i = 0; i < count; ++i) {
        const QByteArrayView n = name(i);
        text.resize(n.size());
        QChar *to = text.data();
        for (qsizetype k = 0; k < n.size(); ++k)
            to[k] = QChar(Cp1250ToUnicode(static_cast<unsigned char>(n[k])));
        keys.push_back(collator.sortKey(text));
    }
    std::vector<qsizetype> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    return order;
}

std::vector<qsizetype> ListOrder(qsizetype count, const std::function<QByteArrayView(qsizetype)> &name)
{
    std::vector<qsizetype> order = ByteKeyOrder(count, name);
    if (qsizetype(order.size()) == count && count > 0)
        return order;
    return CollatorListOrder(count, name);
}

TNameList::TNameList(QObject *parent) : QAbstractListModel(parent) {}

void TNameList::Clear()
{
    beginResetModel();
    m_names.clear();
    m_selected = -1;
    endResetModel();
}

void TNameList::Fill(QList<QByteArray> names)
{
    const std::vector<qsizetype> order = ListOrder(names.size(), [&](qsizetype i) { return QByteArrayView(names[i]); });
    QList<QByteArray> sorted;
    sorted.reserve(names.size());
    for (qsizetype i : order)
        sorted.append(std::move(names[i]));
    beginResetModel();
    m_names = std::move(sorted);
    m_selected = -1;
    endResetModel();
}

void TNameList::Insert(qsizetype row, const QByteArray &name)
{
    row = std::clamp<qsizetype>(row, 0, m_names.size());
    beginInsertRows({}, int(row), int(row));
    m_names.insert(row, name);
    endInsertRows();
}

void TNameList::Replace(qsizetype row, const QByteArray &name)
{
    if (row < 0 || row >= m_names.size() || m_names[row] == name)
        return;
    m_names[row] = name;
    emit dataChanged(index(int(row)), index(int(row)));
}

void TNameList::Remove(qsizetype row)
{
    if (row < 0 || row >= m_names.size())
        return;
    beginRemoveRows({}, int(row), int(row));
    m_names.removeAt(row);
    endRemoveRows();
    if (m_selected >= m_names.size())
        m_selected = m_names.size() - 1;
}

void TNameList::Resort()
{
    QList<QByteArray> names = m_names;
    Fill(std::move(names));
}

void TNameList::Select(qsizetype row)
{
    m_selected = (row >= 0 && row < m_names.size()) ? row : -1;
    emit SelectionRequested(m_selected);
}

int TNameList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant TNameList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_names.size())
        return {};
    if (role == Qt::DisplayRole)
        return FromCp1250(m_names[index.row()]);
    return {};
}

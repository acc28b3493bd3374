#include "session/NameList.h"

#include "util/Cp1250.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <numeric>

TNameList::TNameList(QObject *parent) : QAbstractListModel(parent), m_collator(QLocale(QLocale::Czech, QLocale::CzechRepublic))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

void TNameList::SortNames(QList<QByteArray> &names) const
{
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const QByteArray &n : names)
        keys.push_back(m_collator.sortKey(FromCp1250(n)));
    std::vector<qsizetype> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return keys[a].compare(keys[b]) < 0; });
    QList<QByteArray> sorted;
    sorted.reserve(names.size());
    for (qsizetype i : order)
        sorted.append(std::move(names[i]));
    names = std::move(sorted);
}

void TNameList::Clear()
{
    beginResetModel();
    m_names.clear();
    m_selected = -1;
    endResetModel();
}

void TNameList::Fill(QList<QByteArray> names)
{
    SortNames(names);
    beginResetModel();
    m_names = std::move(names);
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

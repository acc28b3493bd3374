#include "session/NameList.h"

#include "util/Cp1250.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <numeric>

std::vector<qsizetype> ListOrder(qsizetype count, const std::function<QByteArrayView(qsizetype)> &name)
{
    QCollator collator(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
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

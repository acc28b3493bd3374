#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QCollator>
#include <QList>

#include <functional>
#include <vector>

// The positions 0..count-1 in list order: Czech case-insensitive collation of their names,
// equal keys in the given order. One sort for callers that keep entries, not names.
// Names made only of bytes the list collation's byte keys cover sort by those keys; a sort
// with any other name sorts all by the collator's own keys.
std::vector<qsizetype> ListOrder(qsizetype count, const std::function<QByteArrayView(qsizetype)> &name);
// The same order by the collator's keys alone.
std::vector<qsizetype> CollatorListOrder(qsizetype count, const std::function<QByteArrayView(qsizetype)> &name);

// The list of entry names beside the editor. Filling sorts by Czech case-insensitive
// collation; inserting or replacing at a position does not re-sort until asked.
class TNameList : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit TNameList(QObject *parent = nullptr);

    qsizetype Count() const { return m_names.size(); }
    const QByteArray &At(qsizetype row) const { return m_names[row]; }
    const QList<QByteArray> &Names() const { return m_names; }

    void Clear();
    // Replaces the contents with the names in sorted order; equal keys keep the given order.
    void Fill(QList<QByteArray> names);
    void Insert(qsizetype row, const QByteArray &name);
    void Replace(qsizetype row, const QByteArray &name);
    void Remove(qsizetype row);
    void Resort();

    // The row the view should show selected; -1 for none.
    qsizetype Selected() const { return m_selected; }
    void Select(qsizetype row);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

signals:
    void SelectionRequested(qsizetype row);

private:
    QList<QByteArray> m_names;
    qsizetype m_selected = -1;
};

#pragma once

#include <QStyledItemDelegate>

// The name list's lines. With uniform item sizes the list measures a single line, its
// last, and takes that width for all: a short last name left longer ones without a
// horizontal scroll bar. Every line is answered with the widest name's width instead.
class TWidestNameDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The names changed: the widest is looked for again when next asked.
    void Forget() { m_widestRow = -1; }

private:
    int FindWidest(const QStyleOptionViewItem &option, const QModelIndex &index) const;

    mutable int m_widestRow = -1;
};

#include "session/ui/WidestNameDelegate.h"

#include <QAbstractItemModel>

QSize TWidestNameDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QAbstractItemModel *model = index.model();
    if (!model)
        return QStyledItemDelegate::sizeHint(option, index);
    const int rows = model->rowCount(index.parent());
    if (m_widestRow < 0 || m_widestRow >= rows) {
        m_widestRow = index.row();
        int widest = -1;
        for (int r = 0; r < rows; ++r) {
            const int w = option.fontMetrics.horizontalAdvance(
                model->index(r, index.column(), index.parent()).data(Qt::DisplayRole).toString());
            if (w > widest) {
                widest = w;
                m_widestRow = r;
            }
        }
    }
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QModelIndex widest = model->index(m_widestRow, index.column(), index.parent());
    size.setWidth(qMax(size.width(), QStyledItemDelegate::sizeHint(option, widest).width()));
    return size;
}

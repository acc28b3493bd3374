#include "session/ui/NameListView.h"

#include <QKeyEvent>
#include <QMouseEvent>

TNameListView::TNameListView(QWidget *parent) : QListView(parent)
{
    setObjectName(QStringLiteral("ListBoxNazev"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setDragEnabled(false);
}

void TNameListView::SelectRow(qsizetype row)
{
    if (!model() || !selectionModel())
        return;
    if (row < 0 || row >= model()->rowCount()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex i = model()->index(int(row), 0);
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    scrollTo(i);
}

void TNameListView::keyPressEvent(QKeyEvent *e)
{
    const QModelIndex before = currentIndex();
    QListView::keyPressEvent(e);
    const QModelIndex after = currentIndex();
    if (after.isValid() && after != before)
        emit RowChosen(after.row());
}

void TNameListView::mousePressEvent(QMouseEvent *e)
{
    m_pressed = e->button() == Qt::LeftButton && indexAt(e->position().toPoint()).isValid();
    QListView::mousePressEvent(e);
}

void TNameListView::mouseReleaseEvent(QMouseEvent *e)
{
    QListView::mouseReleaseEvent(e);
    if (!m_pressed || e->button() != Qt::LeftButton)
        return;
    m_pressed = false;
    if (currentIndex().isValid())
        emit RowChosen(currentIndex().row());
}

void TNameListView::mouseDoubleClickEvent(QMouseEvent *e)
{
    const bool onItem = e->button() == Qt::LeftButton && indexAt(e->position().toPoint()).isValid();
    // The click of the double-click has been reported by its first release.
    QListView::mouseDoubleClickEvent(e);
    if (onItem && !m_pressed)
        emit RowDoubleClicked();
}

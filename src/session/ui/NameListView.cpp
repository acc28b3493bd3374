#include "session/ui/NameListView.h"

#include "session/ui/WidestNameDelegate.h"

#include <QKeyEvent>
#include <QMouseEvent>

TNameListView::TNameListView(QWidget *parent) : QListView(parent)
{
    setObjectName(QStringLiteral("ListBoxNazev"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setDragEnabled(false);
    m_delegate = new TWidestNameDelegate(this);
    setItemDelegate(m_delegate);
}

void TNameListView::setModel(QAbstractItemModel *m)
{
    if (model())
        disconnect(model(), nullptr, this, nullptr);
    m_delegate->Forget();
    QListView::setModel(m);
    if (!m)
        return;
    // Before the view lays the lines out again, which asks for their size.
    const auto forget = [this] { m_delegate->Forget(); };
    connect(m, &QAbstractItemModel::modelReset, this, forget);
    connect(m, &QAbstractItemModel::rowsInserted, this, forget);
    connect(m, &QAbstractItemModel::rowsRemoved, this, forget);
    connect(m, &QAbstractItemModel::dataChanged, this, forget);
    connect(m, &QAbstractItemModel::layoutChanged, this, forget);
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
    // Reported at once: the field being left may ask a question while the press takes
    // the focus, and the release then goes to that question, never to the list.
    if (m_pressed && currentIndex().isValid())
        emit RowChosen(currentIndex().row());
    // Where the model left the selection; only a drag away from it chooses again.
    m_rowAfterPress = currentIndex().row();
}

void TNameListView::mouseReleaseEvent(QMouseEvent *e)
{
    QListView::mouseReleaseEvent(e);
    if (!m_pressed || e->button() != Qt::LeftButton)
        return;
    m_pressed = false;
    // Dragging to another line before letting go chooses that line.
    if (currentIndex().isValid() && currentIndex().row() != m_rowAfterPress)
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

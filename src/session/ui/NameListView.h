#pragma once

#include <QListView>

class TWidestNameDelegate;

// The list of entry names (ListBoxNazev). Tells apart what the person chose from what
// the model selected: only the first is reported, and only after the view has finished
// handling the key or mouse press, so a handler may move the selection back at once.
class TNameListView : public QListView
{
    Q_OBJECT

public:
    explicit TNameListView(QWidget *parent = nullptr);

    // Selects a row for the model without reporting it; -1 clears the selection.
    void SelectRow(qsizetype row);

    void setModel(QAbstractItemModel *model) override;

signals:
    void RowChosen(int row);
    void RowDoubleClicked();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    TWidestNameDelegate *m_delegate;
    bool m_pressed = false;
    int m_rowAfterPress = -1;
};

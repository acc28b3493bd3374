#pragma once

#include <QByteArray>
#include <QDialog>
#include <QList>

class QCheckBox;
class QListView;
class QPushButton;
class QStringListModel;

// "Nalezená výročí": the lines found, in the order found, and the check box that
// acknowledges them.
class TFormVyroci : public QDialog
{
    Q_OBJECT

public:
    explicit TFormVyroci(QWidget *parent = nullptr);

    void SetLines(const QList<QByteArray> &lines);
    // Modal until "&Konec"; `acknowledge` in and out is the check box.
    void Show(const QList<QByteArray> &lines, bool &acknowledge);

private:
    QStringListModel *m_model;
    QListView *m_list;
    QCheckBox *m_check;
    QPushButton *m_konec;
};

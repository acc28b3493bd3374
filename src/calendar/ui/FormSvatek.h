#pragma once

#include <QByteArray>
#include <QDialog>
#include <QList>

class QListView;
class QPushButton;
class QStringListModel;

// "Vyberte svátek": the name-day calendar as a list to pick a day from. Keeps its
// selection between uses.
class TFormSvatek : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ResultVybrat = 6;
    static constexpr int ResultZpet = 7;

    explicit TFormSvatek(QWidget *parent = nullptr);

    // Shows the lines once (the calendar does not change during a run).
    void SetLines(const QList<QByteArray> &lines);
    // Selects a line; out of range keeps the selection the picker has.
    void Select(qsizetype line);
    qsizetype Selected() const;

    // Modal; true on "&Vybrat".
    bool Pick(const QList<QByteArray> &lines, qsizetype &selected);

private:
    QList<QByteArray> m_lines;
    QStringListModel *m_model;
    QListView *m_list;
    QPushButton *m_ok;
    QPushButton *m_ne;
};

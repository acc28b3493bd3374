#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;

// "Najít": the text to look for in the names and where to start. Keeps both between uses.
class TFormHledat : public QDialog
{
    Q_OBJECT

public:
    explicit TFormHledat(QWidget *parent = nullptr);

    void Activate();
    QString Text() const;
    bool FromStart() const;
    bool Confirmed() const { return m_confirmed; }

    void reject() override;

private:
    QLineEdit *m_edit;
    QRadioButton *m_odZacatku;
    QRadioButton *m_pokracovat;
    QPushButton *m_ok;
    QPushButton *m_ne;
    bool m_confirmed = false;
};

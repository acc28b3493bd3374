#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class TSession;

// "Odesílatel": the sender printed on envelopes; saved on OK, for every book.
class TFormOdesilatel : public QDialog
{
    Q_OBJECT

public:
    explicit TFormOdesilatel(TSession &s, QWidget *parent = nullptr);

    // Fills the fields from the settings and shows the dialog modally; true when saved.
    bool IOdesilatelClick();
    void FormActivate();

private:
    void ButtonOkClick();

    TSession &m_s;
    QLineEdit *m_name;
    QLineEdit *m_street;
    QLineEdit *m_psc;
    QLineEdit *m_town;
    QLineEdit *m_country;
    QPushButton *m_ok;
    QPushButton *m_cancel;
};

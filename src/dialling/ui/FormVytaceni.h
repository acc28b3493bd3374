#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class TModemCall;

// "Vytáčení čísla": the number being dialled, the time left and "&Zavěsit". The call
// itself is the model's; the window starts it when shown and closes when it ends.
class TFormVytaceni : public QDialog
{
    Q_OBJECT

public:
    explicit TFormVytaceni(TModemCall &call, QWidget *parent = nullptr);

    // Modal until the call has ended.
    void ShowCall();

    // Escape and any other way of closing hang up like the button.
    void reject() override;

private:
    void Mirror();
    void ButtonZavesitClick();

    TModemCall &m_call;
    QLabel *m_textC;
    QLabel *m_cislo;
    QLabel *m_textL;
    QLabel *m_linka;
    QProgressBar *m_gauge;
    QPushButton *m_zavesit;
};

#pragma once

#include "calendar/CalendarDialogs.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QPushButton;
class QSpinBox;

// "Nastavení výročí a úkolů": automatic search, look-ahead and the flags whose
// entries are reminded of.
class TFormUpozKonf : public QDialog
{
    Q_OBJECT

public:
    explicit TFormUpozKonf(QWidget *parent = nullptr);

    // Refills the controls from the values of the open book.
    void FormActivate(const TReminderChoice &choice);
    // The values the controls hold; a look-ahead that is not a number reads as 0.
    TReminderChoice Values() const;

    // Modal; true on "&Použít" with `choice` holding the new values.
    bool Edit(TReminderChoice &choice);

private:
    QCheckBox *m_auto;
    QSpinBox *m_days;
    std::array<QCheckBox *, 10> m_flags {};
    QPushButton *m_ok;
    QPushButton *m_ne;
    TReminderChoice m_shown;
};

#pragma once

#include "calendar/CalendarDialogs.h"

class QWidget;
class TFormSvatek;
class TFormUpozKonf;
class TFormVyroci;

// The calendar's modal windows, made once at start-up and refilled at each use.
class TWidgetCalendarDialogs : public ICalendarDialogs
{
public:
    explicit TWidgetCalendarDialogs(QWidget *parent = nullptr);
    ~TWidgetCalendarDialogs() override;

    bool PickNameDay(const QList<QByteArray> &lines, qsizetype &selected) override;
    void ShowAnniversaries(const QList<QByteArray> &lines, bool &acknowledge) override;
    bool EditReminders(TReminderChoice &choice) override;

    TFormSvatek *FormSvatek() const { return m_svatek; }
    TFormVyroci *FormVyroci() const { return m_vyroci; }
    TFormUpozKonf *FormUpozKonf() const { return m_upozKonf; }

private:
    TFormSvatek *m_svatek;
    TFormVyroci *m_vyroci;
    TFormUpozKonf *m_upozKonf;
};

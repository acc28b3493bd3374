#include "calendar/ui/WidgetCalendarDialogs.h"

#include "calendar/ui/FormSvatek.h"
#include "calendar/ui/FormUpozKonf.h"
#include "calendar/ui/FormVyroci.h"

TWidgetCalendarDialogs::TWidgetCalendarDialogs(QWidget *parent)
    : m_svatek(new TFormSvatek(parent)), m_vyroci(new TFormVyroci(parent)), m_upozKonf(new TFormUpozKonf(parent))
{
}

TWidgetCalendarDialogs::~TWidgetCalendarDialogs()
{
    // Without a parent the forms are ours to delete.
    if (!m_svatek->parent()) {
        delete m_svatek;
        delete m_vyroci;
        delete m_upozKonf;
    }
}

bool TWidgetCalendarDialogs::PickNameDay(const QList<QByteArray> &lines, qsizetype &selected)
{
    return m_svatek->Pick(lines, selected);
}

void TWidgetCalendarDialogs::ShowAnniversaries(const QList<QByteArray> &lines, bool &acknowledge)
{
    m_vyroci->Show(lines, acknowledge);
}

bool TWidgetCalendarDialogs::EditReminders(TReminderChoice &choice)
{
    return m_upozKonf->Edit(choice);
}

#include "calendar/AnniversaryCommands.h"

#include "calendar/AnniversarySearch.h"
#include "calendar/CalendarDialogs.h"
#include "calendar/Sound.h"
#include "session/DocumentCommands.h"
#include "session/Prompt.h"
#include "session/RecordEditor.h"
#include "session/Session.h"

TAnniversaryCommands::TAnniversaryCommands(TSession &s, TRecordEditor &editor, ICalendarDialogs &dialogs,
                                           ISound *sound)
    : m_s(s), m_editor(editor), m_dialogs(dialogs), m_sound(sound)
{
}

void TAnniversaryCommands::SearchAnniversaries(int days)
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen)
        return;
    {
        TBusyScope busy(m_s.Prompt);
        m_results = FindAnniversaries(b, b.Labels.ReminderFlags, m_s.Settings.NaposledyVyroci,
                                      NowStamp(m_s.Clock), days);
    }
    if (m_sound && m_sound->Available())
        m_sound->Play();
    if (m_results.isEmpty())
        return;
    m_dialogs.ShowAnniversaries(m_results, m_acknowledge);
    // "&Konec" with the box checked: the anniversaries up to now count as seen.
    if (m_acknowledge)
        m_s.Settings.NaposledyVyroci = NowStamp(m_s.Clock);
    m_s.SaveBookSettings(b.FileName);
}

void TAnniversaryCommands::IVyhledatClick()
{
    if (!m_s.Book.IsOpen || !m_editor.StoreFields())
        return;
    SearchAnniversaries(m_s.Settings.VyrociDopredu);
    if (m_results.isEmpty())
        m_s.Prompt.Hlaska(NothingFound(), THlaskaKind::Informace);
}

void TAnniversaryCommands::IUpozornovaniClick()
{
    TReminderChoice c;
    c.AutoHledat = m_s.Settings.hledatAutomaticky;
    c.Days = qBound(0, m_s.Settings.VyrociDopredu, 365);
    const TBookLabels &labels = m_s.Book.Labels;
    c.Flags = labels.ReminderFlags;
    c.Captions = labels.FlagCaptions;
    if (!m_dialogs.EditReminders(c))
        return;
    // Kept in memory only: the settings go out with the next settings save, the flags
    // with the next save of the book.
    m_s.Book.Labels.ReminderFlags = c.Flags;
    m_s.Settings.VyrociDopredu = qBound(0, c.Days, 365);
    m_s.Settings.hledatAutomaticky = c.AutoHledat;
}

void TAnniversaryCommands::RegisterAutoSearch(TDocumentCommands &documents)
{
    documents.SetAutoSearch([this](int days) { SearchAnniversaries(days); });
}

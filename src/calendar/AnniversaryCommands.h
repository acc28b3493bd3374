#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class ICalendarDialogs;
class ISound;
class TDocumentCommands;
class TRecordEditor;
class TSession;

// The anniversary search of the open book with its window and sound, and the
// reminder settings dialog.
class TAnniversaryCommands
{
public:
    TAnniversaryCommands(TSession &s, TRecordEditor &editor, ICalendarDialogs &dialogs, ISound *sound = nullptr);

    void SetSound(ISound *sound) { m_sound = sound; }

    // Searches the days from the day after the last acknowledgement up to today plus
    // `days` - 1, plays the sound, shows what was found and stores the settings then.
    void SearchAnniversaries(int days);

    // "&Hledat výročí" of the main menu and "Vyhledat výročí" of the tray menu: what is
    // typed in the editor counts, so the fields are stored first (nothing happens when
    // the entry cannot be stored).
    void IVyhledatClick();
    void IHledatClick() { IVyhledatClick(); }

    // "&Upozorňování": automatic search, look-ahead and reminder flags.
    void IUpozornovaniClick();

    // Lets the document commands run the search after a book was opened.
    void RegisterAutoSearch(TDocumentCommands &documents);

    // The lines of the last search (the results window's list).
    const QList<QByteArray> &Results() const { return m_results; }
    // The results window's check box, kept for the run.
    bool Acknowledge() const { return m_acknowledge; }

    static QString NothingFound() { return QString::fromUtf8("V nastavené době nenalezeno žádné výročí"); }

private:
    TSession &m_s;
    TRecordEditor &m_editor;
    ICalendarDialogs &m_dialogs;
    ISound *m_sound;
    QList<QByteArray> m_results;
    bool m_acknowledge = false;
};

#pragma once

#include <QString>
#include <QtGlobal>

class ICalendarDialogs;
class TRecordEditor;
class TSession;

// The handlers of the editor's date fields: birthday, name day, birth number and the
// name-day offer for a first name. Every change they make is an edit of the entry.
class TDateFieldCommands
{
public:
    TDateFieldCommands(TSession &s, TRecordEditor &editor, ICalendarDialogs *dialogs = nullptr);

    void SetDialogs(ICalendarDialogs *dialogs) { m_dialogs = dialogs; }

    void NarozeninyExit();
    void SvatekExit();
    void RodneCisloExit();
    // Leaving the first name (false) or a double click on it or on the name day (true).
    void JmenoExit(bool fromSvatek);
    void JmenoDblClick();
    void SvatekDblClick();
    // "V&ybrat": picks the name day from the calendar.
    void ButtonJmeninyClick();

    // The line the picker showed selected when it last closed, -1 before its first use.
    qsizetype PickerSelection() const { return m_pickerSelection; }

    static QString BadBirthNumber() { return QString::fromUtf8("Rodné číslo neodpovídá podmínkám"); }
    static QString AskNameDay() { return QString::fromUtf8("Chcete vyhledat svátek"); }
    static QString NameDayNotFound() { return QString::fromUtf8("Svátek nenalezen"); }
    static QString NameDayFound() { return QString::fromUtf8("Nalezen svátek dne "); }

private:
    bool Editable() const;
    void RefreshAge();

    TSession &m_s;
    TRecordEditor &m_editor;
    ICalendarDialogs *m_dialogs;
    qsizetype m_pickerSelection = -1;
};

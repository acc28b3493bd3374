#include "calendar/DateFieldCommands.h"

#include "calendar/CalendarDialogs.h"
#include "book/DateFields.h"
#include "session/Prompt.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "util/Clock.h"
#include "util/Cp1250.h"

TDateFieldCommands::TDateFieldCommands(TSession &s, TRecordEditor &editor, ICalendarDialogs *dialogs)
    : m_s(s), m_editor(editor), m_dialogs(dialogs)
{
}

// Nothing is listed (or no book): the editor shows nothing and no entry may change.
bool TDateFieldCommands::Editable() const
{
    return m_s.Book.IsOpen && m_s.Book.Current && m_s.Editor.Enabled();
}

void TDateFieldCommands::NarozeninyExit()
{
    if (!Editable())
        return;
    const QByteArray text = m_s.Editor.Text(EField::Narozeniny);
    const QByteArray value = NormalizeBirthday(text).FieldValue(text);
    if (value != text)
        m_editor.EditText(EField::Narozeniny, value);
    RefreshAge();
}

// The labels follow the field at once; an age left from the previous text would be wrong.
void TDateFieldCommands::RefreshAge()
{
    m_s.Editor.SetVek(AgeText(m_s.Editor.Text(EField::Narozeniny), m_s.Clock.Now().date()));
}

void TDateFieldCommands::SvatekExit()
{
    if (!Editable())
        return;
    const QByteArray text = m_s.Editor.Text(EField::Svatek);
    const QByteArray value = NormalizeNameDay(text).FieldValue(text);
    if (value != text)
        m_editor.EditText(EField::Svatek, value);
    m_s.Editor.SetJmeniny(m_s.Calendar.NamesOfDay(value));
}

void TDateFieldCommands::RodneCisloExit()
{
    if (!Editable())
        return;
    const QByteArray text = m_s.Editor.Text(EField::RodneCislo);
    if (text.isEmpty())
        return;
    const TBirthNumberResult r = CheckBirthNumber(text, m_s.Clock.Now().date());
    if (r.Changed && r.Text != text)
        m_editor.EditText(EField::RodneCislo, r.Text);
    if (!r.Valid)
        m_s.Prompt.Hlaska(BadBirthNumber(), THlaskaKind::Informace);
    // Checked or not, the birth number fills an empty birthday; the birthday rules
    // judge it when that field is next left.
    if (m_s.Editor.Text(EField::Narozeniny).isEmpty() && !r.DerivedBirthday.isEmpty()) {
        m_editor.EditText(EField::Narozeniny, r.DerivedBirthday);
        RefreshAge();
    }
}

void TDateFieldCommands::JmenoExit(bool fromSvatek)
{
    TEditorBuffer &e = m_s.Editor;
    if (fromSvatek)
        e.FirstNameEdited = true;
    if (!e.FirstNameEdited)
        return;
    e.FirstNameEdited = false;
    if (!Editable())
        return;
    if (m_s.Prompt.Hlaska(AskNameDay(), THlaskaKind::Otazka) != kHlaskaAno)
        return;
    const qsizetype line = m_s.Calendar.LineOfName(m_s.Editor.Text(EField::Jmeno));
    if (line < 0) {
        m_s.Prompt.Hlaska(NameDayNotFound(), THlaskaKind::Informace);
        return;
    }
    const QByteArray &found = m_s.Calendar.Lines().at(line);
    m_editor.EditText(EField::Svatek, TNameDayCalendar::DayOfLine(found));
    m_s.Editor.SetJmeniny(TNameDayCalendar::NamesOfLine(found));
    m_s.Prompt.Hlaska(NameDayFound() + FromCp1250(m_s.Editor.Text(EField::Svatek)), THlaskaKind::Informace);
}

void TDateFieldCommands::JmenoDblClick()
{
    JmenoExit(true);
}

void TDateFieldCommands::SvatekDblClick()
{
    JmenoExit(true);
}

void TDateFieldCommands::ButtonJmeninyClick()
{
    // An empty calendar offers nothing to pick, so the picker does not open.
    if (!m_dialogs || !Editable() || m_s.Calendar.IsEmpty())
        return;
    const QList<QByteArray> &lines = m_s.Calendar.Lines();
    const qsizetype day = m_s.Calendar.LineOfDay(m_s.Editor.Text(EField::Svatek));
    if (day >= 0)
        m_pickerSelection = day;
    qsizetype selected = m_pickerSelection;
    const bool confirmed = m_dialogs->PickNameDay(lines, selected);
    m_pickerSelection = selected >= 0 && selected < lines.size() ? selected : m_pickerSelection;
    if (!confirmed || selected < 0 || selected >= lines.size())
        return;
    const QByteArray &line = lines.at(selected);
    m_editor.EditText(EField::Svatek, TNameDayCalendar::DayOfLine(line));
    m_s.Editor.SetJmeniny(TNameDayCalendar::NamesOfLine(line));
}

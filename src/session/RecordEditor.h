#pragma once

#include "book/ContactRecord.h"

class TSession;

// Showing a record in the editor, storing the editor back, moving between entries,
// adding and deleting entries.
class TRecordEditor
{
public:
    explicit TRecordEditor(TSession &s) : m_s(s) { }

    void ShowRecord();
    // False when the record may not be left (no entry name).
    bool StoreFields();

    // The change handler shared by every field, flag and the note.
    void NazevPolozkyChange(int field /*EField, or -1 for a flag or the note*/);

    // What the widgets call when the person types or clicks.
    void EditText(EField f, QByteArrayView text);
    void EditFlag(int i, bool on);
    void EditNote(QByteArrayView note);

    void ListBoxNazevClick(qsizetype row);
    void ListBoxNazevDblClick();
    void IPridatClick();
    void IZrusitClick();
    void Stat1DblClick(int address /*1..3*/);

    // After the list was rebuilt or the current record changed: select, show, status.
    void ShowCurrent();

private:
    TSession &m_s;
};

#include "session/RecordEditor.h"

#include "book/DateFields.h"
#include "session/Messages.h"
#include "session/Prompt.h"
#include "session/Session.h"
#include "util/Clock.h"

namespace {

const QByteArray kClash1 = QByteArrayLiteral(" ??? ");
const QByteArray kClash2 = QByteArrayLiteral("??? ???");

} // namespace

void TRecordEditor::ShowRecord()
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen || !b.Current)
        return;
    TEditorBuffer &e = m_s.Editor;
    e.FieldsLive = false;
    // Nothing listed: show nothing rather than a hidden entry posing as selected.
    const bool listed = b.List.Count() > 0;
    e.SetEnabled(listed);
    if (!listed) {
        e.Blank();
    } else {
        e.Fill(*b.Current);
        e.SetVek(AgeText(b.Current->TextView(EField::Narozeniny), m_s.Clock.Now().date()));
        e.SetJmeniny(m_s.Calendar.NamesOfDay(b.Current->TextView(EField::Svatek)));
    }
    e.RequestListFocus();
    b.List.Select(listed ? b.CurrentIndex : -1);
    e.FieldsLive = true;
}

bool TRecordEditor::StoreFields()
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen || !b.Current)
        return false;
    TEditorBuffer &e = m_s.Editor;
    if (!e.RecordEdited)
        return true;
    TContactRecord &r = *b.Current;
    const QByteArray oldName = r.Name();
    for (int i = 0; i < kTextFieldCount; ++i)
        r.SetText(EField(i), e.Text(EField(i)));
    for (int i = 1; i <= kFlagCount; ++i)
        r.SetFlag(i, e.Flag(i));
    r.SetNote(e.Note());
    if (e.Text(EField::NazevPolozky).isEmpty()) {
        QByteArray name = e.Text(EField::Prijmeni);
        if (!e.Text(EField::Jmeno).isEmpty())
            name += ' ' + e.Text(EField::Jmeno);
        r.SetText(EField::NazevPolozky, name);
        const bool live = e.FieldsLive;
        e.FieldsLive = false;
        e.SetText(EField::NazevPolozky, r.NameView());
        e.FieldsLive = live;
    }
    if (r.NameView() != oldName)
        b.NamesChanged();
    const bool ok = !r.NameView().isEmpty();
    if (ok)
        e.RecordEdited = false;
    else
        m_s.Prompt.Hlaska(Msg::UniqueName(), THlaskaKind::Vystraha);
    b.Changed = true;
    b.List.Replace(b.CurrentIndex, e.Text(EField::NazevPolozky));
    b.UpdateStatusBar();
    return ok;
}

void TRecordEditor::NazevPolozkyChange(int field)
{
    TAddressBook &b = m_s.Book;
    TEditorBuffer &e = m_s.Editor;
    if (!e.FieldsLive)
        return;
    e.RecordEdited = true;
    const bool wasChanged = b.Changed;
    b.Changed = true;
    if (field == int(EField::Jmeno))
        e.FirstNameEdited = true;
    if (!wasChanged)
        b.UpdateStatusBar();
}

void TRecordEditor::EditText(EField f, QByteArrayView text)
{
    if (!m_s.Editor.Enabled())
        return;
    m_s.Editor.SetText(f, text);
    NazevPolozkyChange(int(f));
}

void TRecordEditor::EditFlag(int i, bool on)
{
    if (!m_s.Editor.Enabled())
        return;
    m_s.Editor.SetFlag(i, on);
    NazevPolozkyChange(-1);
}

void TRecordEditor::EditNote(QByteArrayView note)
{
    if (!m_s.Editor.Enabled())
        return;
    m_s.Editor.SetNote(note);
    NazevPolozkyChange(-1);
}

void TRecordEditor::ListBoxNazevClick(qsizetype row)
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen || row < 0 || row >= b.List.Count())
        return;
    if (!StoreFields()) {
        b.List.Select(b.CurrentIndex);
        return;
    }
    const QByteArrayView name = b.Current->NameView();
    if (!name.isEmpty() && b.CountByName(name) > 1) {
        m_s.Prompt.Hlaska(Msg::UniqueName(), THlaskaKind::Vystraha);
        b.List.Select(b.CurrentIndex);
        EditText(EField::NazevPolozky, name == kClash1 ? kClash2 : kClash1);
        StoreFields();
        return;
    }
    b.CurrentIndex = row;
    b.FindRecordForListItem(row);
    ShowRecord();
}

void TRecordEditor::ListBoxNazevDblClick()
{
    TAddressBook &b = m_s.Book;
    // The click of the double-click normally stored the fields already.
    if (!b.IsOpen || b.List.Count() == 0 || !StoreFields())
        return;
    b.List.Resort();
    b.CurrentIndex = 0;
    b.FindRecordForListItem(0);
    ShowRecord();
}

void TRecordEditor::IPridatClick()
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen || !StoreFields())
        return;
    m_s.Editor.RequestPage(0);
    // With nothing listed the new line goes to the top of the empty list.
    if (b.List.Count() == 0)
        b.CurrentIndex = -1;
    b.InsertAfterCurrent();
    b.List.Insert(b.CurrentIndex, QByteArrayLiteral(" "));
    b.Changed = true;
    ShowRecord();
    m_s.Editor.RequestFocus(EField::TitulPred);
    b.UpdateStatusBar();
}

void TRecordEditor::IZrusitClick()
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen || b.ListedCount == 0 || b.List.Count() == 0)
        return;
    if (m_s.Prompt.Hlaska(Msg::DeleteQuestion(), THlaskaKind::Otazka) != kHlaskaAno) {
        b.UpdateStatusBar();
        return;
    }
    if (b.RecordCount() == 1) {
        b.Current->Clear();
        b.NamesChanged();
        b.CurrentIndex = 0;
        b.List.Replace(0, QByteArray());
        m_s.Editor.RecordEdited = false;
    } else {
        b.RemoveCurrent();
        b.List.Remove(b.CurrentIndex);
        m_s.Editor.RecordEdited = false;
        if (b.CurrentIndex >= b.List.Count())
            b.CurrentIndex = b.List.Count() - 1;
    }
    if (b.List.Count() > 0) {
        b.FindRecordForListItem(b.CurrentIndex);
    } else {
        // The mask hid every other entry: keep a current record without a lookup error.
        b.CurrentIndex = 0;
        b.MakeCurrent(0);
    }
    ShowRecord();
    b.Changed = true;
    b.UpdateStatusBar();
}

void TRecordEditor::Stat1DblClick(int address)
{
    EditText(AddressField(address, 2), QByteArrayLiteral("\xC8" "esk\xE1 republika"));
}

void TRecordEditor::ShowCurrent()
{
    ShowRecord();
    m_s.Book.UpdateStatusBar();
}

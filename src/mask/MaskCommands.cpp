#include "mask/MaskCommands.h"

#include "session/Messages.h"
#include "session/Prompt.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "util/Cp1250.h"
#include "util/TextRoutines.h"

namespace {

QString NoTextMessage() { return QString::fromUtf8("Musíte napřed zadat hledaný řetězec"); }
QString NotFoundMessage() { return QString::fromUtf8("Zadaný řetězec nelze najít"); }
QString NoMoreMessage() { return QString::fromUtf8("Další výskyt již nelze najít"); }

const QByteArray kCopyPrefix = QByteArrayLiteral("Kopie - ");

// Capitals of every Windows-1250 byte, so a scan of 65,535 names neither calls out nor
// allocates per character.
const std::array<unsigned char, 256> &UpperTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t {};
        for (int c = 0; c < 256; ++c)
            t[size_t(c)] = static_cast<unsigned char>(ToUpperCz(static_cast<char>(c)));
        return t;
    }();
    return table;
}

TMaskChoices ChoicesOf(const TDisplayMask &m)
{
    TMaskChoices c {};
    for (int i = 0; i < kFlagCount; ++i) {
        c[size_t(i)] = m.RequireSet[size_t(i)]   ? TMaskChoice::Set
                     : m.RequireClear[size_t(i)] ? TMaskChoice::Clear
                                                 : TMaskChoice::Either;
    }
    return c;
}

} // namespace

TMaskCommands::TMaskCommands(TSession &s, TRecordEditor &editor, IMaskDialogs &dialogs)
    : m_s(s), m_editor(editor), m_dialogs(dialogs)
{
    FlagActions.fill(TFlagAction::Keep);
}

// ---- Display mask ---------------------------------------------------------------

void TMaskCommands::IMaskaClick()
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen || !m_editor.StoreFields())
        return;
    TMaskChoices choices = ChoicesOf(b.Mask);
    switch (m_dialogs.EditMask(choices, b.Labels)) {
    case TMaskButton::Pouzit:
        for (int i = 0; i < kFlagCount; ++i) {
            b.Mask.RequireSet[size_t(i)] = choices[size_t(i)] == TMaskChoice::Set;
            b.Mask.RequireClear[size_t(i)] = choices[size_t(i)] == TMaskChoice::Clear;
        }
        b.Mask.Active = true;
        break;
    case TMaskButton::Vsechno:
        b.Mask.Clear();
        break;
    case TMaskButton::Zpet:
        break;
    }
    // Rebuilt whichever button closed the dialog; the kept demands count even while the
    // mask is off. An empty result leaves the editor blank (see ShowRecord).
    b.RefillListWithMask();
    m_editor.ShowCurrent();
}

// ---- Bulk flag change -----------------------------------------------------------

void TMaskCommands::ApplyActions(TContactRecord &r, const TFlagActions &actions)
{
    for (int i = 1; i <= kFlagCount; ++i) {
        switch (actions[size_t(i - 1)]) {
        case TFlagAction::Keep: break;
        case TFlagAction::Set: r.SetFlag(i, true); break;
        case TFlagAction::Clear: r.SetFlag(i, false); break;
        case TFlagAction::Negate: r.SetFlag(i, !r.Flag(i)); break;
        }
    }
}

void TMaskCommands::Zmnitlogiku1Click()
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen || !m_editor.StoreFields())
        return;
    TFlagActions actions;
    actions.fill(TFlagAction::Keep);
    if (!m_dialogs.AskFlagChanges(actions, b.Labels))
        return;
    FlagActions = actions;

    // Every listed entry exactly once, each line paired with its own entry even where
    // names repeat; the entries are changed in place, so no entry is left or renamed.
    const QList<TContactRecord *> listed = b.ListedRecords();
    bool missing = false;
    for (qsizetype row = 0; row < listed.size(); ++row) {
        if (listed[row])
            ApplyActions(*listed[row], actions);
        else
            missing = true;
        if ((row + 1) % kLinesPerRepaint == 0)
            m_s.Prompt.ProcessEvents();
    }
    // A line no entry answers to is skipped and said once.
    if (missing)
        b.ReportError(Msg::LookupFailed());
    // The editor shows the current entry's new flags.
    m_editor.ShowRecord();
    b.Changed = true;
    b.UpdateStatusBar();
}

// ---- Find by name ---------------------------------------------------------------

bool TMaskCommands::ContainsUpper(QByteArrayView line, QByteArrayView upperText)
{
    const qsizetype n = upperText.size();
    if (n == 0)
        return true;
    const qsizetype last = line.size() - n;
    if (last < 0)
        return false;
    const auto &up = UpperTable();
    const auto *h = reinterpret_cast<const unsigned char *>(line.data());
    const auto *t = reinterpret_cast<const unsigned char *>(upperText.data());
    for (qsizetype p = 0; p <= last; ++p) {
        if (up[h[p]] != t[0])
            continue;
        qsizetype k = 1;
        while (k < n && up[h[p + k]] == t[k])
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

qsizetype TMaskCommands::ScanLines(const TNameList &list, qsizetype first, QByteArrayView upperText)
{
    const QList<QByteArray> &names = list.Names();
    for (qsizetype i = qMax<qsizetype>(first, 0); i < names.size(); ++i) {
        if (ContainsUpper(names[i], upperText))
            return i;
    }
    return -1;
}

bool TMaskCommands::Scan(qsizetype first)
{
    TAddressBook &b = m_s.Book;
    qsizetype from = first;
    for (;;) {
        const qsizetype hit = ScanLines(b.List, from, SearchText);
        if (hit < 0)
            return false;
        if (TContactRecord *r = b.RecordOfLine(hit)) {
            b.CurrentIndex = hit;
            b.Current = r;
            m_editor.ShowRecord();
            return true;
        }
        // A line no entry answers to: say so, keep the current entry (jumping to the
        // first entry would pair it with a line that names another) and look further,
        // so the next search does not stop at the same line again.
        b.ReportError(Msg::LookupFailed());
        from = hit + 1;
    }
}

void TMaskCommands::INajitClick()
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen || !m_editor.StoreFields())
        return;
    QString text;
    bool fromStart = true;
    if (!m_dialogs.AskFind(text, fromStart))
        return;
    SearchText = ToUpperCz(ToCp1250(text));
    if (SearchText.isEmpty()) {
        m_s.Prompt.Hlaska(NoTextMessage(), THlaskaKind::Chyba);
        return;
    }
    if (!Scan(fromStart ? 0 : b.CurrentIndex + 1))
        m_s.Prompt.Hlaska(NotFoundMessage(), THlaskaKind::Informace);
}

void TMaskCommands::INajitDalsiClick()
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen || !m_editor.StoreFields())
        return;
    if (SearchText.isEmpty()) {
        INajitClick();
        return;
    }
    if (!Scan(b.CurrentIndex + 1))
        m_s.Prompt.Hlaska(NoMoreMessage(), THlaskaKind::Informace);
}

// ---- Record clipboard -----------------------------------------------------------

void TMaskCommands::Koprovatzznam1Click()
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen || !m_editor.StoreFields())
        return;
    // With nothing listed the current entry is hidden and the editor blank: nothing to copy.
    if (b.List.Count() == 0 || !b.Current || b.Current->NameView().isEmpty())
        return;
    m_s.CopiedRecord = *b.Current;
}

void TMaskCommands::Vloitzznam1Click()
{
    TAddressBook &b = m_s.Book;
    if (!b.IsOpen || !m_editor.StoreFields())
        return;
    if (m_s.CopiedRecord.NameView().isEmpty())
        return;
    m_s.Editor.RequestPage(0);
    // Into an empty list the new line goes on top, as an added entry does.
    if (b.List.Count() == 0)
        b.CurrentIndex = -1;
    TContactRecord &r = b.InsertAfterCurrent();
    r = m_s.CopiedRecord;
    r.SetText(EField::NazevPolozky, kCopyPrefix + m_s.CopiedRecord.Name());
    b.NamesChanged();
    b.List.Insert(b.CurrentIndex, r.Name());
    b.Changed = true;
    m_editor.ShowRecord();
    m_s.Editor.RequestFocus(EField::NazevPolozky);
    b.UpdateStatusBar();
}

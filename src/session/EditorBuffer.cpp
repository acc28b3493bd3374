#include "session/EditorBuffer.h"

void TEditorBuffer::SetText(EField f, QByteArrayView text)
{
    const QByteArrayView cut = text.first(qMin<qsizetype>(text.size(), FieldInfo(f).Capacity));
    QByteArray &t = m_texts[size_t(f)];
    if (t == cut)
        return;
    t = cut.toByteArray();
    emit TextChanged(int(f));
}

void TEditorBuffer::SetFlag(int i, bool on)
{
    if (m_flags[size_t(i - 1)] == on)
        return;
    m_flags[size_t(i - 1)] = on;
    emit FlagChanged(i);
}

void TEditorBuffer::SetNote(QByteArrayView note)
{
    const QByteArrayView cut = note.first(qMin<qsizetype>(note.size(), kNoteSize));
    if (m_note == cut)
        return;
    m_note = cut.toByteArray();
    emit NoteChanged();
}

void TEditorBuffer::SetVek(const QString &text)
{
    if (m_vek == text)
        return;
    m_vek = text;
    emit LabelsChanged();
}

void TEditorBuffer::SetJmeniny(QByteArrayView names)
{
    if (m_jmeniny == names)
        return;
    m_jmeniny = names.toByteArray();
    emit LabelsChanged();
}

void TEditorBuffer::SetEnabled(bool on)
{
    if (m_enabled == on)
        return;
    m_enabled = on;
    emit EnabledChanged(on);
}

void TEditorBuffer::Fill(const TContactRecord &r)
{
    for (int i = 0; i < kTextFieldCount; ++i)
        SetText(EField(i), r.TextView(EField(i)));
    for (int i = 1; i <= kFlagCount; ++i)
        SetFlag(i, r.Flag(i));
    SetNote(r.Note());
}

void TEditorBuffer::Blank()
{
    Fill(TContactRecord());
    SetVek(QString());
    SetJmeniny({});
}

#pragma once

#include "book/ContactRecord.h"

#include <QObject>
#include <QString>

#include <array>

// The editor's contents held in the model: field texts, flags, the note and the two
// derived labels. Widgets mirror it; user edits come in through the record editor.
class TEditorBuffer : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    const QByteArray &Text(EField f) const { return m_texts[size_t(f)]; }
    bool Flag(int i /*1..10*/) const { return m_flags[size_t(i - 1)]; }
    const QByteArray &Note() const { return m_note; }
    const QString &Vek() const { return m_vek; }
    const QByteArray &Jmeniny() const { return m_jmeniny; }
    // False while nothing is listed (a mask that no entry passes): the editor then shows
    // nothing and takes no input, so no hidden entry is edited by mistake.
    bool Enabled() const { return m_enabled; }

    // Set by the model; each announces itself so the widgets follow.
    void SetText(EField f, QByteArrayView text);
    void SetFlag(int i, bool on);
    void SetNote(QByteArrayView note);
    void SetVek(const QString &text);
    void SetJmeniny(QByteArrayView names);
    void SetEnabled(bool on);

    void Fill(const TContactRecord &r);
    void Blank();

    // False while the model fills the fields, so that filling is not taken for typing.
    bool FieldsLive = true;
    // The fields differ from the current entry; leaving it stores them first.
    bool RecordEdited = false;
    // The first name was typed into since the entry was shown (offers its name day).
    bool FirstNameEdited = false;

    // Requests to the window.
    void RequestFocus(EField f) { emit FocusRequested(int(f)); }
    void RequestListFocus() { emit FocusRequested(-1); }
    void RequestPage(int page) { emit PageRequested(page); }

signals:
    void TextChanged(int field);
    void FlagChanged(int flag);
    void NoteChanged();
    void LabelsChanged();
    void EnabledChanged(bool on);
    void FocusRequested(int field); // -1: the list of names
    void PageRequested(int page);

private:
    std::array<QByteArray, kTextFieldCount> m_texts;
    std::array<bool, kFlagCount> m_flags {};
    QByteArray m_note;
    QString m_vek;
    QByteArray m_jmeniny;
    bool m_enabled = true;
};

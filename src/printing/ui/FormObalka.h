#pragma once

#include "printing/Envelope.h"
#include "printing/ui/PrintJobs.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class TFormOdesilatel;
class TRecordEditor;
class TSession;

// "Tisk obálky": the current entry's address on an envelope, with the sender from the
// settings. The size and the address are remembered.
class TFormObalka : public QDialog
{
    Q_OBJECT

public:
    TFormObalka(TSession &s, TRecordEditor &editor, TPrintJobs &jobs, TFormOdesilatel &sender,
                QWidget *parent = nullptr);

    // Takes the current entry and the remembered choices, then shows the dialog modally.
    void ITiskObalkyClick();
    // False when there is no entry to address.
    bool FormActivate();

    TEnvelope::TKind Kind() const;
    int Address() const; // 1..3
    QStringList Addressee() const;

private:
    void ShowLines();
    void Output(TPrintAction action);
    void SaveChoices();

    TSession &m_s;
    TRecordEditor &m_editor;
    TPrintJobs &m_jobs;
    TFormOdesilatel &m_senderForm;
    QByteArray m_entry; // the current entry's bytes when the dialog opened

    QComboBox *m_kind;
    QComboBox *m_address;
    QLabel *m_sender;
    QLabel *m_addressee;
    QPushButton *m_editSender;
    QPushButton *m_preview;
    QPushButton *m_print;
    QPushButton *m_pdf;
    QPushButton *m_close;
};

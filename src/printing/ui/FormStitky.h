#pragma once

#include "printing/LabelLayout.h"
#include "printing/ui/PrintJobs.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class TContactRecord;
class TRecordEditor;
class TSession;

// "Tisk štítků": the listed entries of the open book, in list order, as address labels
// on A4 sheets. The choices are remembered for the next time.
class TFormStitky : public QDialog
{
    Q_OBJECT

public:
    TFormStitky(TSession &s, TRecordEditor &editor, TPrintJobs &jobs, QWidget *parent = nullptr);

    // Takes the listed entries and the remembered choices, then shows the dialog modally.
    void ITiskStitkuClick();
    // The controls from the remembered choices and the book's captions; false when the
    // book has no entries listed.
    bool FormActivate();

    TLabelLayout Layout() const;
    int Address() const; // 1..3
    int Start() const;
    qsizetype LabelCount() const { return m_listed.size(); }

private:
    void ShowSheet();
    void CustomEdited();
    void Check();
    void Output(TPrintAction action);
    void SaveChoices();
    TLabelLayout CustomLayout() const;

    TSession &m_s;
    TRecordEditor &m_editor;
    TPrintJobs &m_jobs;
    QList<const TContactRecord *> m_listed;
    TLabelLayout m_custom;
    bool m_showing = false;

    QComboBox *m_sheet;
    QGroupBox *m_group;
    QSpinBox *m_columns;
    QSpinBox *m_rows;
    QDoubleSpinBox *m_width;
    QDoubleSpinBox *m_height;
    QCheckBox *m_centred;
    QDoubleSpinBox *m_left;
    QDoubleSpinBox *m_top;
    QDoubleSpinBox *m_gapX;
    QDoubleSpinBox *m_gapY;
    QLabel *m_problem;
    QComboBox *m_address;
    QSpinBox *m_start;
    QLabel *m_count;
    QPushButton *m_preview;
    QPushButton *m_print;
    QPushButton *m_pdf;
    QPushButton *m_close;
};

#pragma once

#include "session/LabelConfig.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

// "Konfigurace": the 22 captions of the open book, the width of the list of names and
// whether closing keeps the program in the tray. Made once and reused.
class TFormKonf : public QDialog
{
    Q_OBJECT

public:
    TFormKonf(TLabelConfig &config, QWidget *parent = nullptr);

    // "&Volitelné": fills the fields and shows the dialog modally.
    void IVolitelneClick();
    void FormActivate();

    QLineEdit *Edit(int i /*1..22*/) const { return m_edits[size_t(i - 1)]; }

private:
    void ButtonOkClick();
    void ButtonNeClick();

    TLabelConfig &m_config;
    std::array<QLineEdit *, TLabelConfig::kFieldCount> m_edits {};
    QSpinBox *m_width;
    QCheckBox *m_lista;
    QPushButton *m_ok;
    QPushButton *m_ne;
};

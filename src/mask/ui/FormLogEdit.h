#pragma once

#include "mask/MaskDialogs.h"
#include "mask/ui/FlagChoiceRows.h"

#include <QDialog>

class QPushButton;

// "Zadajte požadované změny pro aktuální masku zobrazení": per flag "Ano", "Ne",
// "Negace" or "Neměnit". Every row starts at "Neměnit" each time it is shown.
class TFormLogEdit : public QDialog
{
    Q_OBJECT

public:
    explicit TFormLogEdit(QWidget *parent = nullptr);

    void Activate(const TBookLabels &labels);
    TFlagActions Actions() const;
    bool Confirmed() const { return m_confirmed; }

    void reject() override;

private:
    TFlagChoiceRows m_rows;
    QPushButton *m_pouzit;
    QPushButton *m_zpet;
    bool m_confirmed = false;
};

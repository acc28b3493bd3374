#pragma once

#include "mask/MaskDialogs.h"
#include "mask/ui/FlagChoiceRows.h"

#include <QDialog>

class QPushButton;

// "Zadajte masku zobrazení": per flag "Ano", "Ne" or "Je to fuk". Made once and
// refilled each time it is shown; it only collects the choices.
class TFormMaska : public QDialog
{
    Q_OBJECT

public:
    explicit TFormMaska(QWidget *parent = nullptr);

    // Captions from the book, rows from the mask's demands.
    void Activate(const TBookLabels &labels, const TMaskChoices &choices);
    TMaskChoices Choices() const;
    // The button that closed the dialog; "&Zpět" for any other way out.
    TMaskButton Button() const { return m_button; }

    void reject() override;

private:
    void SetRow(int row, TMaskChoice choice);
    void Close(TMaskButton button);

    TFlagChoiceRows m_rows;
    QPushButton *m_pouzit;
    QPushButton *m_vsechno;
    QPushButton *m_zpet;
    TMaskButton m_button = TMaskButton::Zpet;
};

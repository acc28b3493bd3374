#pragma once

#include "session/Prompt.h"

#include <QDialog>

class QLabel;
class QPushButton;

// The program's own message box: one window reused for every question, warning, error
// and notice. Each call sets the title, the text and every button and picture anew.
class TFormHlaska : public QDialog
{
    Q_OBJECT

public:
    explicit TFormHlaska(QWidget *parent = nullptr);

    static QString Title(THlaskaKind kind);

    // Shows the message modally; returns 6 (Ano), 7 (Ne) or 1 (OK).
    int Hlaska(const QString &text, THlaskaKind kind);
    // Sets the window up for a message without showing it.
    void Prepare(const QString &text, THlaskaKind kind);

    THlaskaKind Kind() const { return m_kind; }

    // Escape and any other closing answer Ne to a question and OK to the rest.
    void reject() override;

protected:
    void showEvent(QShowEvent *e) override;

private:
    QLabel *m_labelCo;
    QLabel *m_imageOt1;
    QLabel *m_imageOt2;
    QLabel *m_imageVyk1;
    QLabel *m_imageVyk2;
    QPushButton *m_buttonAno;
    QPushButton *m_buttonOk;
    QPushButton *m_buttonNe;
    THlaskaKind m_kind = THlaskaKind::Informace;
};

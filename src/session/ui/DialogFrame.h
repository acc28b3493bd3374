#pragma once

#include <QObject>

class QAbstractButton;
class QDialog;

// What the dialogs share: a fixed frame without a close box, centred on the screen
// each time it is shown, and Enter and Escape seen by the form before any control, so
// they press the confirming and the cancelling button wherever the focus is. The frame
// is as large as the controls need, as the minimum size the dialog set before (the
// size it always had) and as wide as its whole title in a window manager's title bar.
class TDialogFrame : public QObject
{
    Q_OBJECT

public:
    // Call once the dialog's controls exist; the frame lives as the dialog's child.
    static TDialogFrame *Install(QDialog *dialog, QAbstractButton *confirm, QAbstractButton *cancel);

    // The width a window needs for its whole title beside the title bar's buttons.
    static int TitleWidth(const QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TDialogFrame(QDialog *dialog, QAbstractButton *confirm, QAbstractButton *cancel);
    void Centre();
    void Fit();

    QDialog *m_dialog;
    QAbstractButton *m_confirm;
    QAbstractButton *m_cancel;
    QSize m_least;
};

#include "session/ui/DialogFrame.h"

#include <QAbstractButton>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QScreen>

TDialogFrame::TDialogFrame(QDialog *dialog, QAbstractButton *confirm, QAbstractButton *cancel)
    : QObject(dialog), m_dialog(dialog), m_confirm(confirm), m_cancel(cancel)
{
}

TDialogFrame *TDialogFrame::Install(QDialog *dialog, QAbstractButton *confirm, QAbstractButton *cancel)
{
    auto *frame = new TDialogFrame(dialog, confirm, cancel);
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog->setModal(true);
    if (dialog->layout())
        dialog->layout()->setSizeConstraint(QLayout::SetFixedSize);
    dialog->installEventFilter(frame);
    for (QWidget *w : dialog->findChildren<QWidget *>())
        w->installEventFilter(frame);
    return frame;
}

void TDialogFrame::Centre()
{
    QScreen *screen = m_dialog->screen() ? m_dialog->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    m_dialog->adjustSize();
    QRect r = m_dialog->frameGeometry();
    r.moveCenter(screen->availableGeometry().center());
    m_dialog->move(r.topLeft());
}

bool TDialogFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && watched == m_dialog) {
        Centre();
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))
        return false;
    QAbstractButton *target = nullptr;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        target = m_confirm;
    else if (key->key() == Qt::Key_Escape)
        target = m_cancel;
    if (!target)
        return false;
    // Claim the key from shortcuts first; press the button on the key itself.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    target->click();
    return true;
}

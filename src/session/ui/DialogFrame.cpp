#include "session/ui/DialogFrame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QScreen>

TDialogFrame::TDialogFrame(QDialog *dialog, QAbstractButton *confirm, QAbstractButton *cancel)
    : QObject(dialog), m_dialog(dialog), m_confirm(confirm), m_cancel(cancel), m_least(dialog->minimumSize())
{
}

int TDialogFrame::TitleWidth(const QWidget *window)
{
    // Title bars use a bold face, often larger than the dialog's own; beside the title
    // go the icon, the buttons and the margins.
    constexpr int kTitleBarExtras = 120;
    QFont title = QApplication::font("QMdiSubWindowTitleBar");
    title.setBold(true);
    QFont own = window->font();
    own.setBold(true);
    const QString text = window->windowTitle();
    return qMax(QFontMetrics(title).horizontalAdvance(text), QFontMetrics(own).horizontalAdvance(text))
         + kTitleBarExtras;
}

void TDialogFrame::Fit()
{
    QLayout *layout = m_dialog->layout();
    if (!layout)
        return;
    layout->activate();
    // Where the dialog has a size of its own, it keeps it unless its controls need more.
    const QSize hint = layout->totalSizeHint();
    const QSize least = layout->totalMinimumSize();
    const int width = m_least.width() > 0 ? qMax(least.width(), m_least.width()) : hint.width();
    const int height = m_least.height() > 0 ? qMax(least.height(), m_least.height()) : hint.height();
    m_dialog->setFixedSize(qMax(width, TitleWidth(m_dialog)), height);
}

TDialogFrame *TDialogFrame::Install(QDialog *dialog, QAbstractButton *confirm, QAbstractButton *cancel)
{
    auto *frame = new TDialogFrame(dialog, confirm, cancel);
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog->setModal(true);
    // Fixed by the frame itself: the layout alone would shrink it to its size hint.
    if (dialog->layout())
        dialog->layout()->setSizeConstraint(QLayout::SetNoConstraint);
    dialog->installEventFilter(frame);
    for (QWidget *w : dialog->findChildren<QWidget *>())
        w->installEventFilter(frame);
    frame->Fit();
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
    if (watched == m_dialog) {
        switch (event->type()) {
        case QEvent::Show:
            Fit();
            Centre();
            return false;
        case QEvent::LayoutRequest:
        case QEvent::WindowTitleChange:
        case QEvent::FontChange:
            Fit();
            return false;
        default:
            break;
        }
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

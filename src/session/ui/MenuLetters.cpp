#include "session/ui/MenuLetters.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QKeySequence>
#include <QList>
#include <QMenuBar>

// Qt's documented switch for mnemonics (off on macOS); Qt's headers do not declare it.
void qt_set_sequence_auto_mnemonic(bool on);

namespace {

// While it lives, a caption set with an '&' shows its letter but grabs no shortcut.
class TNoMnemonicShortcuts
{
public:
    TNoMnemonicShortcuts() { qt_set_sequence_auto_mnemonic(false); }
    ~TNoMnemonicShortcuts() { qt_set_sequence_auto_mnemonic(m_wasOn); }
    TNoMnemonicShortcuts(const TNoMnemonicShortcuts &) = delete;
    TNoMnemonicShortcuts &operator=(const TNoMnemonicShortcuts &) = delete;

private:
    const bool m_wasOn = !QKeySequence::mnemonic(QStringLiteral("&x")).isEmpty();
};

} // namespace

void LeaveLettersToMenu(const QMenuBar *bar, QWidget *root)
{
    QList<QKeySequence> taken;
    for (const QAction *a : bar->actions()) {
        const QKeySequence k = QKeySequence::mnemonic(a->text());
        if (!k.isEmpty())
            taken.append(k);
    }
    for (QGroupBox *g : root->findChildren<QGroupBox *>()) {
        const QString title = g->title();
        if (!taken.contains(QKeySequence::mnemonic(title)))
            continue;
        // QGroupBox has no call to drop its shortcut: set the same title again, unheard.
        g->setTitle(QString());
        TNoMnemonicShortcuts off;
        g->setTitle(title);
    }
    for (QAbstractButton *b : root->findChildren<QAbstractButton *>()) {
        if (taken.contains(b->shortcut()))
            b->setShortcut(QKeySequence());
    }
}

#pragma once

#include <QHash>
#include <QObject>
#include <QSystemTrayIcon>

class QAction;
class QMenu;
class QTimer;
class QWidget;

// The program's icon in the notification area (TBIcon1) with its menu (PopupMenu1).
// It stays while the main window is hidden. Where the desktop has no tray it waits for
// one; should the tray go away while the window is hidden, the window comes back, so the
// program never runs out of reach.
class TTrayIcon : public QObject
{
    Q_OBJECT

public:
    // `available` tells whether a tray is there (QSystemTrayIcon::isSystemTrayAvailable
    // by default; tests pass their own).
    explicit TTrayIcon(QWidget *window, std::function<bool()> available = {});
    ~TTrayIcon() override;

    bool Available() const { return m_available(); }
    QSystemTrayIcon *Icon() const { return m_icon; }
    QMenu *Menu() const { return m_menu; }
    QAction *Action(const QString &objectName) const { return m_actions.value(objectName); }

    // TBIcon1DblClick: the window is shown as it was, with its size and its book.
    void ShowWindow();
    // Looks again whether the tray came or went.
    void Poll();
    // From now on (the start is over) a hidden window is brought back when the tray goes.
    void WatchWindow(bool on) { m_watching = on; }

signals:
    // "Vyhledat výročí" and "Ukončit program"; the program connects what they do.
    void SearchRequested();
    void QuitRequested();
    // Anything done through the tray: the person is at work.
    void Used();

private:
    QAction *AddItem(const char *name, const char *caption);

    QWidget *m_window;
    std::function<bool()> m_available;
    QSystemTrayIcon *m_icon;
    QMenu *m_menu;
    QTimer *m_poll;
    QHash<QString, QAction *> m_actions;
    bool m_watching = false;
};

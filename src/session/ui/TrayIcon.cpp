#include "session/ui/TrayIcon.h"

#include "session/ui/AppIcon.h"

#include <QAction>
#include <QMenu>
#include <QTimer>
#include <QWidget>

TTrayIcon::TTrayIcon(QWidget *window, std::function<bool()> available)
    : QObject(window), m_window(window), m_available(std::move(available))
{
    if (!m_available)
        m_available = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    setObjectName(QStringLiteral("TBIcon1"));
    m_icon = new QSystemTrayIcon(AppIcon(), this);
    m_icon->setObjectName(QStringLiteral("TBIcon1"));
    m_icon->setToolTip(QStringLiteral("Vorlink pro W95"));

    m_menu = new QMenu(window);
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    connect(AddItem("IZobrazit", "Zobrazit vorlink"), &QAction::triggered, this, &TTrayIcon::ShowWindow);
    connect(AddItem("IHledat", "Vyhledat výročí"), &QAction::triggered, this, [this] {
        emit Used();
        emit SearchRequested();
    });
    m_menu->addSeparator();
    connect(AddItem("IUkoncit", "Ukončit program"), &QAction::triggered, this, [this] {
        emit Used();
        emit QuitRequested();
    });
    m_menu->addSeparator();
    // "Zpět" only closes the menu.
    AddItem("IZpet", "Zpět");
    m_icon->setContextMenu(m_menu);

    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r != QSystemTrayIcon::Context)
            ShowWindow();
    });

    // Desktops start their panel after their programs, and panels restart: look now and then.
    m_poll = new QTimer(this);
    m_poll->setInterval(2000);
    connect(m_poll, &QTimer::timeout, this, &TTrayIcon::Poll);
    m_poll->start();
    Poll();
}

TTrayIcon::~TTrayIcon()
{
    m_icon->hide();
}

QAction *TTrayIcon::AddItem(const char *name, const char *caption)
{
    auto *a = new QAction(QString::fromUtf8(caption), m_menu);
    a->setObjectName(QString::fromLatin1(name));
    m_menu->addAction(a);
    m_actions.insert(a->objectName(), a);
    return a;
}

void TTrayIcon::ShowWindow()
{
    emit Used();
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void TTrayIcon::Poll()
{
    const bool available = Available();
    if (available && !m_icon->isVisible())
        m_icon->show();
    else if (!available && m_watching && m_window->isHidden()) {
        // The tray went away under a hidden window: bring it back rather than lose it.
        ShowWindow();
    }
}

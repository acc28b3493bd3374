#include "app/VorlinkApp.h"
#include "session/Session.h"
#include "session/ui/FormMain.h"
#include "session/ui/TrayIcon.h"
#include "util/Clock.h"

#include "FakePrompt.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// An X server of our own with a stand-alone tray on it; what failed, if anything.
struct TTrayDesktop
{
    QProcess Xvfb;
    QProcess Trayer;
    QString Failure;

    TTrayDesktop()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        const QString trayer = QStandardPaths::findExecutable(QStringLiteral("trayer"));
        if (xvfb.isEmpty() || trayer.isEmpty()) {
            Failure = QStringLiteral("Xvfb or trayer is not installed (packages xvfb, trayer)");
            return;
        }
        // -displayfd tells the number of the display the server found free.
        Xvfb.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                          QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                          QStringLiteral("tcp")});
        if (!Xvfb.waitForReadyRead(10000)) {
            Failure = QStringLiteral("Xvfb did not start");
            return;
        }
        const QByteArray display = ':' + Xvfb.readLine().trimmed();
        qputenv("DISPLAY", display);
        // The tray is an XEmbed one; no status-notifier service may take its place.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("WAYLAND_DISPLAY");
        Trayer.start(trayer, {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                              QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                              QStringLiteral("--width"), QStringLiteral("200"), QStringLiteral("--height"),
                              QStringLiteral("32")});
        if (!Trayer.waitForStarted(5000))
            Failure = QStringLiteral("trayer did not start");
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    ~TTrayDesktop()
    {
        for (QProcess *p : {&Trayer, &Xvfb}) {
            p->terminate();
            p->waitForFinished(3000);
        }
    }
};

TTrayDesktop *g_desktop = nullptr;

// The widget Qt embeds into the tray for the icon.
QWidget *TrayWidget()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (QByteArray(w->metaObject()->className()) == "QSystemTrayIconSys" && w->isVisible())
            return w;
    }
    return nullptr;
}

} // namespace

class TestTray : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!g_desktop->Failure.isEmpty())
            QSKIP(qPrintable(g_desktop->Failure));
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("the X server could not be reached");
        // trayer takes a moment to claim the tray.
        if (!QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000))
            QSKIP("trayer started but offers no tray");
    }

    void iconMenuAndDoubleClick()
    {
        QTemporaryDir dir;
        TFakePrompt prompt;
        TFixedClock clock;
        TVorlinkApp app(prompt, clock, dir.filePath(QStringLiteral("settings.ini")));
        // "/l": only the icon is there.
        app.Start({QStringLiteral("/l")}, dir.path() + QLatin1Char('/'), dir.path() + QLatin1Char('/'));
        app.ShowWindow();
        TFormMain &w = app.Window();
        QVERIFY(!w.isVisible());
        TTrayIcon *tray = app.Tray();
        QVERIFY(tray->Icon()->isVisible());
        QCOMPARE(tray->Icon()->toolTip(), QStringLiteral("Vorlink pro W95"));
        QWidget *icon = nullptr;
        QVERIFY(QTest::qWaitFor([&] { return (icon = TrayWidget()) != nullptr; }, 5000));
        // Embedded in the tray's own window, not a window of its own on the screen.
        QVERIFY(QTest::qWaitFor([&] { return icon->isVisible() && icon->width() > 0; }, 5000));

        // The right button opens the menu with its items and separators; "Zpět" only closes it.
        QTest::mouseClick(icon, Qt::RightButton, {}, icon->rect().center());
        QMenu *menu = tray->Menu();
        QVERIFY(QTest::qWaitFor([menu] { return menu->isVisible(); }, 5000));
        QStringList items;
        for (QAction *a : menu->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(items, QStringList({QStringLiteral("Zobrazit vorlink"), QString::fromUtf8("Vyhledat výročí"),
                                     QStringLiteral("-"), QString::fromUtf8("Ukončit program"), QStringLiteral("-"),
                                     QString::fromUtf8("Zpět")}));
        menu->setActiveAction(tray->Action(QStringLiteral("IZpet")));
        QTest::keyClick(menu, Qt::Key_Return);
        QVERIFY(QTest::qWaitFor([menu] { return !menu->isVisible(); }, 5000));
        QVERIFY(!w.isVisible());

        // A double-click brings the window back with its size.
        const QSize size = w.size();
        QTest::mouseDClick(icon, Qt::LeftButton, {}, icon->rect().center());
        QVERIFY(QTest::qWaitFor([&w] { return w.isVisible(); }, 5000));
        QCOMPARE(w.size(), size);

        // With "Lista" the close button hides it again; the icon stays.
        w.Session().Settings.Lista = true;
        QVERIFY(!w.close());
        QVERIFY(!w.isVisible());
        QVERIFY(tray->Icon()->isVisible());
        // "Ukončit program" ends the program, Lista or not.
        QSignalSpy ended(&w, &TFormMain::Ended);
        tray->Action(QStringLiteral("IUkoncit"))->trigger();
        QCOMPARE(ended.size(), 1);
        QVERIFY(!w.Session().Settings.Lista);
    }
};

int main(int argc, char *argv[])
{
    TTrayDesktop desktop;
    g_desktop = &desktop;
    if (!desktop.Failure.isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    TestTray test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tray.moc"

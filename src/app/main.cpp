#include "app/VorlinkApp.h"
#include "calendar/ui/SoundPlayer.h"
#include "session/ui/AppIcon.h"
#include "session/ui/FormLoader.h"
#include "session/ui/FormMain.h"
#include "session/ui/QtCzech.h"
#include "session/ui/StartOptions.h"
#include "session/ui/WidgetPrompt.h"
#include "util/Clock.h"
#include "util/FileName.h"
#include "util/Version.h"

#include <QApplication>
#include <QDir>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
#ifdef SIGXFSZ
    // Beyond a file-size limit a save fails with its message; the signal would end the
    // program and lose the unsaved edits.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // Arguments as their bytes are, so a book name that is not UTF-8 still opens.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(FileName::FromBytes(argv[i]));
    // Answered before the application exists: it needs no display and opens no window.
    if (TStartOptions::Parse(arguments).ShowVersion) {
        std::printf("vorlink %s\n", ProgramVersion().toUtf8().constData());
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    TSoundPlayer::PreferGStreamerBackend();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorlink"));
    QApplication::setOrganizationName(QStringLiteral("Brevmark"));
    QApplication::setWindowIcon(AppIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.brevmark.vorlink"));
    // Without the translations Qt's dialogs stay English; the program still works.
    InstallQtCzech();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);

    TFLoader splash;
    splash.ShowNow();

    TSystemClock clock;
    TWidgetPrompt prompt;
    // The main window opens the settings store and loads the recent files.
    TVorlinkApp vorlink(prompt, clock);
    TFormMain &window = vorlink.Window();
    prompt.SetWindow(&window);
    vorlink.Start(arguments, WithTrailingSeparator(QDir::currentPath()),
                  WithTrailingSeparator(QCoreApplication::applicationDirPath()));

    splash.hide();
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();

    // The program ends with its main window, not with whichever window closes last: a
    // dialog shown from the tray may be the only one open.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&window, &TFormMain::Ended, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    // Hidden only where a tray icon can bring the window back.
    vorlink.ShowWindow();
    return app.exec();
}

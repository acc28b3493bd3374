#include "calendar/NameDayCalendar.h"
#include "core/DocumentCommands.h"
#include "core/Session.h"
#include "core/ui/FormLoader.h"
#include "core/ui/FormMain.h"
#include "core/ui/StartOptions.h"
#include "core/ui/WidgetPrompt.h"
#include "util/Clock.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorlink"));
    QApplication::setOrganizationName(QStringLiteral("Brevmark"));
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);

    TFLoader splash;
    splash.ShowNow();

    TSystemClock clock;
    TWidgetPrompt prompt;
    // The main window opens the settings store and loads the recent files.
    TFormMain window(prompt, clock);
    prompt.SetWindow(&window);

    const TStartOptions options = TStartOptions::Parse(QCoreApplication::arguments().mid(1));
    const QString startupDir = WithTrailingSeparator(QDir::currentPath());
    const QString programDir = WithTrailingSeparator(QCoreApplication::applicationDirPath());
    // Played by the reminders; found now so a missing file costs nothing later.
    const TReminderSound sound = TReminderSound::Find(startupDir, programDir);
    Q_UNUSED(sound);
    window.Session().Calendar.Load(programDir + QStringLiteral("vorlink.sva"));
    window.Commands().StartUp(options.CommandLineFile);

    splash.hide();
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();

    // Hidden only where a tray icon can bring the window back.
    if (!(options.StartHidden && window.TrayPresent()))
        window.show();
    return app.exec();
}

#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class IClock;
class IPrompt;
class TAnniversaryCommands;
class TDateFieldCommands;
class TExchangeCommands;
class TWidgetExchangeDialogs;
class TFormMain;
class TMaskCommands;
class TSoundPlayer;
class TWidgetCalendarDialogs;
class TWidgetMaskDialogs;

// The running desktop program: the main window with every subsystem's commands and
// dialogs connected to its menu items and fields.
class TVorlinkApp
{
public:
    // An empty iniPath uses the user's own settings store.
    TVorlinkApp(IPrompt &prompt, const IClock &clock, const QString &iniPath = {});
    ~TVorlinkApp();

    // The start-up after the windows exist: the reminder sound, the name-day calendar
    // and the book named on the command line (arguments without the program).
    void Start(const QStringList &arguments, const QString &startupDir, const QString &programDir);
    bool StartHidden() const { return m_startHidden; }

    TFormMain &Window() { return *m_window; }
    TMaskCommands &Mask() { return *m_mask; }
    TAnniversaryCommands &Anniversaries() { return *m_anniversaries; }
    TDateFieldCommands &Dates() { return *m_dates; }
    TSoundPlayer &Sound() { return *m_sound; }
    TExchangeCommands &Exchange() { return *m_exchange; }

private:
    void Connect();

    std::unique_ptr<TFormMain> m_window;
    std::unique_ptr<TWidgetMaskDialogs> m_maskDialogs;
    std::unique_ptr<TWidgetCalendarDialogs> m_calendarDialogs;
    std::unique_ptr<TSoundPlayer> m_sound;
    std::unique_ptr<TMaskCommands> m_mask;
    std::unique_ptr<TAnniversaryCommands> m_anniversaries;
    std::unique_ptr<TDateFieldCommands> m_dates;
    std::unique_ptr<TWidgetExchangeDialogs> m_exchangeDialogs;
    std::unique_ptr<TExchangeCommands> m_exchange;
    bool m_startHidden = false;
};

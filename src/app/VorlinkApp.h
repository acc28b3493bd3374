#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class IClock;
class IPrompt;
class TAboutBox;
class TAnniversaryCommands;
class TDesktopLinks;
class TLinkCommands;
class TTrayIcon;
class TDateFieldCommands;
class TExchangeCommands;
class TInteropCommands;
class TWidgetInteropDialogs;
class IPasswordStore;
class TSyncCommands;
class TWidgetSyncDialogs;
class TWidgetExchangeDialogs;
class TFormMain;
class TMaskCommands;
class TReportCommands;
class TWidgetReportPorts;
class IReportPrinter;
class TPrintWindows;
class TSoundPlayer;
class TWidgetCalendarDialogs;
class TWidgetMaskDialogs;
class ISerialPort;
class ITicker;
class TDesktopPhone;
class TDiallingCommands;
class TModemCall;
class TWidgetDiallingDialogs;

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
    TDiallingCommands &Dialling() { return *m_dialling; }
    TModemCall &Call() { return *m_call; }
    TWidgetDiallingDialogs &DiallingDialogs() { return *m_diallingDialogs; }
    TLinkCommands &Links() { return *m_linkCommands; }
    TSyncCommands &Sync() { return *m_sync; }
    TAboutBox *AboutBox() const { return m_about.get(); }
    TTrayIcon *Tray() const { return m_tray; }
    // Shows the main window unless "/l" asked for the tray and a tray is there.
    void ShowWindow();
    TReportCommands &Reports() { return *m_reports; }
    TExchangeCommands &Exchange() { return *m_exchange; }
    TInteropCommands &Interop() { return *m_interop; }
    TPrintWindows &Printing() { return *m_printing; }

private:
    void Connect();
    void ConnectInterop();
    void ConnectSync(const QString &iniPath);
    void ConnectDialling();
    void ConnectPrinting();

    std::unique_ptr<TFormMain> m_window;
    std::unique_ptr<TWidgetMaskDialogs> m_maskDialogs;
    std::unique_ptr<TWidgetCalendarDialogs> m_calendarDialogs;
    std::unique_ptr<TSoundPlayer> m_sound;
    std::unique_ptr<TMaskCommands> m_mask;
    std::unique_ptr<TAnniversaryCommands> m_anniversaries;
    std::unique_ptr<TDateFieldCommands> m_dates;
    // The port outlives the call, which hangs up a running call when it goes.
    std::unique_ptr<ISerialPort> m_modemPort;
    std::unique_ptr<ITicker> m_ticker;
    std::unique_ptr<TModemCall> m_call;
    std::unique_ptr<TWidgetDiallingDialogs> m_diallingDialogs;
    std::unique_ptr<TDesktopPhone> m_desktopPhone;
    std::unique_ptr<TDiallingCommands> m_dialling;
    std::unique_ptr<TDesktopLinks> m_links;
    std::unique_ptr<TLinkCommands> m_linkCommands;
    std::unique_ptr<TAboutBox> m_about;
    TTrayIcon *m_tray = nullptr;
    std::unique_ptr<TWidgetReportPorts> m_reportPorts;
    std::unique_ptr<TReportCommands> m_reports;
    std::unique_ptr<TWidgetExchangeDialogs> m_exchangeDialogs;
    std::unique_ptr<TExchangeCommands> m_exchange;
    std::unique_ptr<TWidgetInteropDialogs> m_interopDialogs;
    std::unique_ptr<TInteropCommands> m_interop;
    std::unique_ptr<IPasswordStore> m_passwords;
    std::unique_ptr<TWidgetSyncDialogs> m_syncDialogs;
    std::unique_ptr<TSyncCommands> m_sync;
    std::unique_ptr<TPrintWindows> m_printing;
    std::unique_ptr<IReportPrinter> m_reportPrinter;
    bool m_startHidden = false;
};

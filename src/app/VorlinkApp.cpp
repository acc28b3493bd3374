#include "app/VorlinkApp.h"

#include "about/LinkCommands.h"
#include "about/ui/AboutBox.h"

#include "calendar/AnniversaryCommands.h"
#include "calendar/DateFieldCommands.h"
#include "calendar/ui/SoundPlayer.h"
#include "calendar/ui/WidgetCalendarDialogs.h"
#include "session/DocumentCommands.h"
#include "session/Session.h"
#include "session/ui/EditorPages.h"
#include "session/ui/FormMain.h"
#include "session/ui/StartOptions.h"
#include "session/ui/TrayIcon.h"
#include "session/DataFiles.h"
#include "mask/MaskCommands.h"
#include "mask/ui/WidgetMaskDialogs.h"
#include "dialling/DiallingCommands.h"
#include "dialling/ModemCall.h"
#include "dialling/SecondTicker.h"
#include "dialling/ui/QtSerialPort.h"
#include "dialling/ui/WidgetDiallingDialogs.h"
#include "reports/ReportCommands.h"
#include "reports/ui/WidgetReportPorts.h"
#include "printing/ui/FormObalka.h"
#include "printing/ui/FormOdesilatel.h"
#include "printing/ui/FormStitky.h"
#include "printing/ui/PrintWindows.h"
#include "printing/ui/ReportOutput.h"
#include "exchange/ExchangeCommands.h"
#include "exchange/ui/WidgetExchangeDialogs.h"
#include "interop/InteropCommands.h"
#include "interop/ui/WidgetInteropDialogs.h"
#include "interop/VCardMapping.h"
#include "session/Prompt.h"
#include "sync/SyncCommands.h"
#include "sync/ui/KeychainPasswords.h"
#include "sync/ui/WidgetSyncDialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>

TVorlinkApp::TVorlinkApp(IPrompt &prompt, const IClock &clock, const QString &iniPath)
{
    m_window = std::make_unique<TFormMain>(prompt, clock, iniPath);
    m_maskDialogs = std::make_unique<TWidgetMaskDialogs>(m_window.get());
    m_calendarDialogs = std::make_unique<TWidgetCalendarDialogs>(m_window.get());
    m_sound = std::make_unique<TSoundPlayer>();
    TSession &s = m_window->Session();
    m_mask = std::make_unique<TMaskCommands>(s, m_window->Editor(), *m_maskDialogs);
    m_anniversaries = std::make_unique<TAnniversaryCommands>(s, m_window->Editor(), *m_calendarDialogs, m_sound.get());
    m_dates = std::make_unique<TDateFieldCommands>(s, m_window->Editor(), m_calendarDialogs.get());
    m_anniversaries->RegisterAutoSearch(m_window->Commands());
    m_links = std::make_unique<TDesktopLinks>();
    m_linkCommands = std::make_unique<TLinkCommands>(s, *m_links);
    m_about = std::make_unique<TAboutBox>(*m_links, m_window.get());
    m_tray = new TTrayIcon(m_window.get());
    m_reportPorts = std::make_unique<TWidgetReportPorts>(
        m_window.get(), ReportTemplatesDir(QCoreApplication::applicationDirPath()), &s);
    m_reports = std::make_unique<TReportCommands>(s, m_window->Editor(), m_window->Commands(), *m_reportPorts,
                                                  *m_reportPorts);
    m_exchangeDialogs = std::make_unique<TWidgetExchangeDialogs>(m_window.get());
    m_exchange = std::make_unique<TExchangeCommands>(s, m_window->Editor(), m_window->Commands(), *m_exchangeDialogs);
    Connect();
    ConnectDialling();
    ConnectInterop();
    ConnectSync(iniPath);
    ConnectPrinting();
}

namespace {

// "Po vytvoření" of the report dialog, done by the printing windows.
class TReportPrinter : public IReportPrinter
{
public:
    explicit TReportPrinter(TReportOutput &output) : m_output(output) { }

    void PrintReport(const QString &path, int codePage, TAfterReport what) override
    {
        switch (what) {
        case TAfterReport::FileOnly:
            return;
        case TAfterReport::Print:
            return m_output.Output(path, codePage, TPrintAction::Print);
        case TAfterReport::Preview:
            return m_output.Output(path, codePage, TPrintAction::Preview);
        case TAfterReport::Pdf:
            return m_output.Output(path, codePage, TPrintAction::Pdf);
        }
    }

private:
    TReportOutput &m_output;
};

} // namespace

void TVorlinkApp::ConnectPrinting()
{
    TFormMain &w = *m_window;
    m_printing = std::make_unique<TPrintWindows>(w.Session(), w.Editor(), m_window.get());
    m_reportPrinter = std::make_unique<TReportPrinter>(m_printing->Reports());
    m_reports->SetPrinter(m_reportPrinter.get());
    TPrintWindows *p = m_printing.get();
    auto bind = [&w](const char *name, auto handler) {
        QAction *a = w.Action(QString::fromLatin1(name));
        Q_ASSERT(a);
        a->setEnabled(true);
        QObject::connect(a, &QAction::triggered, a, handler);
    };
    bind("ITiskStitku", [p] { p->Stitky().ITiskStitkuClick(); });
    bind("ITiskObalky", [p] { p->Obalka().ITiskObalkyClick(); });
    bind("IOdesilatel", [p] { p->Odesilatel().IOdesilatelClick(); });
}

// vCard, CSV and iCalendar join the file menu's import and export dialogs.
void TVorlinkApp::ConnectInterop()
{
    TSession &s = m_window->Session();
    m_interopDialogs = std::make_unique<TWidgetInteropDialogs>(m_window.get());
    m_interop = std::make_unique<TInteropCommands>(s, m_window->Editor(), m_window->Commands(), *m_interopDialogs);
    TInteropCommands *interop = m_interop.get();
    m_exchange->AddImportFormat({TInteropCommands::ImportFilter(),
                                 [interop](const QString &path) { return interop->ImportVCard(path); }});
    const QStringList filters = TInteropCommands::ExportFilters();
    for (int i = 0; i < filters.size(); ++i) {
        const auto format = TInteropFormat(i);
        m_exchange->AddExportFormat(
            {filters.at(i), [interop, format](const QString &path) { return interop->Export(format, path); }});
    }
}

// The CardDAV sync: its settings, its run from the file menu or on open and save, and
// the program's end waiting for it.
void TVorlinkApp::ConnectSync(const QString &iniPath)
{
    TFormMain &w = *m_window;
    TSession &s = w.Session();
    m_passwords = std::make_unique<TKeychainPasswords>();
    m_syncDialogs = std::make_unique<TWidgetSyncDialogs>(m_window.get());
    m_sync = std::make_unique<TSyncCommands>(
        s, w.Editor(), w.Commands(), *m_syncDialogs, *m_passwords,
        [](const TBookLabels &labels, const TSettings &settings) -> std::unique_ptr<ICardMapping> {
            TExportOptions options;
            options.OwnCountry = settings.Stat;
            options.OwnArea = settings.Misto;
            return std::make_unique<TVCardMapping>(labels, options);
        },
        iniPath);
    QAction *run = w.Action(QStringLiteral("ISynchronizovat"));
    QAction *settings = w.Action(QStringLiteral("ISynchronizace"));
    run->setEnabled(true);
    settings->setEnabled(true);
    TSyncCommands *sync = m_sync.get();
    QObject::connect(run, &QAction::triggered, run, [sync] { sync->ISynchronizovatClick(); });
    QObject::connect(settings, &QAction::triggered, settings, [sync] { sync->ISynchronizaceClick(); });
    // A second sync cannot start while one runs.
    QObject::connect(sync, &TSyncCommands::RunningChanged, run, [run, settings](bool running) {
        run->setEnabled(!running);
        settings->setEnabled(!running);
    });
    // After the open or save has finished, not inside it.
    QObject::connect(&w.Commands(), &TDocumentCommands::BookStored, sync, &TSyncCommands::AfterOpenOrSave,
                     Qt::QueuedConnection);
    // Closing during a run asks, stops it at its safe point and closes once it has: after
    // the run's own call has returned, not inside it.
    w.Closing().SetWork(sync);
    QObject::connect(
        sync, &TSyncCommands::RunningChanged, &w,
        [&w](bool running) {
            if (!running)
                w.WorkStopped();
        },
        Qt::QueuedConnection);
}

TVorlinkApp::~TVorlinkApp() = default;

void TVorlinkApp::ConnectDialling()
{
    TFormMain &w = *m_window;
    TSession &s = w.Session();
    m_modemPort = std::make_unique<TQtSerialPort>();
    m_ticker = std::make_unique<TSecondTicker>();
    m_call = std::make_unique<TModemCall>(s.Settings, *m_modemPort, *m_ticker, s.Prompt);
    m_diallingDialogs = std::make_unique<TWidgetDiallingDialogs>(*m_call, m_window.get());
    m_desktopPhone = std::make_unique<TDesktopPhone>();
    m_dialling = std::make_unique<TDiallingCommands>(s, *m_call, *m_diallingDialogs, *m_desktopPhone);

    QAction *a = w.Action(QStringLiteral("IVytaceni"));
    a->setEnabled(true);
    QObject::connect(a, &QAction::triggered, a, [this] { m_dialling->IVytaceniClick(); });
    QObject::connect(&w, &TFormMain::FieldDoubleClicked, &w, [this](int field) {
        if (const int group = PhoneGroupOf(EField(field)))
            m_dialling->TelefonDblClick(group);
    });
    auto *frames = new TPhoneFrameClicks(w.Pages());
    QObject::connect(frames, &TPhoneFrameClicks::GroupDoubleClicked, &w,
                     [this](int group) { m_dialling->TelefonDblClick(group); });
    // Quitting in the middle of a call puts the modem on hook first.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, m_call.get(), [this] {
        if (m_call->Busy())
            m_call->Hangup();
    });
}

void TVorlinkApp::Connect()
{
    TFormMain &w = *m_window;
    auto bind = [&](const char *name, auto handler) {
        QAction *a = w.Action(QString::fromLatin1(name));
        Q_ASSERT(a);
        a->setEnabled(true);
        QObject::connect(a, &QAction::triggered, a, handler);
    };
    bind("IMaska", [this] { m_mask->IMaskaClick(); });
    bind("Zmnitlogiku1", [this] { m_mask->Zmnitlogiku1Click(); });
    bind("INajit", [this] { m_mask->INajitClick(); });
    bind("INajitDalsi", [this] { m_mask->INajitDalsiClick(); });
    bind("Koprovatzznam1", [this] { m_mask->Koprovatzznam1Click(); });
    bind("Vloitzznam1", [this] { m_mask->Vloitzznam1Click(); });
    bind("IVyhledat", [this] { m_anniversaries->IVyhledatClick(); });
    bind("IUpozornovani", [this] { m_anniversaries->IUpozornovaniClick(); });
    bind("IAutor", [this] { m_about->Show(TAboutInfo::Program()); });

    // The tray: its menu and the window's closing.
    TTrayIcon *tray = m_tray;
    w.SetTrayPresent([tray] { return tray->Available(); });
    QObject::connect(tray, &TTrayIcon::Used, &w, [&w] { w.Closing().Resume(); });
    QObject::connect(tray, &TTrayIcon::SearchRequested, &w, [this] { m_anniversaries->IHledatClick(); });
    QObject::connect(tray, &TTrayIcon::QuitRequested, &w, [&w] { w.CloseFor(TCloseTrigger::Ukoncit); });
    // The icon leaves the tray with the program.
    QObject::connect(&w, &TFormMain::Ended, tray, [tray] {
        tray->WatchWindow(false);
        tray->Icon()->hide();
    });
    bind("ITisk", [this] { m_reports->ITiskClick(); });
    bind("INastaveniTisku", [this] { m_reports->INastaveniTiskuClick(); });
    bind("IImport", [this] { m_exchange->IImportClick(); });
    bind("IExport", [this] { m_exchange->IExportClick(); });

    QObject::connect(&w, &TFormMain::FieldExited, &w, [this](int field) {
        switch (EField(field)) {
        case EField::Narozeniny:
            m_dates->NarozeninyExit();
            break;
        case EField::Svatek:
            m_dates->SvatekExit();
            break;
        case EField::RodneCislo:
            m_dates->RodneCisloExit();
            break;
        case EField::Jmeno:
            m_dates->JmenoExit(false);
            break;
        default:
            break;
        }
    });
    QObject::connect(&w, &TFormMain::FieldDoubleClicked, &w, [this](int field) {
        if (EField(field) == EField::Jmeno)
            m_dates->JmenoDblClick();
        else if (EField(field) == EField::Svatek)
            m_dates->SvatekDblClick();
        else if (EField(field) == EField::Email)
            m_linkCommands->EmailDblClick();
        else if (EField(field) == EField::Http)
            m_linkCommands->HttpDblClick();
    });
    QPushButton *pick = w.Pages()->ButtonJmeniny();
    pick->setEnabled(true);
    QObject::connect(pick, &QPushButton::clicked, &w, [this] { m_dates->ButtonJmeninyClick(); });
}

void TVorlinkApp::Start(const QStringList &arguments, const QString &startupDir, const QString &programDir)
{
    const TStartOptions options = TStartOptions::Parse(arguments);
    m_startHidden = options.StartHidden;
    m_sound->Open(startupDir, programDir);
    // Beside the program first; an installed copy has it in its data directory.
    const QString calendar = FindDataFile(QStringLiteral("vorlink.sva"), {programDir});
    if (calendar.isEmpty())
        m_window->Session().Calendar.SetLines({});
    else
        m_window->Session().Calendar.Load(calendar);
    m_window->Commands().StartUp(options.CommandLineFile);
}

void TVorlinkApp::ShowWindow()
{
    if (TWindowClosing::ShowAtStart(m_startHidden, m_tray->Available()))
        m_window->show();
    m_tray->WatchWindow(true);
}

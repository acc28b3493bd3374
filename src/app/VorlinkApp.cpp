#include "app/VorlinkApp.h"

#include "calendar/AnniversaryCommands.h"
#include "calendar/DateFieldCommands.h"
#include "calendar/ui/SoundPlayer.h"
#include "calendar/ui/WidgetCalendarDialogs.h"
#include "session/DocumentCommands.h"
#include "session/Session.h"
#include "session/ui/EditorPages.h"
#include "session/ui/FormMain.h"
#include "session/ui/StartOptions.h"
#include "mask/MaskCommands.h"
#include "mask/ui/WidgetMaskDialogs.h"
#include "exchange/ExchangeCommands.h"
#include "exchange/ui/WidgetExchangeDialogs.h"

#include <QAction>
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
    m_exchangeDialogs = std::make_unique<TWidgetExchangeDialogs>(m_window.get());
    m_exchange = std::make_unique<TExchangeCommands>(s, m_window->Editor(), m_window->Commands(), *m_exchangeDialogs);
    Connect();
}

TVorlinkApp::~TVorlinkApp() = default;

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
    m_window->Session().Calendar.Load(programDir + QStringLiteral("vorlink.sva"));
    m_window->Commands().StartUp(options.CommandLineFile);
}

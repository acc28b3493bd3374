#include "session/Session.h"

#include "session/MainView.h"
#include "session/Messages.h"
#include "session/Prompt.h"

TSession::TSession(IPrompt &prompt, const IClock &clock, IMainView &view, const QString &iniPath)
    : Prompt(prompt), Clock(clock), View(view), Book(prompt), Store(Settings, clock, iniPath)
{
}

void TSession::LoadBookSettings(const TContactRecord &header, const QString &path)
{
    Book.Labels = TBookLabels::FromHeader(header);
    Settings.ListBox = View.ListWidth();
    Store.LoadBookValues(path);
    View.SetWindowSize(QSize(Settings.Sirka, Settings.Vyska));
    View.SetListWidth(Settings.ListBox);
    View.ApplyLabels(Book.Labels);
}

void TSession::ResetBookSettings()
{
    Book.Labels = TBookLabels::Defaults();
    Store.ResetBookSettings();
    View.ApplyLabels(Book.Labels);
}

bool TSession::SaveBookSettings(const QString &path)
{
    const QSize size = View.WindowSize();
    Settings.Sirka = size.width();
    Settings.Vyska = size.height();
    Settings.ListBox = View.ListWidth();
    return Reported(Store.SaveBookSettings(path));
}

bool TSession::SaveRecentFiles()
{
    return Reported(Store.SaveRecentFiles(Recent.Files()));
}

bool TSession::Reported(bool written)
{
    if (!written)
        Prompt.Hlaska(Msg::RegistryFailed(), THlaskaKind::Chyba);
    return written;
}

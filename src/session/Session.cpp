#include "session/Session.h"

TSession::TSession(IPrompt &prompt, const IClock &clock, IMainView &view, const QString &iniPath)
    : Prompt(prompt), Clock(clock), View(view), Book(prompt), Store(Settings, view, clock, prompt, iniPath)
{
}

#pragma once

#include "calendar/NameDayCalendar.h"
#include "core/AddressBook.h"
#include "core/EditorBuffer.h"
#include "core/RecentFiles.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"

class IClock;
class IMainView;
class IPrompt;

// Everything one running program holds: the open book, the editor, the settings, the
// calendar, the record clipboard and the ports to the outside.
class TSession
{
public:
    TSession(IPrompt &prompt, const IClock &clock, IMainView &view, const QString &iniPath = {});

    IPrompt &Prompt;
    const IClock &Clock;
    IMainView &View;

    TAddressBook Book;
    TEditorBuffer Editor;
    TSettings Settings;
    TSettingsStore Store;
    TNameDayCalendar Calendar;
    TRecentFiles Recent;
    TContactRecord CopiedRecord;
};

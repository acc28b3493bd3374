#pragma once

#include "session/AddressBook.h"
#include "session/EditorBuffer.h"
#include "session/NameDayCalendar.h"
#include "session/RecentFiles.h"
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

    // The open book's captions and settings, carried between the store, the window and
    // the person: the captions come from the file's header, the window takes the stored
    // geometry, and a store that cannot be written is reported.
    void LoadBookSettings(const TContactRecord &header, const QString &path);
    void ResetBookSettings();
    bool SaveBookSettings(const QString &path);
    bool SaveRecentFiles();

private:
    bool Reported(bool written);
};

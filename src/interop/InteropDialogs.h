#pragma once

#include "interop/InteropFormat.h"

#include <QtGlobal>

// Import into a new book or added to the open one.
enum class TImportTarget { Cancel, NewBook, Append };

// What the export and import of vCard, CSV and iCalendar ask of the person, and their
// progress. The GUI shows dialogs; tests script the answers.
class IInteropDialogs
{
public:
    virtual ~IInteropDialogs() = default;

    // The choices of a format before it is written (Outlook's code page, the calendar's
    // reminder); false when cancelled. Formats without choices are not asked about.
    virtual bool AskExportOptions(TExportOptions &options) = 0;
    virtual TImportTarget AskImportTarget() = 0;
    // During long work; `done` == `total` or a call with total 0 ends the display.
    virtual void Progress(qint64 done, qint64 total) = 0;
};

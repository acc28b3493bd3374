#pragma once

#include <QString>

// The file dialog of the report commands ("Výběr tiskové sestavy"); the GUI shows it,
// tests and the command line answer without a window.
class IReportDialogs
{
public:
    virtual ~IReportDialogs() = default;
    // An existing template file, or empty when cancelled.
    virtual QString AskTemplate() = 0;
};

// Hands a template to the desktop's plain-text editor without waiting for it.
class ITextEditorLauncher
{
public:
    virtual ~ITextEditorLauncher() = default;
    // False only when the start could not even be prepared; whether the editor then
    // comes up is not known and not asked.
    virtual bool StartEditor(const QString &path) = 0;
};

#pragma once

#include <QString>

// What happens to a report once its file is written ("Po vytvoření").
enum class TAfterReport { FileOnly, Print, Preview, Pdf };

// The file dialog of the report commands ("Výběr tiskové sestavy"); the GUI shows it,
// tests and the command line answer without a window.
class IReportDialogs
{
public:
    virtual ~IReportDialogs() = default;
    // An existing template file, or empty when cancelled.
    virtual QString AskTemplate() = 0;
    // The same for "Nastavení tisku", where nothing is printed.
    virtual QString AskTemplateToEdit() { return AskTemplate(); }
    // The choice made in that dialog for the report about to be written.
    virtual TAfterReport AfterReport() const { return TAfterReport::FileOnly; }
};

// Puts a written report on paper or into a PDF.
class IReportPrinter
{
public:
    virtual ~IReportPrinter() = default;
    // `path` holds the report in the template's code page (0 437, 1 Kamenický, 2 Latin 2,
    // 4 Windows-1250).
    virtual void PrintReport(const QString &path, int codePage, TAfterReport what) = 0;
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

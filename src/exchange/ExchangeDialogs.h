#pragma once

#include <QString>
#include <QtGlobal>

// The filters of the import dialog, in their order; the reading follows the filter the
// dialog closed with, not the file's extension.
enum class TImportKind { Dta = 1, Kontakty = 2, Firmy = 3 };

struct TImportChoice
{
    QString Path;
    TImportKind Kind = TImportKind::Dta;
};

// The file dialogs and the progress display of import and export. The GUI shows real
// dialogs; tests script the answers.
class IExchangeDialogs
{
public:
    virtual ~IExchangeDialogs() = default;

    // "Import souboru do vorlinku": an existing file and the filter chosen; false when cancelled.
    virtual bool AskImport(TImportChoice &choice) = 0;
    // "Export z vorlinku": the target, ".WDT" added to a name typed without extension;
    // empty when cancelled.
    virtual QString AskExport() = 0;
    // During a long import; `done` == `total` or a call with total 0 ends the display.
    virtual void Progress(qint64 done, qint64 total) = 0;
};

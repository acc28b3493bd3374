#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

// The filters of the import dialog, in their order; the reading follows the filter the
// dialog closed with, not the file's extension.
enum class TImportKind { Dta = 1, Kontakty = 2, Firmy = 3 };

struct TImportChoice
{
    QString Path;
    TImportKind Kind = TImportKind::Dta;
    // The further format chosen (an index into the filters the program added), or -1.
    int Extra = -1;
};

// A format the program adds to the import or export dialog beside the exchange's own:
// its filter ("Vizitky vCard (*.vcf)") and what runs on the chosen file (it says what
// it did itself).
struct TExtraFormat
{
    QString Filter;
    std::function<bool(const QString &path)> Run;
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
    // The same with the added formats' filters after the exchange's own ones; `extra`
    // gets the index of the added filter chosen, or -1.
    virtual bool AskImportWith(TImportChoice &choice, const QStringList &extraFilters)
    {
        Q_UNUSED(extraFilters);
        choice.Extra = -1;
        return AskImport(choice);
    }
    virtual QString AskExportWith(const QStringList &extraFilters, int &extra)
    {
        Q_UNUSED(extraFilters);
        extra = -1;
        return AskExport();
    }
    // During a long import; `done` == `total` or a call with total 0 ends the display.
    virtual void Progress(qint64 done, qint64 total) = 0;
};

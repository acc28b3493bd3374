#pragma once

#include "exchange/ExchangeDialogs.h"

#include <QString>

#include <vector>

class TDocumentCommands;
class TRecordEditor;
class TSession;

// The file menu's import of other programs' files and the export of the masked entries.
class TExchangeCommands
{
public:
    TExchangeCommands(TSession &s, TRecordEditor &editor, TDocumentCommands &docs, IExchangeDialogs &dialogs);

    // Further formats of the two dialogs, connected by the program.
    void AddImportFormat(TExtraFormat f) { m_importFormats.push_back(std::move(f)); }
    void AddExportFormat(TExtraFormat f) { m_exportFormats.push_back(std::move(f)); }

    void IImportClick();
    void IExportClick();

    // Replaces the open book by the file's entries, only when the whole file was read:
    // after a failure the book, its name and its changed state are as before.
    bool ImportFile(const TImportChoice &choice);
    // Writes the header and the entries the mask lets through to `path`; an existing file
    // stays as it was unless everything was written.
    bool ExportMasked(const QString &path);

private:
    TSession &m_s;
    TRecordEditor &m_editor;
    TDocumentCommands &m_docs;
    IExchangeDialogs &m_dialogs;
    std::vector<TExtraFormat> m_importFormats;
    std::vector<TExtraFormat> m_exportFormats;
};

#pragma once

#include "interop/InteropDialogs.h"
#include "interop/InteropFormat.h"

#include <QString>
#include <QStringList>

class TDocumentCommands;
class TRecordEditor;
class TSession;

// vCard, CSV and iCalendar from the file menu: the listed entries written out in list
// order, and vCard files read into a new book or added to the open one.
class TInteropCommands
{
public:
    TInteropCommands(TSession &s, TRecordEditor &editor, TDocumentCommands &docs, IInteropDialogs &dialogs);

    // The file-dialog filters of the formats, in the order of TInteropFormat.
    static QStringList ExportFilters();
    static QString ImportFilter();

    // Writes and reports the count; false (after a message) when nothing was written.
    bool Export(TInteropFormat format, const QString &path);
    // Reads a vCard file, reports the summary; the open book is touched only when all was read.
    bool ImportVCard(const QString &path);

private:
    TSession &m_s;
    TRecordEditor &m_editor;
    TDocumentCommands &m_docs;
    IInteropDialogs &m_dialogs;
};

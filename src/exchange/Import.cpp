#include "exchange/Import.h"

#include "book/Book.h"
#include "exchange/DtaFile.h"
#include "exchange/ZevTables.h"
#include "session/Messages.h"

#include <QDir>
#include <QFileInfo>

namespace Import {

TImportError Read(TImportKind kind, const QString &path, TBookLabels &labels, TBook &into,
                  const TImportProgress &progress)
{
    labels = TBookLabels::Defaults();
    switch (kind) {
    case TImportKind::Dta:
        return DtaFile::Read(path, labels, into, progress);
    case TImportKind::Kontakty:
        return ZevTables::Read(ZevTables::TKind::Kontakty, path, into, progress);
    case TImportKind::Firmy:
        return ZevTables::Read(ZevTables::TKind::Firmy, path, into, progress);
    }
    return TImportError::Open;
}

QString Message(TImportError e)
{
    switch (e) {
    case TImportError::None:
    case TImportError::Missing:
        return {};
    case TImportError::Open:
        return Msg::OpenFailed();
    case TImportError::HeaderRead:
        return Msg::HeaderReadFailed();
    case TImportError::Read:
        return Msg::ReadFailed();
    case TImportError::TooLarge:
        return Msg::MemoryFailed();
    }
    return {};
}

QString BookName(const QString &importedPath)
{
    const QFileInfo info(importedPath);
    const QString name = info.fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? name : name.left(dot);
    return QDir(info.absolutePath()).filePath(base + QStringLiteral(".WDT"));
}

} // namespace Import

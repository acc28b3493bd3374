#pragma once

#include "book/BookLabels.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/ImportTypes.h"

#include <QString>

class TBook;

namespace Import {

// Reads a file of the given kind into `into` (empty before); `labels` arrive as the reset
// captions with what the file brings over them.
TImportError Read(TImportKind kind, const QString &path, TBookLabels &labels, TBook &into,
                  const TImportProgress &progress = {});

// The person's message for a failed import; empty for a missing file.
QString Message(TImportError e);

// The name the imported book goes under: the folder, the name up to its first dot, ".WDT".
QString BookName(const QString &importedPath);

} // namespace Import

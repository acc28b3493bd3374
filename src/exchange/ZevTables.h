#pragma once

#include "exchange/ImportTypes.h"

#include <QString>

class TBook;

// The contact and company tables of the program ZEV: one entry per row.
namespace ZevTables {

enum class TKind { Kontakty, Firmy };

// Reads every row of the table at `path` into `into` (empty before). A table that lacks a
// field of its kind's set, or has it with another type, gives Open.
TImportError Read(TKind kind, const QString &path, TBook &into, const TImportProgress &progress = {});

} // namespace ZevTables

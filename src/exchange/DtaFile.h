#pragma once

#include "book/BookLabels.h"
#include "book/ContactRecord.h"
#include "exchange/ImportTypes.h"

#include <QString>

class TBook;

// Address books of the DOS predecessor: 560-byte records, Kamenický texts, record 0 the
// header with five flag captions.
namespace DtaFile {

constexpr int kDtaRecordSize = 560;

// Flag captions 2 to 6 of a header record, converted and cut, over the given labels.
void ApplyHeader(const char *record, TBookLabels &labels);

// One entry record as a book entry.
TContactRecord Entry(const char *record);

// Reads the whole file into `into` (empty before) and the header's captions into `labels`.
// On failure `into` holds an unspecified part of the file; the caller drops it.
TImportError Read(const QString &path, TBookLabels &labels, TBook &into, const TImportProgress &progress = {});

} // namespace DtaFile

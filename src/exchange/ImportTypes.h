#pragma once

#include <QtGlobal>

#include <functional>

// How an import ended; the commands turn it into the person's message.
enum class TImportError {
    None,
    Missing, // no file at the path: no message
    Open, // cannot be opened, not a table of the expected kind, a field missing
    HeaderRead, // the header record of a DTA file is short
    Read, // an entry or row cannot be read, or the file is damaged further on
    TooLarge, // more entries than a book may take in memory
};

// Called now and then during a long read with the work done and the work in all.
using TImportProgress = std::function<void(qint64 done, qint64 total)>;

// A book of imported entries stays well within memory: 262,144 entries are 840 MB.
constexpr qint64 kMaxImportEntries = qint64(1) << 18;
// How many entries are read between two progress reports.
constexpr qint64 kProgressStep = 2048;

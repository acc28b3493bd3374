#pragma once

#include "book/ContactRecord.h"
#include "book/FileStamp.h"

#include <QString>

#include <functional>

class QIODevice;
class TBook;

enum class TBookFileError { None, Missing, Open, HeaderRead, Read, HeaderWrite, Write, Refused };

// Reading and writing the 3217-byte record files. These functions only move bytes;
// the book commands decide what a failure means for the open book and what to say.
namespace BookFile {

// The most entries a book may have: four times what the old 16-bit lists held, still far
// from what would exhaust a desktop's memory (about 840 MB of records).
constexpr qint64 kMaxRecords = 262144;

// Reads the header into `header`, then hands every record's bytes to `each` in book
// order, holding no more than a small buffer. Only regular files are read; a size that
// is not a whole number of records, or beyond kMaxRecords, fails before reading.
TBookFileError ReadEach(const QString &path, TContactRecord &header,
                        const std::function<void(const char *record)> &each, TFileStamp *stamp = nullptr);

// Reads the header into `header` and appends every contact to `target`.
// On Read, `target` holds what was read so far; the caller discards it. `stamp` gets how
// the file stood on disk when it was read.
TBookFileError Read(const QString &path, TContactRecord &header, TBook &target,
                    TFileStamp *stamp = nullptr);

// Which records of a book a write takes; empty for all.
using TInclude = std::function<bool(const TContactRecord &)>;

// Writes the header and then every record of `book` that `include` takes, in book order,
// to `device`.
TBookFileError WriteRecords(QIODevice &device, const TContactRecord &header, const TBook &book,
                            const TInclude &include = {});

// Writes atomically through a new file beside the old one: the old file stays untouched
// unless everything was written and flushed. Where no file can be made beside it (a folder
// the user may not write to), an existing file is overwritten in place, its new size
// reserved first, so a full disk fails before a byte is overwritten (only a failing device
// can then leave it half-written). `beforeHeader` runs once the file has been created or
// opened (the settings are written there) and may refuse, which abandons the write
// without a message of its own. `written` gets how the new file stands on disk.
TBookFileError Write(const QString &path, const TContactRecord &header, const TBook &book,
                     const std::function<bool()> &beforeHeader = {}, TFileStamp *written = nullptr);

// The same for the records of `book` that `include` lets through, in book order.
TBookFileError WriteSelected(const QString &path, const TContactRecord &header, const TBook &book,
                             const TInclude &include, const std::function<bool()> &beforeHeader = {},
                             TFileStamp *written = nullptr);

// Whether a file is a book of this program (by its size in whole records, then its name
// or its header), so that no other format is written over one by mistake.
bool LooksLikeBook(const QString &path);

} // namespace BookFile

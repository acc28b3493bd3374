#pragma once

#include "book/ContactRecord.h"

#include <QString>

#include <functional>

class QIODevice;
class TBook;

enum class TBookFileError { None, Missing, Open, HeaderRead, Read, HeaderWrite, Write, Refused };

// Reading and writing the 3217-byte record files. These functions only move bytes;
// the book commands decide what a failure means for the open book and what to say.
namespace BookFile {

// Reads the header into `header` and appends every contact to `target`.
// On Read, `target` holds what was read so far; the caller discards it.
TBookFileError Read(const QString &path, TContactRecord &header, TBook &target);

// Writes the header and then every record of `book` in book order to `device`.
TBookFileError WriteRecords(QIODevice &device, const TContactRecord &header, const TBook &book);

// Writes atomically: the old file stays untouched unless everything was written and
// flushed. `beforeHeader` runs once the file has been created (the settings are written
// there) and may refuse, which abandons the write without a message of its own.
TBookFileError Write(const QString &path, const TContactRecord &header, const TBook &book,
                     const std::function<bool()> &beforeHeader = {});

// The same for the records of `book` that `include` lets through, in book order.
TBookFileError WriteSelected(const QString &path, const TContactRecord &header, const TBook &book,
                             const std::function<bool(const TContactRecord &)> &include,
                             const std::function<bool()> &beforeHeader = {});

} // namespace BookFile

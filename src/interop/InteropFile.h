#pragma once

#include "book/Book.h"
#include "interop/InteropFormat.h"

#include <QList>
#include <QString>

#include <functional>

enum class TInteropError { None, Missing, Open, Read, Write };

// Progress of long work: how far, out of how much (bytes or entries).
using TInteropProgress = std::function<void(qint64 done, qint64 total)>;

struct TExportResult
{
    TInteropError Error = TInteropError::None;
    qint64 Items = 0; // cards, rows or events written
};

// Writes `records` in their order through a new file beside the target: the target is
// replaced only when every write and the final flush went through.
TExportResult ExportRecords(const QString &path, const QList<TContactRecord *> &records, const TBookLabels &labels,
                            const TExportOptions &options, const TInteropProgress &progress = {});

struct TVCardImportStats
{
    qint64 Contacts = 0; // entries made
    qint64 Truncated = 0; // texts cut to their field
    qint64 Replaced = 0; // characters Windows-1250 lacks, shown as '?'
    qint64 BadLines = 0; // lines skipped as unreadable
    qint64 Dropped = 0; // cards beyond what a book holds
};

// Reads every card of a vCard file (2.1, 3.0, 4.0) into new entries appended to `target`.
// `labels` are the captions the cards are matched against (slots, flags); with
// `adoptCaptions` (a new book) the captions the cards carry replace them. Names are made
// unique against `taken` (the open book's names when appending) and one another. The
// file is read in a bounded buffer; bad lines are skipped and counted, never fatal.
TInteropError ImportVCardFile(const QString &path, TBook &target, TBookLabels &labels, bool adoptCaptions,
                              const std::function<bool(QByteArrayView)> &taken, TVCardImportStats &stats,
                              qint64 maxRecords, const TInteropProgress &progress = {});

namespace InteropText {
// "N kontaktů načteno, M textů zkráceno, K znaků nahrazeno", and the skipped lines and
// cards when there were any.
QString Summary(const TVCardImportStats &s);
// "Zapsáno kontaktů: N" or, for the calendar, "Zapsáno událostí: N".
QString Written(TInteropFormat format, qint64 items);
QString ErrorText(TInteropError e);
} // namespace InteropText

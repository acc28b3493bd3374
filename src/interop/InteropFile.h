#pragma once

#include "book/Book.h"
#include "interop/InteropFormat.h"

#include <QList>
#include <QString>

#include <functional>

// NoCards: a file read whole that holds no card (a table, a text). BookFormat: a target
// that is a book of this program, which another format must not replace.
enum class TInteropError { None, Missing, Open, Read, Write, NoCards, BookFormat };

// Progress of long work: how far, out of how much (bytes or entries).
using TInteropProgress = std::function<void(qint64 done, qint64 total)>;

struct TExportResult
{
    TInteropError Error = TInteropError::None;
    qint64 Items = 0; // cards, rows or events written
    qint64 SkippedDates = 0; // calendar dates that name no day
};

// Writes `records` in their order through a new file beside the target: the target is
// replaced only when every write and the final flush went through.
TExportResult ExportRecords(const QString &path, const QList<TContactRecord *> &records, const TBookLabels &labels,
                            const TExportOptions &options, const TInteropProgress &progress = {});

// The same for `count` entries handed out one at a time by `at` (a view kept only until
// the next call), so a caller need not hold them all.
TExportResult ExportEach(const QString &path, qsizetype count,
                         const std::function<TRecordView(qsizetype)> &at, const TBookLabels &labels,
                         const TExportOptions &options, const TInteropProgress &progress = {});

struct TVCardImportStats
{
    qint64 Contacts = 0; // entries made
    qint64 Truncated = 0; // texts cut to their field
    qint64 Replaced = 0; // characters Windows-1250 lacks, shown as '?'
    qint64 BadLines = 0; // lines skipped as unreadable
    qint64 Dropped = 0; // cards beyond what a book holds
    qint64 Photos = 0; // photos left out: a book holds none
};

// Reads every card of a vCard file (2.1, 3.0, 4.0) into new entries appended to `target`.
// `labels` are the captions the cards are matched against (groups, flags); a card's own
// labels never change them. Names are made unique against `taken` (the open book's names
// when appending) and one another. The file is read in a bounded buffer; bad lines are
// skipped and counted, never fatal; a file without any card is NoCards.
TInteropError ImportVCardFile(const QString &path, TBook &target, const TBookLabels &labels,
                              const std::function<bool(QByteArrayView)> &taken, TVCardImportStats &stats,
                              qint64 maxRecords, const TInteropProgress &progress = {});
// The same; a file of at least `inPartsFrom` bytes is read in two halves at once where a
// card ends near its middle (ImportVCardFile does so from a few megabytes on, where the
// machine has a second processor). Entries, names and counts are those of reading it whole.
// `parts`, when given, gets how many parts the entries came from.
TInteropError ImportVCardFileInParts(const QString &path, TBook &target, const TBookLabels &labels,
                                     const std::function<bool(QByteArrayView)> &taken, TVCardImportStats &stats,
                                     qint64 maxRecords, const TInteropProgress &progress, qint64 inPartsFrom,
                                     int *parts = nullptr);

// The same, each entry handed to `each` as it is made instead of kept (a book written as
// it is read); `each` returning false stops the reading with Write.
TInteropError ReadVCardFile(const QString &path, const TBookLabels &labels, const std::function<bool(QByteArrayView)> &taken,
                            TVCardImportStats &stats, qint64 maxRecords,
                            const std::function<bool(const TContactRecord &)> &each, const TInteropProgress &progress = {});

namespace InteropText {
// "N kontaktů načteno, M textů zkráceno, K znaků nahrazeno" in the forms the counts ask
// for, and the skipped lines and cards when there were any.
QString Summary(const TVCardImportStats &s);
// "5 kontaktů zapsáno" or, for the calendar, "3 události zapsány" and the dates left out.
QString Written(TInteropFormat format, const TExportResult &result);
// "Soubor neobsahuje žádnou vizitku".
QString NoCards();
QString ErrorText(TInteropError e);
} // namespace InteropText

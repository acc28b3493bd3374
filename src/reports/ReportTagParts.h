#pragma once

// The pieces every reading of a template line shares: the fields of a tag, its width and
// alignment, the values it shows, and appends that keep a line within its limit.
#include "book/ContactRecord.h"
#include "util/TimeStamp.h"

#include <QByteArray>
#include <QByteArrayView>

namespace ReportTags {

inline const QByteArrayView kOpen("<\"");
inline const QByteArrayView kClose("\">");

// No report line needs a wider field; a hostile template must not ask for gigabytes.
constexpr qsizetype kMaxWidth = 4096;

// The first `<"` (`">`) at or after `from`; -1 when none. Faster than a general search
// on the long lines a hostile template brings.
qsizetype FindOpen(QByteArrayView line, qsizetype from = 0);
qsizetype FindClose(QByteArrayView line, qsizetype from);

// Field n (from 1) of a "|" list, as a view.
QByteArrayView Field(QByteArrayView list, int n);
// A whole number, leading spaces and a sign allowed; anything else counts as 0. Widths
// beyond kMaxWidth count as kMaxWidth.
qsizetype ParseWidth(QByteArrayView text);
// The alignment field as a TAlignment value; `alignment` must not be empty.
int AlignOf(QByteArrayView alignment);
// The value of a field as a view into the record (a flag as "X" or " ").
QByteArrayView ValueView(TRecordView r, int index);
int HexDigit(char c);
QByteArray DateText(TStamp now);
QByteArray TimeText(TStamp now);

// Appends that keep `out` at most `limit` bytes long: an append that would pass it is
// refused whole and leaves `out` as it was, and `out` never reserves beyond the limit, so
// a report asks for no more memory than it may fill.
bool Append(QByteArray &out, qsizetype limit, QByteArrayView bytes);
bool AppendFill(QByteArray &out, qsizetype limit, qsizetype count, char c);
// A value in a field of `width` (0: the value's own length, below 0: nothing).
bool AppendAligned(QByteArray &out, qsizetype limit, QByteArrayView value, qsizetype width, int align);
// `start + room` without passing the largest size.
qsizetype LimitAfter(qsizetype start, qsizetype room);

} // namespace ReportTags

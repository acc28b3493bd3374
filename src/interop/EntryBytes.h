#pragma once

#include "book/ContactRecord.h"
#include "util/ByteAppender.h"

#include <QByteArray>
#include <QByteArrayView>

// The texts of an entry as the exports need them, straight from the record's Windows-1250
// bytes into UTF-8 output: no QString between, so a book of any size is written at the
// pace of its bytes. Each routine gives the same bytes as its QString counterpart in
// Mapping and ContentLine (trimmed as QString::trimmed, escaped as ContentLine::Escape).
namespace EntryBytes {

// Without the spaces QString::trimmed takes off (tabs, line breaks, no-break spaces).
QByteArrayView Trimmed(QByteArrayView cp1250);
// A field's text, trimmed.
inline QByteArrayView Field(TRecordView r, EField f) { return Trimmed(r.TextView(f)); }
// The note up to its first zero byte, without the line breaks at its end.
QByteArrayView Note(TRecordView r);

// Appends a text escaped for a content line (backslash, comma, semicolon, line breaks;
// other control characters dropped): from Windows-1250 or from UTF-8.
void AppendEscaped(TByteAppender &out, QByteArrayView cp1250);
void AppendEscapedUtf8(TByteAppender &out, QByteArrayView utf8);
// Appends the note's text in UTF-8 with each line break (CR LF, CR or LF) one LF.
void AppendNoteLines(TByteAppender &out, QByteArrayView note);
// Appends a quoted parameter's text: no quote, comma or control character.
void AppendParam(TByteAppender &out, QByteArrayView cp1250);

// A telephone group's number in international form with its extension, in UTF-8, as
// Mapping::InternationalNumber and " ext. N" give it; false without a number.
// `ownDigits` are the own country's digits in UTF-8.
bool AppendGroupNumber(TByteAppender &out, TRecordView r, int group, QByteArrayView ownDigits);
// "+…" or "00…" with more after it.
bool HasInternationalPrefix(QByteArrayView cp1250);

// Dates written by hand: "yyyyMMdd" or "yyyy-MM-dd" for years 1000 to 9998, QDate's
// own form otherwise.
void AppendDate(TByteAppender &out, int year, int month, int day, bool dashes);
// "MM" and the like: two digits.
void AppendTwoDigits(TByteAppender &out, int n);
// The day after, in the proleptic Gregorian calendar QDate uses.
void NextDay(int &year, int &month, int &day);

} // namespace EntryBytes

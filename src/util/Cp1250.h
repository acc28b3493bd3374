#pragma once

#include <QByteArray>
#include <QString>

class TByteAppender;

// Books and all stored texts are Windows-1250 bytes; QString appears only at the
// widget and command-line edges, converted here.

// Unicode code point of one Windows-1250 byte. The five unassigned bytes map to the
// C1 controls of the same value, so every byte survives a round trip.
char16_t Cp1250ToUnicode(unsigned char byte);

// Windows-1250 byte for a code point, or -1 when the page lacks it.
int UnicodeToCp1250(char32_t codePoint);

QString FromCp1250(QByteArrayView bytes);

// Characters that Windows-1250 lacks become '?'.
QByteArray ToCp1250(const QString &text);

// Windows-1250 of UTF-16 text into `out`, which has room for `room` bytes: characters
// the page lacks become '?' and are counted in `missing`. Returns how many characters the
// text has (a surrogate pair is one); those beyond `room` are counted, not written.
qsizetype ToCp1250(QStringView text, char *out, qsizetype room, qint64 &missing);

// Appends the UTF-8 form of Windows-1250 bytes: the exports write texts of the book
// straight into their output this way, without a QString between.
void AppendCp1250AsUtf8(QByteArray &out, QByteArrayView bytes);
void AppendCp1250AsUtf8(TByteAppender &out, QByteArrayView bytes);
// The same written at `to`, which has room for three bytes each; returns the end.
char *PutCp1250AsUtf8(char *to, QByteArrayView bytes);

// Appends UTF-8 text in Windows-1250; characters the page lacks become '?'. The text is
// expected to be valid UTF-8 (what this program writes itself).
void AppendUtf8AsCp1250(QByteArray &out, QByteArrayView utf8);

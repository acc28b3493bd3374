#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The single-byte character sets that texts are written in; callers pass the numbers.
enum class TCodePage : int
{
    Ascii437 = 0, // US DOS page, letters with diacritics reduced to their base letters
    Kamenicky = 1, // Czech DOS page (KEYBCS2)
    Latin2 = 2, // DOS page 852
    Koi8Cs = 3,
    Win1250 = 4, // the program's own
};

constexpr int kCodePageCount = 5;

// Unicode of one byte of a page, or 0xFFFF when the page leaves the byte unassigned.
// Bytes below 0x80 are ASCII on every page.
char16_t CodePageToUnicode(int page, unsigned char byte);

// True for the pairs that have a conversion column.
bool CodePagePairSupported(int source, int target);

// One byte from source to target; unsupported pairs and pages give the byte back.
unsigned char ConvertByte(unsigned char byte, int source, int target);

// Whole text; the length never changes. Unsupported pairs return the text unchanged.
QByteArray ConvertCodePage(QByteArrayView text, int source, int target);

// Windows-1250 capital of one byte; letters keep their diacritics.
unsigned char UpperCp1250(unsigned char byte);

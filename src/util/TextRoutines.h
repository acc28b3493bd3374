#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Routines on Windows-1250 byte strings: one byte is one character.

enum class TAlignment : int
{
    Left = 0,
    Centre = 1,
    Right = 2
};

// count <= 0 gives the empty string.
QByteArray RepeatChar(char c, qsizetype count);

// Cuts to width, then pads with spaces by the alignment (0 left, 1 centre, 2 right).
QByteArray AlignText(QByteArrayView s, qsizetype width, int alignment);

// Field n (from 1) of a "|"-separated list; 0 and 1 both give the first field.
QByteArray ListField(QByteArrayView list, int n);

QByteArray ChooseText(bool flag, QByteArrayView a, QByteArrayView b);

// Until no occurrence is left (a replacement holding the search text is not rescanned);
// an empty search text changes nothing.
QByteArray ReplaceAll(QByteArrayView s, QByteArrayView search, QByteArrayView replacement);

// Each pair gives one byte: the first digit is the LOW nibble ("1F" gives 0xF1).
// Odd length is completed with "0"; characters that are no hex digit count as 0.
QByteArray HexPairsToBytes(QByteArrayView hex);

// Capitals with the diacritics kept (č to Č).
QByteArray ToUpperCz(QByteArrayView s);
char ToUpperCz(char c);

#pragma once

#include <QByteArrayView>
#include <QCollator>

// The list order is the collator's: Czech, case-insensitive (primary and secondary
// weights, case ignored). Most names are made of letters, digits, spaces and common
// punctuation that the collator weighs one character (or "ch") at a time; for those a
// compact byte key sorts exactly as the collator's own key, at a fraction of its cost.
// Which bytes qualify and their ranks are learnt from the collator itself, once a process,
// and the learnt model is checked against the collator before any key is made from it.
namespace ListCollation {

// The collator of the list order; every sort that does not use byte keys uses it.
QCollator Collator();

// Whether byte keys may be used in this process: false when the collator disagreed with
// the learnt model on any probe.
bool ByteKeysUsable();

// Room PutKey needs for a name of `size` bytes.
constexpr qsizetype KeyRoom(qsizetype size)
{
    return 2 * size + 1;
}

// Writes the byte key of a Windows-1250 name at `to` (KeyRoom bytes) and returns its
// length, or -1 when the name holds a byte the keys do not cover (or byte keys are not
// usable). Keys compare as the collator's keys: bytewise, a shorter key before a longer
// one it begins. Every key byte is non-zero.
qsizetype PutKey(QByteArrayView name, unsigned char *to);

// Milliseconds the model took to learn and check, for the benchmarks.
double DerivationMs();

} // namespace ListCollation

#pragma once

#include <QString>
#include <QStringList>

class TRecordView;

// The lines of an address as Czech post wants them: the name, the street, "PSČ TOWN" and
// the country only when it is not our own.

// A PSČ of five digits, with spaces or without, as "110 00"; any other text as it is.
QString FormatPsc(const QString &stored);
// Česká republika, Česko, ČR or CZ, in any case and spacing.
bool IsOwnCountry(const QString &country);
// Name line, street, "PSČ TOWN", foreign country; empty parts leave their line out.
QStringList AddressLines(const QString &name, const QString &street, const QString &psc, const QString &town,
                         const QString &country);

// The label of an entry for address 1 (home), 2 (work) or 3 (temporary): the titles and
// names joined by single spaces, or the entry's name when it has neither first name nor
// surname; only the name line when that address is empty.
QStringList EntryAddressLines(const TRecordView &entry, int address);

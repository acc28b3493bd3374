#pragma once

#include <QString>

#include <vector>

class TBookMap;
struct TDisplayMask;

// Ten letters for flags 1 to 10: A set, N clear, F either; false for anything else.
bool ParseCliMask(const QString &text, TDisplayMask &mask);

// The entries of a book in place that the mask passes (all without one), in list order:
// the Czech order of their names, equal names in book order.
std::vector<qsizetype> ListedEntries(const TBookMap &book, const TDisplayMask *mask);

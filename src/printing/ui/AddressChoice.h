#pragma once

#include <QStringList>

class QComboBox;
struct TBookLabels;

// The three addresses of an entry by the captions the book gives them; a caption left
// empty is called as a new book calls it.
QStringList AddressCaptions(const TBookLabels &labels);
// Fills `combo` with them and chooses `address` (1..3).
void FillAddressChoice(QComboBox *combo, const TBookLabels &labels, int address);

// The sender's lines from the settings, as on an envelope.
struct TPrintSettings;
QStringList SenderLines(const TPrintSettings &print);

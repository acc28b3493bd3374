#pragma once

#include "book/BookLabels.h"
#include "book/ContactRecord.h"
#include "interop/VCardReader.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

class TCardMapper;
class TFormatWriter;

// The first card of a text, each property beside the lines it came in, so that what a
// merge leaves alone goes back byte for byte.
struct TRawCard
{
    QList<QByteArray> Lines; // as the text had them, folds and all, without the last line end
    QList<QByteArray> Logical; // the same unfolded
    TVCard Card; // the same parsed; a line that is no property as X-UNREADABLE
    bool HasVersion = false;
    bool V4 = false;
};

// False when the text holds no whole card.
bool SplitCard(const QByteArray &text, TRawCard &out);

// `server` brought up to date with the entry `r`. A property behind a field the entry has
// changed is rewritten in its place, keeping its group, its label and those parameters
// that still fit; a field newly filled adds a property, a field emptied removes its own.
// Everything else stays line for line as the server had it. `writer` writes the card's
// version; the revision becomes `stamp` (dropped when that is not valid).
QByteArray MergeCard(const TRawCard &server, const TContactRecord &r, TCardMapper &mapper, const TFormatWriter &writer,
                     const TBookLabels &labels, const QDateTime &stamp);

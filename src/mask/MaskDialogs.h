#pragma once

#include "book/BookLabels.h"
#include "book/ContactRecord.h"

#include <QString>

#include <array>

// One row of the mask dialog: the flag must be set, must be clear, or either passes.
enum class TMaskChoice { Either, Set, Clear };

// The button that closed the mask dialog.
enum class TMaskButton { Pouzit, Vsechno, Zpet };

// One row of the bulk-change dialog.
enum class TFlagAction { Keep, Set, Clear, Negate };

using TMaskChoices = std::array<TMaskChoice, kFlagCount>;
using TFlagActions = std::array<TFlagAction, kFlagCount>;

// The modal dialogs the mask commands ask. The GUI shows its forms; tests script the
// answers. The dialogs only collect choices; the commands decide what they mean.
class IMaskDialogs
{
public:
    virtual ~IMaskDialogs() = default;

    // The mask dialog, its rows preset to `choices`; on return `choices` holds the rows
    // as the person left them.
    virtual TMaskButton EditMask(TMaskChoices &choices, const TBookLabels &labels) = 0;

    // The bulk-change dialog, every row starting at "keep"; true when confirmed.
    virtual bool AskFlagChanges(TFlagActions &actions, const TBookLabels &labels) = 0;

    // The find dialog, which keeps its text and start choice between uses; true when the
    // search was asked for. `fromStart` false means from the line after the selected one.
    virtual bool AskFind(QString &text, bool &fromStart) = 0;
};

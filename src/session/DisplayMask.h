#pragma once

#include "book/ContactRecord.h"

#include <array>

// The filter of the list of names over the ten flags; lives only while the program runs.
struct TDisplayMask
{
    bool Active = false;
    std::array<bool, kFlagCount> RequireSet {};
    std::array<bool, kFlagCount> RequireClear {};

    bool Matches(TRecordView r) const
    {
        for (int i = 0; i < kFlagCount; ++i) {
            const bool on = r.Flag(i + 1);
            if ((RequireSet[i] && !on) || (RequireClear[i] && on))
                return false;
        }
        return true;
    }

    void Clear()
    {
        Active = false;
        RequireSet.fill(false);
        RequireClear.fill(false);
    }
};

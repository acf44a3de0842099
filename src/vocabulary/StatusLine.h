// What a status line that shows one text at a time lets a loader text replace: a text that
// only says a load waits, began or ended never hides that a load went wrong.
#pragma once

#include <string_view>

#include "vocabulary/StatusTexts.h"

// True when `next`, a loader's text, may replace `shown` on the status line.
inline bool ReplacesStatusText(std::string_view shown, std::string_view next)
{
    const bool bProgress = next == kszWaitingForOtherCopy || next == kszLoading || next == kszLoaded;
    const bool bWentWrong = shown == kszGeneralMissing || shown == kszTechnicalMissing ||
                            shown == kszGeneralFailed || shown == kszTechnicalFailed ||
                            shown == kszGeneralTruncated || shown == kszTechnicalTruncated;
    return !(bProgress && bWentWrong);
}

// What a status line that shows one text at a time lets a loader's report replace: a report
// that only says a load waits, began or ended never hides that a load went wrong.
#pragma once

#include <optional>

#include "vocabulary/StatusTarget.h"

inline bool IsProgress(LoadEvent event)
{
    return event == LoadEvent::kWaiting || event == LoadEvent::kLoading || event == LoadEvent::kLoaded;
}

// True when a report of `next` may replace the line's text; `shown` is the event whose text
// the line shows, nullopt when it shows another (the search's own, say).
inline bool ReplacesStatusText(std::optional<LoadEvent> shown, LoadEvent next)
{
    return !(IsProgress(next) && shown && !IsProgress(*shown));
}

// Every pair of loaders running in the process, so that a program about to end (on a signal)
// can stop them all: each removes its plain file before the process goes.
#pragma once

#include <atomic>

class StatusTarget;

namespace LoaderRegistry
{
// Lists a pair reporting to `target`, running while *pnRunning > 0. After StopAll, the target
// is asked to stop at once: the program is ending, no load may begin.
void Enter(StatusTarget& target, const std::atomic<int>& nRunning);
// Takes the pair listed with that count off the list; once it returns, StopAll no longer
// touches its target.
void Leave(const std::atomic<int>& nRunning);
// Any thread, when the program is about to end: asks every listed pair to stop and waits
// until each has ended (its plain file removed). Joins nothing: the owners still do.
void StopAll();
}  // namespace LoaderRegistry

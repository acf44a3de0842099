// SIGTERM, SIGINT and SIGHUP, unless ignored at start, still end the program, by the same signal,
// but only after every loader has stopped and removed its plain file, so that no descrambled
// text stays on disk.
#pragma once

// Call once, early in main. The handler only notes the signal; a thread of its own then
// stops the loaders and ends the process by the same signal (the status a shell expects).
// False when that thread cannot be started: the signals then act as they would anyway.
bool StopLoadersOnSignals();

// For a main thread that waited for its loaders: when they ended because such a signal
// came, ends the process by it now instead of going on.
void ExitIfStopSignalled();

// For a program that changes its terminal's modes: pfn runs on the stopping thread just before
// the process ends by a stop signal, to put them back. It must take no lock the program holds.
void SetBeforeStopEnd(void (*pfn)());

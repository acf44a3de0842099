// One run of the lookup window, driven the way a person would, in a process of its own
// (the vocabulary tables are global and fill only once). Prints what it saw, one fact a
// line ("name<TAB>value", line feeds in values as "\n").
#pragma once

// argv: --window-scenario MODE [QUERY [LOCALE]]. Builds the application object itself;
// returns the process exit code.
int RunWindowScenario(int argc, char** argv);

// Queries typed at a terminal: a prompt, line editing and a history kept between runs.
#pragma once

#include <string>

class QueryRunner;

// Prompts for queries until Ctrl-D, running each; the history lives in `historyFile` (empty:
// none kept). Returns false when standard output failed.
bool RunQueriesFromTerminal(QueryRunner& runner, const std::string& historyFile);

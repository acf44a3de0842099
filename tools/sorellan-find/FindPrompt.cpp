#include "FindPrompt.h"

#include <editline/readline.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "FindQuery.h"

namespace
{
constexpr int kHistoryLines = 1000;
}  // namespace

bool RunQueriesFromTerminal(QueryRunner& runner, const std::string& historyFile)
{
    // With the results going to a file or a pipe, the prompt goes to the terminal still.
    if (!isatty(STDOUT_FILENO))
        rl_outstream = stderr;
    using_history();
    stifle_history(kHistoryLines);
    if (!historyFile.empty())
        read_history(historyFile.c_str());  // none yet on the first run
    bool bOk = true;
    for (;;)
    {
        const std::unique_ptr<char, decltype(&std::free)> line(readline("sorellan> "), &std::free);
        if (!line)
        {
            std::fputc('\n', stdout);  // the shell's prompt then starts a line of its own
            break;
        }
        const std::string_view query = line.get();
        if (query.find_first_not_of(" \t,;") != std::string_view::npos)
        {
            add_history(line.get());
            // Kept private, as shells keep theirs: queries say what a user works on.
            if (!historyFile.empty() && write_history(historyFile.c_str()) == 0)
                chmod(historyFile.c_str(), 0600);
        }
        if (!runner.Run(query))
        {
            bOk = false;
            break;
        }
    }
    return bOk;
}

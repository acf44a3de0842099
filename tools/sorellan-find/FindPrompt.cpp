#include "FindPrompt.h"

#include <editline/readline.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "FindQuery.h"
#include "vocabulary/StopSignals.h"

namespace
{
constexpr int kHistoryLines = 1000;

termios g_terminalAtStart{};

// The line editor leaves the terminal in raw mode while it reads; ended by a signal there,
// the program puts back the modes it found. Only in the foreground: the terminal is not
// ours otherwise, and a background process would be stopped for trying.
void RestoreTerminal()
{
    if (tcgetpgrp(STDIN_FILENO) == getpgrp())
        tcsetattr(STDIN_FILENO, TCSANOW, &g_terminalAtStart);
}

// Kept private, as shells keep theirs: queries say what a user works on. Written to a file
// created 0600 and renamed over the old one, so that no one who opened the history while
// it was readable (created by the umask, or made wider by hand) ever reads new queries.
void WriteHistoryPrivately(const std::string& historyFile)
{
    const std::string part = historyFile + ".part";
    ::unlink(part.c_str());  // one a crash left
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    ::close(fd);
    if (write_history(part.c_str()) != 0 || ::rename(part.c_str(), historyFile.c_str()) != 0)
        ::unlink(part.c_str());
}
}  // namespace

bool RunQueriesFromTerminal(QueryRunner& runner, const std::string& historyFile)
{
    // With the results going to a file or a pipe, the prompt goes to the terminal still.
    FILE* const promptStream = isatty(STDOUT_FILENO) ? stdout : stderr;
    rl_outstream = promptStream;
    // libedit's own handlers would pass a signal on to the whole process group, the shell
    // that started us included; the stop handler ends only this process.
    rl_catch_signals = 0;
    if (tcgetattr(STDIN_FILENO, &g_terminalAtStart) == 0)
        SetBeforeStopEnd(RestoreTerminal);
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
            std::fputc('\n', promptStream);  // the shell's prompt then starts a line of its own
            break;
        }
        const std::string_view query = line.get();
        if (query.find_first_not_of(" \t,;") != std::string_view::npos)
        {
            add_history(line.get());
            if (!historyFile.empty())
                WriteHistoryPrivately(historyFile);
        }
        if (!runner.Run(query))
        {
            bOk = false;
            break;
        }
    }
    return bOk;
}

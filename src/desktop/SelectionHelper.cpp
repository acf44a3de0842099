#include "desktop/SelectionHelper.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <vector>

extern char** environ;

const char kSelectionHelpers[] = "wl-paste (wl-clipboard) or xclip";

namespace
{
// Runs argv with its output into a pipe; nullopt when it could not be started.
std::optional<std::string> RunHelper(std::vector<const char*> argv)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int nError = posix_spawnp(&pid, argv[0], &actions, nullptr, const_cast<char* const*>(argv.data()), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (nError != 0)
    {
        close(fds[0]);
        return std::nullopt;
    }
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd fd{fds[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) == 0)
            break;
        char buffer[65536];
        const ssize_t nRead = read(fds[0], buffer, sizeof buffer);
        if (nRead < 0 && errno == EINTR)
            continue;
        if (nRead <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(nRead));
        if (text.size() >= kSelectionReadBytes)
            break;
    }
    close(fds[0]);
    // Ended by now, or no longer waited for (an owner that does not answer, endless text).
    kill(pid, SIGKILL);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR)
    {
    }
    if (text.size() > kSelectionReadBytes)
        text.resize(kSelectionReadBytes);
    return text;
}

bool InEnvironment(const char* szName)
{
    const char* szValue = std::getenv(szName);
    return szValue && *szValue;
}
}  // namespace

std::optional<std::string> ReadSelectionWithHelper(SelectionKind kind)
{
    const bool bPrimary = kind == SelectionKind::kPrimary;
    std::optional<std::string> text;
    if (InEnvironment("WAYLAND_DISPLAY"))
        text = bPrimary ? RunHelper({"wl-paste", "--no-newline", "--primary"}) : RunHelper({"wl-paste", "--no-newline"});
    // Under Wayland too, where the desktop passes the selection on to X11 programs.
    if (!text && InEnvironment("DISPLAY"))
        text = RunHelper({"xclip", "-out", "-selection", bPrimary ? "primary" : "clipboard"});
    return text;
}

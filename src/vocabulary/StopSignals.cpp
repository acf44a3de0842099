#include "vocabulary/StopSignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

#include "vocabulary/FileHandle.h"
#include "vocabulary/LoaderThreads.h"

namespace
{
constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

int g_fdNoted = -1;  // the write end of the pipe the handler notes signals in
std::atomic<int> g_nSignal{0};
std::atomic<void (*)()> g_pfnBeforeEnd{nullptr};
static_assert(std::atomic<int>::is_always_lock_free, "used by a signal handler");

extern "C" void NoteStopSignal(int nSignal)
{
    const int nSavedErrno = errno;
    int nNone = 0;
    g_nSignal.compare_exchange_strong(nNone, nSignal);
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_fdNoted, &byte, 1);
    errno = nSavedErrno;
}

[[noreturn]] void EndBy(int nSignal)
{
    LoaderThreads::StopAll();
    if (void (*const pfn)() = g_pfnBeforeEnd.load())
        pfn();
    struct sigaction action{};
    action.sa_handler = SIG_DFL;
    ::sigaction(nSignal, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, nSignal);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(nSignal);
    ::_exit(128 + nSignal);
}
}  // namespace

bool StopLoadersOnSignals()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    // The reading end blocks: the thread sleeps in read() until a signal is noted. The thread
    // itself never takes the signals (it is started with them blocked): a handler that ran on
    // it could be held back until its read() returns, which would never happen.
    ::fcntl(fds[0], F_SETFL, 0);
    sigset_t stopSignals, previous;
    sigemptyset(&stopSignals);
    for (const int nSignal : kStopSignals)
        sigaddset(&stopSignals, nSignal);
    ::pthread_sigmask(SIG_BLOCK, &stopSignals, &previous);
    bool bStarted = true;
    try
    {
        std::thread([fdRead = fds[0]] {
            char byte = 0;
            if (ReadSome(fdRead, &byte, 1) == 1 && g_nSignal.load() != 0)
                EndBy(g_nSignal.load());
            // Cannot happen with a pipe of our own; should it, the signals act by default.
            for (const int nSignal : kStopSignals)
                if (struct sigaction now{}; ::sigaction(nSignal, nullptr, &now) == 0 && now.sa_handler == NoteStopSignal)
                    ::signal(nSignal, SIG_DFL);
        }).detach();
    }
    catch (...)
    {
        bStarted = false;
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (!bStarted)
    {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    g_fdNoted = fds[1];
    struct sigaction action{};
    action.sa_handler = NoteStopSignal;
    action.sa_flags = SA_RESTART;
    action.sa_mask = stopSignals;
    for (const int nSignal : kStopSignals)
    {
        // A signal ignored at start stays ignored: nohup, or a background job of a shell
        // without job control, asks for exactly that.
        struct sigaction atStart{};
        if (::sigaction(nSignal, nullptr, &atStart) == 0 && atStart.sa_handler != SIG_IGN)
            ::sigaction(nSignal, &action, nullptr);
    }
    return true;
}

void ExitIfStopSignalled()
{
    if (const int nSignal = g_nSignal.load())
        EndBy(nSignal);
}

void SetBeforeStopEnd(void (*pfn)())
{
    g_pfnBeforeEnd.store(pfn);
}

// Starts the two loaders on threads of their own and ends them before the window or the
// program goes away, so that no loader outlives what it writes to.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

class StatusTarget;

class LoaderThreads
{
public:
    // Starts a thread that runs `body`; throws std::system_error when it cannot, as
    // std::thread does. Tests put their own in its place.
    using ThreadStarter = std::function<std::thread(std::function<void()> body)>;

    LoaderThreads();
    explicit LoaderThreads(ThreadStarter startThread);
    LoaderThreads(const LoaderThreads&) = delete;
    LoaderThreads& operator=(const LoaderThreads&) = delete;
    ~LoaderThreads() { Stop(); }

    // Starts the general loader, then the technical one, both reporting to `target`. A
    // loader whose thread cannot be started shows its failure text at once.
    void Start(StatusTarget& target);
    // Waits until both loaders have ended.
    void Wait();
    // Asks both loaders to stop and waits for them (milliseconds).
    void Stop();
    // True while either loader has not ended yet.
    bool IsRunning() const { return m_nRunning.load(std::memory_order_acquire) > 0; }

    // Any thread, when the program is about to end: asks the loaders of every LoaderThreads
    // in the process to stop and waits until each has ended (its plain file removed). Loads
    // started afterwards stop at once. Joins nothing: the owners still do.
    static void StopAll();

private:
    void Ended();

    ThreadStarter m_startThread;
    StatusTarget* m_pTarget = nullptr;  // written under the list's lock
    std::thread m_general;
    std::thread m_technical;
    std::atomic<int> m_nRunning{0};
    // The list of started LoaderThreads that StopAll goes through.
    LoaderThreads* m_pPrevious = nullptr;
    LoaderThreads* m_pNext = nullptr;
    bool m_bListed = false;
};

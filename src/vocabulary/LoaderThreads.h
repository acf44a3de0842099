// Starts the two loaders on threads of their own and ends them before the window or the
// program goes away, so that no loader outlives what it writes to. While they run they are
// listed in the LoaderRegistry, which a program ending on a signal stops.
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

private:
    void Ended();

    ThreadStarter m_startThread;
    StatusTarget* m_pTarget = nullptr;  // while listed in the registry
    std::thread m_general;
    std::thread m_technical;
    std::atomic<int> m_nRunning{0};
};

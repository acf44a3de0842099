// Starts the two loaders on threads of their own and ends them before the window or the
// program goes away, so that no loader outlives what it writes to.
#pragma once

#include <atomic>
#include <thread>

class StatusTarget;

class LoaderThreads
{
public:
    LoaderThreads() = default;
    LoaderThreads(const LoaderThreads&) = delete;
    LoaderThreads& operator=(const LoaderThreads&) = delete;
    ~LoaderThreads() { Stop(); }

    // Starts the general loader, then the technical one, both reporting to `target`.
    void Start(StatusTarget& target);
    // Waits until both loaders have ended.
    void Wait();
    // Asks both loaders to stop and waits for them (milliseconds).
    void Stop();
    // True while either loader has not ended yet.
    bool IsRunning() const { return m_nRunning.load(std::memory_order_acquire) > 0; }

private:
    StatusTarget* m_pTarget = nullptr;
    std::thread m_general;
    std::thread m_technical;
    std::atomic<int> m_nRunning{0};
};

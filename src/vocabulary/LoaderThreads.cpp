#include "vocabulary/LoaderThreads.h"

#include <mutex>

#include "vocabulary/StatusTarget.h"
#include "vocabulary/VocabularyLoader.h"

namespace
{
struct StartedList
{
    std::mutex mutex;
    LoaderThreads* pFirst = nullptr;
    bool bAllStopped = false;  // StopAll ran: the program is ending, no load may begin
};

// Never destroyed: a signal may ask for StopAll while the program is already exiting.
StartedList& Started()
{
    static StartedList* const pList = new StartedList;
    return *pList;
}

std::thread StartStdThread(std::function<void()> body)
{
    return std::thread(std::move(body));
}
}  // namespace

LoaderThreads::LoaderThreads() : m_startThread(StartStdThread) {}

LoaderThreads::LoaderThreads(ThreadStarter startThread) : m_startThread(std::move(startThread)) {}

void LoaderThreads::Start(StatusTarget& target)
{
    Stop();
    m_nRunning.store(2, std::memory_order_release);
    {
        std::lock_guard lock(Started().mutex);
        if (Started().bAllStopped)
            target.RequestStop();
        m_pTarget = &target;
        m_pNext = Started().pFirst;
        if (m_pNext)
            m_pNext->m_pPrevious = this;
        Started().pFirst = this;
        m_bListed = true;
    }
    auto start = [this, &target](std::thread& thread, std::uint32_t (*procedure)(void*),
                                 VocabularyLoad (*load)()) {
        try
        {
            thread = m_startThread([this, &target, procedure] {
                procedure(&target);
                Ended();
            });
        }
        catch (...)
        {
            // No thread (no memory, or the process's thread limit): a failed load, never a
            // dead program.
            ReportLoadNotStarted(load(), target);
            Ended();
        }
    };
    start(m_general, LoadGeneralVocabulary, GeneralVocabularyLoad);
    start(m_technical, LoadTechnicalVocabulary, TechnicalVocabularyLoad);
}

void LoaderThreads::Ended()
{
    m_nRunning.fetch_sub(1, std::memory_order_acq_rel);
    m_nRunning.notify_all();
}

void LoaderThreads::Wait()
{
    if (m_general.joinable())
        m_general.join();
    if (m_technical.joinable())
        m_technical.join();
}

void LoaderThreads::Stop()
{
    if (m_pTarget)
        m_pTarget->RequestStop();
    Wait();
    std::lock_guard lock(Started().mutex);
    if (m_bListed)
    {
        (m_pPrevious ? m_pPrevious->m_pNext : Started().pFirst) = m_pNext;
        if (m_pNext)
            m_pNext->m_pPrevious = m_pPrevious;
        m_pPrevious = m_pNext = nullptr;
        m_bListed = false;
    }
    m_pTarget = nullptr;
}

void LoaderThreads::StopAll()
{
    std::lock_guard lock(Started().mutex);
    Started().bAllStopped = true;
    for (LoaderThreads* p = Started().pFirst; p; p = p->m_pNext)
        p->m_pTarget->RequestStop();
    for (LoaderThreads* p = Started().pFirst; p; p = p->m_pNext)
        for (int n; (n = p->m_nRunning.load(std::memory_order_acquire)) > 0;)
            p->m_nRunning.wait(n, std::memory_order_acquire);
}

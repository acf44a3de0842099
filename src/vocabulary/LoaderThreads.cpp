#include "vocabulary/LoaderThreads.h"

#include "vocabulary/LoaderRegistry.h"
#include "vocabulary/StatusTarget.h"
#include "vocabulary/VocabularyLoader.h"

namespace
{
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
    try
    {
        LoaderRegistry::Enter(target, m_nRunning);
    }
    catch (...)
    {
        // Not even room to list them (no memory): both loads fail, as when no thread starts.
        m_nRunning.store(0, std::memory_order_release);
        ReportLoadNotStarted(GeneralVocabularyLoad(), target);
        ReportLoadNotStarted(TechnicalVocabularyLoad(), target);
        return;
    }
    m_pTarget = &target;
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
    if (!m_pTarget)
        return;
    m_pTarget->RequestStop();
    Wait();
    LoaderRegistry::Leave(m_nRunning);
    m_pTarget = nullptr;
}

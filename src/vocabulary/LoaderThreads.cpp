#include "vocabulary/LoaderThreads.h"

#include "vocabulary/StatusTarget.h"
#include "vocabulary/VocabularyLoader.h"

void LoaderThreads::Start(StatusTarget& target)
{
    Stop();
    m_pTarget = &target;
    m_nRunning.store(2, std::memory_order_release);
    auto run = [this, &target](std::uint32_t (*procedure)(void*)) {
        procedure(&target);
        m_nRunning.fetch_sub(1, std::memory_order_acq_rel);
    };
    m_general = std::thread(run, LoadGeneralVocabulary);
    m_technical = std::thread(run, LoadTechnicalVocabulary);
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
    m_pTarget = nullptr;
}

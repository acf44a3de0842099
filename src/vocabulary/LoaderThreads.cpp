#include "vocabulary/LoaderThreads.h"

#include "vocabulary/StatusTarget.h"
#include "vocabulary/VocabularyLoader.h"

void LoaderThreads::Start(StatusTarget& target)
{
    Stop();
    m_pTarget = &target;
    m_general = std::thread(LoadGeneralVocabulary, &target);
    m_technical = std::thread(LoadTechnicalVocabulary, &target);
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

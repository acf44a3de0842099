#include "vocabulary/LoaderRegistry.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "vocabulary/StatusTarget.h"

namespace
{
struct Listed
{
    StatusTarget* pTarget;
    const std::atomic<int>* pnRunning;
};

struct Registry
{
    std::mutex mutex;
    std::vector<Listed> listed;
    bool bAllStopped = false;  // StopAll ran: the program is ending
};

// Never destroyed: a signal may ask for StopAll while the program is already exiting.
Registry& TheRegistry()
{
    static Registry* const pRegistry = new Registry;
    return *pRegistry;
}
}  // namespace

void LoaderRegistry::Enter(StatusTarget& target, const std::atomic<int>& nRunning)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    if (registry.bAllStopped)
        target.RequestStop();
    registry.listed.push_back({&target, &nRunning});
}

void LoaderRegistry::Leave(const std::atomic<int>& nRunning)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    std::erase_if(registry.listed, [&](const Listed& listed) { return listed.pnRunning == &nRunning; });
}

void LoaderRegistry::StopAll()
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.bAllStopped = true;
    for (const Listed& listed : registry.listed)
        listed.pTarget->RequestStop();
    for (const Listed& listed : registry.listed)
        for (int n; (n = listed.pnRunning->load(std::memory_order_acquire)) > 0;)
            listed.pnRunning->wait(n, std::memory_order_acquire);
}

// How sorellan-find shows a load: the loaders' status texts on standard error, each that
// says a file could not be opened followed by why, in English; and no empty plain file left
// behind by a load that could not begin.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "vocabulary/StatusTarget.h"

class StderrStatusTarget final : public StatusTarget
{
public:
    void Report(const LoadReport& report) override;
    void EnableFind() override { m_bFindEnabled.store(true, std::memory_order_release); }
    bool FindEnabled() const { return m_bFindEnabled.load(std::memory_order_acquire); }

private:
    std::mutex m_mutex;
    std::atomic<bool> m_bFindEnabled{false};
};

// Why a loader could not open its vocabulary file or create its plain file, found by trying
// what it tries, e.g. "0.voca: Permission denied"; empty when both can be opened now.
std::string WhyNotOpened(const char* szVocabularyFile, const char* szPlainFile);

// Notes which plain files exist before the loads; RemoveLeftovers then removes each that the
// loads left behind empty (a loader whose vocabulary file is missing keeps the one it made).
class PlainFileSweep
{
public:
    PlainFileSweep();
    void RemoveLeftovers() const;

private:
    bool m_bExisted[2];
};

// What a loader may do to the window: set the status line's text and open the Find gate.
// The window, the command line and the tests each supply their own.
#pragma once

#include <atomic>

class StatusTarget
{
public:
    // Replaces the whole status line by `szText` (GBK, NUL-terminated). Returns once the
    // window has carried it out. Once RequestStop was called it must return promptly even
    // if the window no longer handles it.
    virtual void SetStatusText(const char* szText) = 0;
    // Enables the Find button; returns once done, and promptly once a stop was requested.
    virtual void EnableFind() = 0;

    // Asks every loader reporting here to stop: each ends within milliseconds, removes its
    // plain file, reports nothing more and does not enable Find.
    void RequestStop() noexcept { m_bStop.store(true, std::memory_order_release); }
    bool StopRequested() const noexcept { return m_bStop.load(std::memory_order_acquire); }
    const std::atomic<bool>& StopFlag() const noexcept { return m_bStop; }

protected:
    StatusTarget() = default;
    ~StatusTarget() = default;

private:
    std::atomic<bool> m_bStop{false};
};

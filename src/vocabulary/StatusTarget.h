// What a loader may do to the window: report what happened, in the status line's words, and
// open the Find gate. The window, the command line and the tests each supply their own.
#pragma once

#include <atomic>

// What happened to a load; the status line's text says it in the window's words.
enum class LoadEvent
{
    kWaiting,    // another copy of the program holds the plain file: waiting for it
    kLoading,    // the load began
    kLoaded,     // the load ended with every entry read
    kMissing,    // the vocabulary file or the plain file cannot be opened
    kFailed,     // the load failed after both files were opened
    kTruncated,  // the table filled up before the file ended
};

struct LoadReport
{
    LoadEvent event;
    const char* szText;            // the status line's text for it: GBK, NUL-terminated
    const char* szVocabularyFile;  // the load's files, for a target that says more
    const char* szPlainFile;
};

class StatusTarget
{
public:
    // Shows the report's text in place of the whole status line. Returns once the window
    // has carried it out. Once RequestStop was called it must return promptly even if the
    // window no longer handles it.
    virtual void Report(const LoadReport& report) = 0;
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

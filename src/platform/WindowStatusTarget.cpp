#include "platform/WindowStatusTarget.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "vocabulary/StatusLine.h"

namespace
{
struct Completion
{
    std::mutex mutex;
    std::condition_variable done;
    bool bDone = false;
};
}  // namespace

template <typename Change>
void CStatusEdit::OnWindowThread(Change change)
{
    QWidget* pControl = GetSafeHwnd();
    if (!pControl || StopRequested())
        return;
    if (QThread::currentThread() == pControl->thread())
    {
        change();
        return;
    }
    auto pCompletion = std::make_shared<Completion>();
    // Queued to the control: if the control is destroyed first, the change is dropped.
    QMetaObject::invokeMethod(
        pControl,
        [this, change, pCompletion] {
            if (!StopRequested())
                change();
            std::lock_guard lock(pCompletion->mutex);
            pCompletion->bDone = true;
            pCompletion->done.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(pCompletion->mutex);
    while (!pCompletion->bDone && !StopRequested())
        pCompletion->done.wait_for(lock, std::chrono::milliseconds(5));
}

void CStatusEdit::Report(const LoadReport& report)
{
    // Decided on the window's thread, against what the line shows at that moment (the
    // search's own text included).
    OnWindowThread([this, event = report.event, text = std::string(report.szText)] {
        const bool bShowsReport = m_shownEvent && GetControlText(GetSafeHwnd()) == m_shownText;
        if (!ReplacesStatusText(bShowsReport ? m_shownEvent : std::nullopt, event))
            return;
        SetWindowText(text);
        m_shownEvent = event;
        m_shownText = text;
    });
}

void CStatusEdit::EnableFind()
{
    OnWindowThread([this] { m_findButton.EnableWindow(true); });
}

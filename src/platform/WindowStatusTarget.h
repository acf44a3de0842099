// The status control as the loaders see it: setting its text and enabling Find happen on
// the window's thread while the loader waits, as window messages would.
#pragma once

#include <optional>
#include <string>

#include "platform/Controls.h"
#include "vocabulary/StatusTarget.h"

class CStatusEdit : public CEdit, public StatusTarget
{
public:
    // The button that EnableFind enables.
    explicit CStatusEdit(CWnd& findButton) : m_findButton(findButton) {}

    // Any thread. Blocks until the window has shown the text, or until a stop is asked
    // for: a window that is closing and waits for its loaders must not wait on them.
    // A report that only says a load waits, began or ended leaves a shown failure in place.
    void Report(const LoadReport& report) override;
    void EnableFind() override;

private:
    template <typename Change>
    void OnWindowThread(Change change);

    CWnd& m_findButton;
    // The last report shown, and its text: the line shows that event while it shows that
    // text. Used on the window's thread only.
    std::optional<LoadEvent> m_shownEvent;
    std::string m_shownText;
};

// The status control as the loaders see it: setting its text and enabling Find happen on
// the window's thread while the loader waits, as window messages would.
#pragma once

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
    // A text that only says a load began or ended leaves a shown failure in place.
    void SetStatusText(const char* szText) override;
    void EnableFind() override;

private:
    template <typename Change>
    void OnWindowThread(Change change);

    CWnd& m_findButton;
};

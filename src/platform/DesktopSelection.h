// The desktop's selection or clipboard as text, read by a program that may have no window.
#pragma once

#include <QString>

#include "desktop/SelectionHelper.h"

// Under X11 through Qt. Under Wayland, where a program without a focused window reads
// nothing, through wl-paste when it is installed; through Qt otherwise, which reads only
// what the desktop lets it (often nothing).
QString ReadDesktopSelection(SelectionKind kind);

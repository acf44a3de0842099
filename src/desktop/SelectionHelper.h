// Reads the desktop's selection or clipboard through a helper program: wl-paste (Debian's
// wl-clipboard) under Wayland, xclip under X11. A program without a window of its own may
// not read the selection on Wayland; wl-paste has its ways to, and xclip needs no Qt.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

enum class SelectionKind
{
    kPrimary,    // the text last selected with the mouse
    kClipboard,  // the text last copied
};

// Read at most this much: the query comes from the first line.
inline constexpr std::size_t kSelectionReadBytes = 1 << 20;

// What the helper printed, cut at kSelectionReadBytes (an empty selection is ""), or
// nullopt when no helper could be run: no display named in the environment, or none of the
// helpers installed. A helper that has not ended within two seconds is killed; what it
// printed until then counts.
std::optional<std::string> ReadSelectionWithHelper(SelectionKind kind);

// Helpers' names as the messages give them: "wl-paste or xclip".
extern const char kSelectionHelpers[];

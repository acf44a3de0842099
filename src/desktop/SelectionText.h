// Text taken from the desktop (the selection, the clipboard, a command line) made fit for
// the query box: UTF-8 in, UTF-8 out. No Qt: sorellan-find uses it too.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The query text the exact patterns were made for, in GBK bytes. A selection is cut to it:
// a longer one is a paragraph, not a term.
inline constexpr std::size_t kSelectionQueryBytes = 497;

// The first line that holds more than blanks, without blanks at either end. Tabs count as
// blanks; NUL, the other control characters and DEL are dropped; bytes that are not UTF-8
// become U+FFFD (a character GBK lacks: it matches nothing). With nMaxGbkBytes the text
// is cut, between characters, where its GBK form (ASCII one byte, anything else two)
// would grow beyond it.
std::string QueryFromDesktopText(std::string_view text, std::size_t nMaxGbkBytes = std::string::npos);

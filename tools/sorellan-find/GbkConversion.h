// GBK <-> UTF-8 at the edge of the command line, through glibc's iconv. Neither direction
// ever stops early or substitutes a character that could be mistaken for real text.
#pragma once

#include <string>
#include <string_view>

// Whether iconv can convert between GBK and UTF-8 here (its modules may be missing).
bool GbkConversionAvailable();

// UTF-8 to GBK. Each character GBK lacks, and each byte that is not part of valid UTF-8,
// becomes one NUL byte: no vocabulary entry holds a NUL, so a query keeping it matches
// nothing, where a stand-in such as "?" would match real entries.
std::string Utf8ToGbk(std::string_view utf8);

// GBK to UTF-8. A lead byte with a trail byte that together decode to nothing become one
// U+FFFD, as does any other byte that does not decode; the conversion goes on behind it.
std::string GbkToUtf8(std::string_view gbk);

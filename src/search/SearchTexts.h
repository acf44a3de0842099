// The texts the search shows, as GBK bytes. Each is spelled out in a comment and checked
// against that spelling by the tests.
#pragma once

// "<精> " tags an exact general match.
inline constexpr char kszExactTag[] = "\x3C\xBE\xAB\x3E\x20";
// "<扩> " tags an expanded general match.
inline constexpr char kszExpandedTag[] = "\x3C\xC0\xA9\x3E\x20";
// "所有词汇已经读取完毕,查找中..." is the status line while and after a search runs.
inline constexpr char kszSearching[] = "\xCB\xF9\xD3\xD0\xB4\xCA\xBB\xE3\xD2\xD1\xBE\xAD\xB6\xC1\xC8\xA1\xCD\xEA\xB1\xCF\x2C\xB2\xE9\xD5\xD2\xD6\xD0\x2E\x2E\x2E";

// Plain references for the entry reader and the search, written straight from the rules one
// byte and one entry at a time. Shared by the unit tests and the fuzz targets, so no gtest.
#pragma once

#include <string>
#include <vector>

#include "search/Find.h"

// The entries of a plain text: text mode first (CR LF reads as LF, a lone CR stays, 0x1A
// ends the text), then lines of at most 254 bytes, each cut at its first NUL.
std::vector<std::string> ReferenceEntries(const std::string& plain);

// A deliberately plain search, one entry at a time, straight from the rules: a keyword or
// exact pattern counts where it begins on a character, counted from the entry's first byte,
// and obeys the rule (case; whole words for keywords).
struct Reference
{
    static FindResults Find(std::string query, const std::vector<std::string>& general,
                            const std::vector<std::string>& technical, const MatchRule& rule = {});
};

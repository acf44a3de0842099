// The query: trimmed text, keywords split at blanks, commas and semicolons, and the test
// that an entry holds each of the first six keywords.
#pragma once

#include <string>
#include <string_view>

#include "search/KeywordMatch.h"

// Keyword slots of one search; only the first kTestedKeywords take part in the test.
struct KeywordTable
{
    static constexpr int kSlots = 100;
    static constexpr int kTestedKeywords = 6;
    std::string slots[kSlots];
};

// Removes blanks (0x20 only) at both ends, in place.
void TrimQuery(std::string& query);

// Stores the keywords of the query, left to right, in slots 0, 1, 2, ... A query of any
// length is split whole; keywords beyond the hundredth are dropped, which changes no
// result since only the first six are tested.
void SplitKeywords(std::string_view query, KeywordTable& table);

// True when each of the slots 0 to 5 is found in the entry (FindKeyword; an empty slot is
// found everywhere). This is the keyword test of every search: the scans only nominate the
// entries it is run on.
bool MatchesKeywords(const KeywordTable& table, std::string_view entry, const MatchRule& rule = {});

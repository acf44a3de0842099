// Whether a general hit is exact: the whole query text stands in the entry between two
// "|", or after a blank or comma and before a blank, comma or the line feed, and the
// pattern begins on a character of the entry.
#pragma once

#include <string>
#include <string_view>

#include "search/KeywordMatch.h"

class ExactPatterns
{
public:
    // Builds the seven patterns from the trimmed query text once per search. They are as
    // long as the query needs: no query is too long for them. Of the rule only the case
    // counts: the bytes around the query already keep it a whole word.
    explicit ExactPatterns(std::string_view query, const MatchRule& rule = {});
    bool Matches(std::string_view entry) const;

    // True when some pattern has `cBefore` right before the query text and `cAfter` right
    // after it: a cheap first look at an occurrence of the query before Matches.
    static bool Surround(char cBefore, char cAfter);

private:
    static constexpr int kPatterns = 7;
    std::string m_patterns[kPatterns];
    MatchRule m_rule;
};

// The same test with patterns built for this one call.
bool IsExactMatch(std::string_view entry, std::string_view query, const MatchRule& rule = {});

// Whether a general hit is exact: the whole query text stands in the entry between two
// "|", or after a blank or comma and before a blank, comma or the line feed, and the
// pattern begins on a character of the entry.
#pragma once

#include <iterator>
#include <string>
#include <string_view>

#include "search/FramedFinder.h"
#include "search/KeywordMatch.h"

class ExactPatterns
{
public:
    // Builds the seven patterns from the trimmed query text once per search. They are as
    // long as the query needs: no query is too long for them. Of the rule only the case
    // counts: the bytes around the query already keep it a whole word.
    explicit ExactPatterns(std::string_view query, const MatchRule& rule = {});
    bool Matches(std::string_view entry) const;

    // The bytes right before and right after the query text in each pattern, in the order
    // the patterns are tried.
    static constexpr FramedFinder::Frame kFrames[] = {
        {'|', '|'}, {' ', '\n'}, {' ', ','}, {',', '\n'}, {',', ' '}, {' ', ' '}, {',', ','},
    };

private:
    std::string m_patterns[std::size(kFrames)];
    MatchRule m_rule;
};

// The same test with patterns built for this one call.
bool IsExactMatch(std::string_view entry, std::string_view query, const MatchRule& rule = {});

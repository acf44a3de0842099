// Whether a general hit is exact: the whole query text stands in the entry between two
// "|", or after a blank or comma and before a blank, comma or the line feed.
#pragma once

#include <string_view>

#include "search/SubstringFinder.h"

class ExactPatterns
{
public:
    // Builds the seven patterns from the trimmed query text once per search. They are as
    // long as the query needs: no query is too long for them.
    explicit ExactPatterns(std::string_view query);
    bool Matches(std::string_view entry) const;

private:
    static constexpr int kPatterns = 7;
    SubstringFinder m_patterns[kPatterns];
};

// The same test with patterns built for this one call.
bool IsExactMatch(std::string_view entry, std::string_view query);

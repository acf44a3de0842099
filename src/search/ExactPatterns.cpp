#include "search/ExactPatterns.h"

#include <string>

namespace
{
// The bytes before and after the query in each pattern, in the order they are tried.
constexpr char kSurroundings[7][2] = {
    {'|', '|'}, {' ', '\n'}, {' ', ','}, {',', '\n'}, {',', ' '}, {' ', ' '}, {',', ','},
};
}  // namespace

ExactPatterns::ExactPatterns(std::string_view query)
{
    for (int i = 0; i < kPatterns; ++i)
    {
        std::string pattern;
        pattern.reserve(query.size() + 2);
        pattern += kSurroundings[i][0];
        pattern += query;
        pattern += kSurroundings[i][1];
        m_patterns[i] = SubstringFinder(pattern);
    }
}

bool ExactPatterns::Matches(std::string_view entry) const
{
    for (const auto& pattern : m_patterns)
        if (pattern.In(entry))
            return true;
    return false;
}

bool IsExactMatch(std::string_view entry, std::string_view query)
{
    return ExactPatterns(query).Matches(entry);
}

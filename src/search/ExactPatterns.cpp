#include "search/ExactPatterns.h"

namespace
{
// The bytes before and after the query in each pattern, in the order they are tried.
constexpr char kSurroundings[7][2] = {
    {'|', '|'}, {' ', '\n'}, {' ', ','}, {',', '\n'}, {',', ' '}, {' ', ' '}, {',', ','},
};
}  // namespace

ExactPatterns::ExactPatterns(std::string_view query, const MatchRule& rule)
    : m_rule{rule.bIgnoreCase, false}
{
    for (int i = 0; i < kPatterns; ++i)
    {
        std::string& pattern = m_patterns[i];
        pattern.reserve(query.size() + 2);
        pattern += kSurroundings[i][0];
        pattern += query;
        pattern += kSurroundings[i][1];
    }
}

bool ExactPatterns::Matches(std::string_view entry) const
{
    for (const auto& pattern : m_patterns)
        if (FindKeyword(entry, pattern, 0, m_rule) != std::string_view::npos)
            return true;
    return false;
}

bool ExactPatterns::Surround(char cBefore, char cAfter)
{
    for (const auto& around : kSurroundings)
        if (around[0] == cBefore && around[1] == cAfter)
            return true;
    return false;
}

bool IsExactMatch(std::string_view entry, std::string_view query, const MatchRule& rule)
{
    return ExactPatterns(query, rule).Matches(entry);
}

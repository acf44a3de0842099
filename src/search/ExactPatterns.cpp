#include "search/ExactPatterns.h"

ExactPatterns::ExactPatterns(std::string_view query, const MatchRule& rule)
    : m_rule{rule.bIgnoreCase, false}
{
    for (std::size_t i = 0; i < std::size(kFrames); ++i)
    {
        std::string& pattern = m_patterns[i];
        pattern.reserve(query.size() + 2);
        pattern += kFrames[i][0];
        pattern += query;
        pattern += kFrames[i][1];
    }
}

bool ExactPatterns::Matches(std::string_view entry) const
{
    for (const auto& pattern : m_patterns)
        if (FindKeyword(entry, pattern, 0, m_rule) != std::string_view::npos)
            return true;
    return false;
}

bool IsExactMatch(std::string_view entry, std::string_view query, const MatchRule& rule)
{
    return ExactPatterns(query, rule).Matches(entry);
}

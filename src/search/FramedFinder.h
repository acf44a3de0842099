// Finds a byte string that stands between chosen bytes: one of a set right before it and one
// of another right after it. The general scan looks so for the query once only exact
// matches can still be listed; where the query is a common letter, most of its occurrences
// lie inside words, and testing the frame 32 positions at a time skips them in bulk.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "search/SubstringFinder.h"

class FramedFinder
{
public:
    // `before` and `after` hold one to four bytes each.
    FramedFinder(std::string_view needle, std::string_view before, std::string_view after,
                 SubstringFinder::Method method = SubstringFinder::Method::kBest);

    // Offset of the first occurrence at or after `from` that has a byte of `before` right in
    // front of it and one of `after` right behind it, within the haystack; npos when none.
    std::size_t Find(std::string_view haystack, std::size_t from = 0) const;

    std::size_t Size() const { return m_needle.size(); }

private:
    bool Framed(std::string_view haystack, std::size_t pos) const;

    std::string m_needle;
    char m_before[4];  // the set, its last byte repeated to fill the four
    char m_after[4];
    SubstringFinder m_plain;
    bool m_bVector;
};

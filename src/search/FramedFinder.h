// Finds a byte string that stands in a chosen frame: a pair of bytes, one right before it and
// one right after it. The general scan looks so for the query once only exact matches can
// still be listed; where the query is a common letter, most of its occurrences lie inside
// words, and testing the frame's bytes 32 positions at a time skips them in bulk.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "search/SubstringFinder.h"

class FramedFinder
{
public:
    // The byte right before the needle and the one right after it.
    using Frame = std::array<char, 2>;

    // The 32 positions at a time are tested where at most four different bytes stand before
    // and four after.
    FramedFinder(std::string_view needle, std::span<const Frame> frames,
                 SubstringFinder::Method method = SubstringFinder::Method::kBest);

    // Offset of the first occurrence at or after `from` that stands in one of the frames,
    // within the haystack; npos when none.
    std::size_t Find(std::string_view haystack, std::size_t from = 0) const;

    std::size_t Size() const { return m_needle.size(); }

private:
    bool Framed(std::string_view haystack, std::size_t pos) const;

    std::string m_needle;
    std::vector<Frame> m_frames;
    char m_before[4];  // the set, its last byte repeated to fill the four
    char m_after[4];
    SubstringFinder m_plain;
    bool m_bVector;
};

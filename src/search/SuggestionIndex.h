// Words and terms near a keyword that found nothing: English words of the vocabularies a
// small edit distance away, and headwords one Chinese character off. Built from both tables
// when first needed, which takes a few tens of milliseconds on full vocabularies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "vocabulary/VocabularyTable.h"

class SuggestionIndex
{
public:
    SuggestionIndex(const VocabularyTable& general, const VocabularyTable& technical);

    // Up to nMax suggestions (GBK) for the keywords, the first keyword's first. A keyword of
    // ASCII letters gets the words within 1 edit (2 from five letters on; a swap of two
    // neighbours is one), nearest and most frequent first, the keyword itself excepted in
    // its own spelling, and first, where it spells four or more letters of pinyin, the
    // headwords read so (a reading typed without -p); a keyword of two or more Chinese characters the headwords one
    // character off (one changed, missing or added), in vocabulary order.
    std::vector<std::string> Suggest(const std::vector<std::string_view>& keywords, std::size_t nMax = 5) const;

    // False when no keyword is of a kind Suggest looks at: no index need be built.
    static bool MaySuggest(const std::vector<std::string_view>& keywords);

private:
    void Add(std::string_view entry);
    void SuggestWords(std::string_view keyword, std::size_t nMax, std::vector<std::string>& out) const;
    void SuggestReadings(std::string_view keyword, std::size_t nMax, std::vector<std::string>& out) const;
    void SuggestHeadwords(std::string_view keyword, std::size_t nMax, std::vector<std::string>& out) const;

    void CountWord(std::string_view word);
    std::size_t Slot(std::string_view word) const;  // where the word is, or its empty slot

    // The English words, lower case, outside the readings: views of the tables' entries
    // (which outlive the index) or of m_loweredWords, counted in a table of open addressing
    // (one look at memory a word, where a map of nodes takes several).
    struct WordCount
    {
        std::string_view word;
        int nCount = 0;
        std::uint32_t letters = 0;  // bit i: the word holds letter 'a' + i
    };
    std::vector<WordCount> m_wordCounts;
    std::size_t m_nWords = 0;
    std::unordered_set<std::string> m_loweredWords;
    std::vector<std::string_view> m_headwords;        // first term of each entry, once each
    std::vector<std::string_view> m_headwordEntries;  // the entry each came from first
    std::unordered_set<std::string_view> m_seenHeadwords;
};

// The edit distance of two strings (insertions, deletions, changes and swaps of neighbours,
// each 1) in units of `unit` bytes, or nLimit + 1 when it exceeds nLimit.
std::size_t BoundedEditDistance(std::string_view a, std::string_view b, std::size_t nLimit, std::size_t unit = 1);

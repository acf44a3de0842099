#include "search/SuggestionIndex.h"

#include <algorithm>
#include <bit>
#include <tuple>

#include "search/KeywordMatch.h"
#include "search/PinyinMatch.h"

namespace
{
bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when the text is two or more double-byte characters and nothing else.
bool IsChineseTerm(std::string_view text)
{
    if (text.size() < 4 || text.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < text.size(); i += 2)
        if (!IsDoubleByte(text[i], text[i + 1]))
            return false;
    return true;
}

// The letters a lower-case word holds, a bit each.
std::uint32_t LetterSet(std::string_view word)
{
    std::uint32_t letters = 0;
    for (const char c : word)
        letters |= 1u << ((c - 'a') & 31);
    return letters;
}

bool IsEnglishWord(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), IsAsciiLetter);
}

void AddOnce(std::vector<std::string>& out, std::string text)
{
    if (std::find(out.begin(), out.end(), text) == out.end())
        out.push_back(std::move(text));
}
}  // namespace

std::size_t BoundedEditDistance(std::string_view a, std::string_view b, std::size_t nLimit, std::size_t unit)
{
    const std::size_t n = a.size() / unit, m = b.size() / unit;
    if ((n > m ? n - m : m - n) > nLimit)
        return nLimit + 1;
    auto same = [&](std::size_t i, std::size_t j) { return a.substr(i * unit, unit) == b.substr(j * unit, unit); };
    // Three rows of the table: two back for the swaps. Kept between calls: the index calls
    // this for every word of about the keyword's length.
    thread_local std::vector<std::size_t> older, prev, row;
    for (auto* pRow : {&older, &prev, &row})
        pRow->assign(m + 1, 0);
    for (std::size_t j = 0; j <= m; ++j)
        prev[j] = j;
    for (std::size_t i = 1; i <= n; ++i)
    {
        row[0] = i;
        std::size_t nRowBest = row[0];
        for (std::size_t j = 1; j <= m; ++j)
        {
            row[j] = std::min({prev[j] + 1, row[j - 1] + 1, prev[j - 1] + (same(i - 1, j - 1) ? 0 : 1)});
            if (i > 1 && j > 1 && same(i - 1, j - 2) && same(i - 2, j - 1))
                row[j] = std::min(row[j], older[j - 2] + 1);
            nRowBest = std::min(nRowBest, row[j]);
        }
        if (nRowBest > nLimit)
            return nLimit + 1;
        std::swap(older, prev);
        std::swap(prev, row);
    }
    return std::min(prev[m], nLimit + 1);
}

SuggestionIndex::SuggestionIndex(const VocabularyTable& general, const VocabularyTable& technical)
{
    m_wordCounts.resize(1 << 17);
    m_seenHeadwords.reserve(1 << 18);
    for (const VocabularyTable* table : {&general, &technical})
        for (int n = 0, nCount = table->GetCount(); n < nCount; ++n)
            Add(table->GetAt(n));
}

void SuggestionIndex::Add(std::string_view entry)
{
    // The headword: the first run of Chinese characters, after any leading "|".
    std::size_t i = entry.find_first_not_of('|');
    std::size_t end = i;
    while (end + 1 < entry.size() && IsDoubleByte(entry[end], entry[end + 1]))
        end += 2;
    if (end > i)
    {
        const std::string_view headword = entry.substr(i, end - i);
        if (m_seenHeadwords.insert(headword).second)
        {
            m_headwords.push_back(headword);
            m_headwordEntries.push_back(entry);
        }
    }
    // English words: runs of ASCII letters, character by character, skipping readings. A
    // word in lower case is kept as a view of the entry; only others need a copy.
    bool bInReading = false;
    std::size_t nStart = 0;
    bool bUpper = false;
    for (i = 0; i <= entry.size(); ++i)
    {
        const char c = i < entry.size() ? entry[i] : '\0';
        if (!bInReading && IsAsciiLetter(c))
        {
            bUpper |= c <= 'Z';
            continue;
        }
        if (i - nStart > 1)
        {
            std::string_view word = entry.substr(nStart, i - nStart);
            if (bUpper)
            {
                std::string lower(word);
                std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
                word = *m_loweredWords.insert(std::move(lower)).first;
            }
            CountWord(word);
        }
        if (i + 1 < entry.size() && IsDoubleByte(c, entry[i + 1]))
            ++i;
        else if (c == '[' || c == ']')
            bInReading = c == '[';
        nStart = i + 1;
        bUpper = false;
    }
}

void SuggestionIndex::CountWord(std::string_view word)
{
    if (2 * (m_nWords + 1) > m_wordCounts.size())
    {
        std::vector<WordCount> old(2 * m_wordCounts.size());
        old.swap(m_wordCounts);
        m_nWords = 0;
        for (const WordCount& counted : old)
            if (counted.nCount > 0)
            {
                m_wordCounts[Slot(counted.word)] = counted;
                ++m_nWords;
            }
    }
    WordCount& slot = m_wordCounts[Slot(word)];
    if (slot.nCount++ == 0)
    {
        slot.word = word;
        slot.letters = LetterSet(word);
        ++m_nWords;
    }
}

std::size_t SuggestionIndex::Slot(std::string_view word) const
{
    const std::size_t nMask = m_wordCounts.size() - 1;
    std::size_t i = std::hash<std::string_view>{}(word) & nMask;
    while (m_wordCounts[i].nCount > 0 && m_wordCounts[i].word != word)
        i = (i + 1) & nMask;
    return i;
}

void SuggestionIndex::SuggestWords(std::string_view keyword, std::size_t nMax, std::vector<std::string>& out) const
{
    std::string lower(keyword);
    std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
    const std::size_t nLimit = lower.size() >= 5 ? 2 : 1;
    std::vector<std::tuple<std::size_t, int, std::string_view>> near;  // distance, -count, word
    const std::uint32_t letters = LetterSet(lower);
    for (const auto& [word, nCount, wordLetters] : m_wordCounts)
    {
        // Each edit brings in at most one letter the other lacks, and takes out at most one.
        if (nCount == 0 || word == keyword || std::popcount(letters & ~wordLetters) > static_cast<int>(nLimit) ||
            std::popcount(wordLetters & ~letters) > static_cast<int>(nLimit))
            continue;
        if (const std::size_t d = BoundedEditDistance(lower, word, nLimit); d <= nLimit)
            near.emplace_back(d, -nCount, word);
    }
    std::sort(near.begin(), near.end());
    for (std::size_t k = 0; k < near.size() && out.size() < nMax; ++k)
        AddOnce(out, std::string(std::get<2>(near[k])));
}

void SuggestionIndex::SuggestReadings(std::string_view keyword, std::size_t nMax, std::vector<std::string>& out) const
{
    const std::optional<PinyinKeyword> reading = ParsePinyinKeyword(keyword);
    if (keyword.size() < 4 || !reading)
        return;
    for (std::size_t i = 0; i < m_headwords.size() && out.size() < nMax; ++i)
        if (FitPinyin(m_headwordEntries[i], *reading) == PinyinFit::kWhole)
            AddOnce(out, std::string(m_headwords[i]));
}

void SuggestionIndex::SuggestHeadwords(std::string_view keyword, std::size_t nMax,
                                       std::vector<std::string>& out) const
{
    for (const std::string_view headword : m_headwords)
    {
        if (out.size() >= nMax)
            return;
        if (headword != keyword && BoundedEditDistance(keyword, headword, 1, 2) == 1)
            AddOnce(out, std::string(headword));
    }
}

bool SuggestionIndex::MaySuggest(const std::vector<std::string_view>& keywords)
{
    return std::any_of(keywords.begin(), keywords.end(), [](std::string_view keyword) {
        return IsEnglishWord(keyword) || IsChineseTerm(keyword);
    });
}

std::vector<std::string> SuggestionIndex::Suggest(const std::vector<std::string_view>& keywords,
                                                  std::size_t nMax) const
{
    std::vector<std::string> out;
    for (const std::string_view keyword : keywords)
    {
        if (IsEnglishWord(keyword))
        {
            SuggestReadings(keyword, nMax, out);
            SuggestWords(keyword, nMax, out);
        }
        else if (IsChineseTerm(keyword))
            SuggestHeadwords(keyword, nMax, out);
    }
    return out;
}

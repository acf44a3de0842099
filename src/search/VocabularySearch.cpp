#include "search/VocabularySearch.h"

#include "search/ExactPatterns.h"
#include "search/FramedFinder.h"
#include "search/SearchTexts.h"
#include "search/SubstringFinder.h"

std::string g_expandedMatches[kMaxExpandedListed];

namespace
{
// The scans below only nominate entries, in table order; MatchesKeywords and ExactPatterns
// decide on each. A visit returns false to stop; each scan returns the index of the entry
// after the one it stopped at, or the count it reached. The table's count is taken afresh
// whenever a scan reaches it, so entries a loader publishes meanwhile are seen.

// Nominates every entry from n on.
template <typename Visit>
int VisitEntries(const VocabularyTable& table, int n, Visit visit)
{
    for (; n < table.GetCount(); ++n)
        if (!visit(table.GetAt(n)))
            return n + 1;
    return n;
}

// Nominates, from entry n on, each entry that holds what `finder` finds. Rather than entry by
// entry it looks across the whole run of published entries, so only the entries where the
// bytes turn up cost more than the look itself.
template <typename Finder, typename Visit>
int VisitOccurrences(const VocabularyTable& table, int n, const Finder& finder, Visit visit)
{
    for (int nCount; n < (nCount = table.GetCount()); n = nCount)
    {
        const std::string_view run = table.GetRun(n, nCount);
        for (std::size_t pos = 0; (pos = finder.Find(run, pos)) != SubstringFinder::npos;)
        {
            const int nEntry = table.GetIndexInRun(n, nCount, pos);
            const std::string_view entry = table.GetAt(nEntry);
            const auto nEntryEnd = static_cast<std::size_t>(entry.data() - run.data()) + entry.size();
            // An occurrence that runs on into the next entry is in neither, and no later one
            // in this entry can end within it.
            if (pos + finder.Size() <= nEntryEnd && !visit(entry))
                return nEntry + 1;
            pos = nEntryEnd;
        }
    }
    return n;
}

// The longest of the tested keywords: the rarest bytes to look for.
const std::string& LongestKeyword(const KeywordTable& keywords)
{
    int nLongest = 0;
    for (int i = 1; i < KeywordTable::kTestedKeywords; ++i)
        if (keywords.slots[i].size() > keywords.slots[nLongest].size())
            nLongest = i;
    return keywords.slots[nLongest];
}

// Nominates from entry n on the entries that may pass the keyword test: those holding the
// bytes of the longest keyword, or every entry where there is none or case is ignored.
template <typename Visit>
int VisitKeywordCandidates(const VocabularyTable& table, int n, const KeywordTable& keywords,
                           const MatchRule& rule, Visit visit)
{
    const std::string& longest = LongestKeyword(keywords);
    if (longest.empty() || rule.bIgnoreCase)
        return VisitEntries(table, n, visit);
    return VisitOccurrences(table, n, SubstringFinder(longest), visit);
}
}  // namespace

void GeneralResult::Add(std::string_view entry, bool bExact)
{
    if (bExact)
    {
        ++m_nExact;
        m_text.AppendShowingBarsAsBlanks(kszExactTag, entry);
    }
    else if (m_nExpanded < kMaxExpandedListed)
    {
        std::string& display = g_expandedMatches[m_nExpanded++];
        display.assign(entry);
        ReplaceChar(display.data(), '|', ' ');
    }
}

std::string GeneralResult::Text()
{
    for (int i = 0; i < m_nExpanded; ++i)
        m_text.Append(kszExpandedTag, g_expandedMatches[i]);
    return std::string(m_text.View());
}

std::string SearchGeneralVocabulary(std::string_view query, const KeywordTable& keywords,
                                    const VocabularyTable& table, const MatchRule& rule)
{
    using enum GeneralResult::Phase;
    const ExactPatterns exact(query, rule);
    GeneralResult result;
    // A visit that lists the keyword hits and goes on while `phase` lasts.
    auto listDuring = [&](GeneralResult::Phase phase) {
        return [&, phase](std::string_view entry) {
            if (MatchesKeywords(keywords, entry, rule))
                result.Add(entry, exact.Matches(entry));
            return result.CurrentPhase() == phase;
        };
    };
    const int n = VisitKeywordCandidates(table, 0, keywords, rule, listDuring(kBothLists));
    if (result.CurrentPhase() == kExactOnly)
    {
        // Exact matches hold the whole query in the frame of a pattern; where the patterns
        // are bytes as stored, the rest of the scan looks only for those.
        if (!query.empty() && !rule.bIgnoreCase)
            VisitOccurrences(table, n, FramedFinder(query, ExactPatterns::kFrames), listDuring(kExactOnly));
        else
            VisitKeywordCandidates(table, n, keywords, rule, listDuring(kExactOnly));
    }
    return result.Text();
}

std::string SearchTechnicalVocabulary(const KeywordTable& keywords, const VocabularyTable& table,
                                      const MatchRule& rule)
{
    ResultText result;
    int nListed = 0;
    VisitKeywordCandidates(table, 0, keywords, rule, [&](std::string_view entry) {
        if (MatchesKeywords(keywords, entry, rule))
        {
            ++nListed;
            result.Append({}, entry);
        }
        return nListed < kMaxTechnicalListed;
    });
    return std::string(result.View());
}

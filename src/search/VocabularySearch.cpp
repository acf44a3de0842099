#include "search/VocabularySearch.h"

#include "search/ExactPatterns.h"
#include "search/ResultText.h"
#include "search/SearchTexts.h"
#include "search/SubstringFinder.h"

std::string g_expandedMatches[kMaxExpandedListed];

namespace
{
// Walks the entries that pass the keyword test, in table order. Rather than testing entry
// by entry, it looks for the longest tested keyword across the whole run of published
// entries and tests the other keywords only in the entries where it turns up.
class KeywordScan
{
public:
    explicit KeywordScan(const KeywordTable& keywords)
    {
        int nAnchor = 0;
        for (int i = 0; i < KeywordTable::kTestedKeywords; ++i)
            if (keywords.slots[i].size() > keywords.slots[nAnchor].size())
                nAnchor = i;
        m_anchor = SubstringFinder(keywords.slots[nAnchor]);
        for (int i = 0; i < KeywordTable::kTestedKeywords; ++i)
            if (i != nAnchor && !keywords.slots[i].empty())
                m_others[m_nOthers++] = SubstringFinder(keywords.slots[i]);
    }

    // Calls visit(entry) for each hit until it returns false.
    template <typename Visit>
    void ForEachHit(const VocabularyTable& table, Visit visit) const
    {
        int n = 0;
        for (int nCount; n < (nCount = table.GetCount()); n = nCount)
        {
            if (m_anchor.Size() == 0)
            {
                // No keyword at all: every entry is a hit.
                for (; n < nCount; ++n)
                    if (!visit(table.GetAt(n)))
                        return;
                continue;
            }
            const std::string_view run = table.GetRun(n, nCount);
            std::size_t pos = 0;
            while (pos < run.size())
            {
                const std::size_t found = m_anchor.Find(run, pos);
                if (found == SubstringFinder::npos)
                    break;
                const int nEntry = table.GetIndexInRun(n, nCount, found);
                const std::string_view entry = table.GetAt(nEntry);
                const auto nEntryBegin = static_cast<std::size_t>(entry.data() - run.data());
                pos = nEntryBegin + entry.size();
                // An occurrence that runs on into the next entry is in neither.
                if (found + m_anchor.Size() <= pos && OthersIn(entry) && !visit(entry))
                    return;
            }
        }
    }

private:
    bool OthersIn(std::string_view entry) const
    {
        for (int i = 0; i < m_nOthers; ++i)
            if (!m_others[i].In(entry))
                return false;
        return true;
    }

    SubstringFinder m_anchor;
    SubstringFinder m_others[KeywordTable::kTestedKeywords];
    int m_nOthers = 0;
};
}  // namespace

std::string SearchGeneralVocabulary(std::string_view query, const KeywordTable& keywords,
                                    const VocabularyTable& table)
{
    const ExactPatterns exact(query);
    ResultText result;
    int nExact = 0;
    int nExpanded = 0;
    KeywordScan(keywords).ForEachHit(table, [&](std::string_view entry) {
        if (exact.Matches(entry))
        {
            ++nExact;
            result.Append(kszExactTag, entry, false);
        }
        else if (nExpanded < kMaxExpandedListed)
        {
            std::string& display = g_expandedMatches[nExpanded++];
            display.assign(entry);
            ReplaceChar(display.data(), '|', ' ');
        }
        return nExact < kMaxExactListed;
    });
    for (int i = 0; i < nExpanded; ++i)
        result.Append(kszExpandedTag, g_expandedMatches[i]);
    return result.Take();
}

std::string SearchTechnicalVocabulary(const KeywordTable& keywords, const VocabularyTable& table)
{
    ResultText result;
    int nListed = 0;
    KeywordScan(keywords).ForEachHit(table, [&](std::string_view entry) {
        ++nListed;
        result.Append({}, entry);
        return nListed < kMaxTechnicalListed;
    });
    return result.Take();
}

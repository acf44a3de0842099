// The scans of the two vocabularies and the result texts they build.
#pragma once

#include <string>
#include <string_view>

#include "search/KeywordQuery.h"
#include "search/ResultText.h"
#include "vocabulary/VocabularyTable.h"

inline constexpr int kMaxExactListed = 201;     // the scan ends after the 201st
inline constexpr int kMaxExpandedListed = 50;
inline constexpr int kMaxTechnicalListed = 201;  // the scan ends after the 201st

// Display forms of the expanded matches of the latest general search; only as many as
// that search counted belong to it.
extern std::string g_expandedMatches[kMaxExpandedListed];

// The general result as a scan lists its hits in table order: exact matches ("<精> ") as
// found, then the first 50 expanded ones ("<扩> "), each "|" character shown as a blank.
class GeneralResult
{
public:
    // What can still be listed: both kinds until the expanded list is full, then exact
    // matches only, and nothing once the 201st is listed.
    enum class Phase { kBothLists, kExactOnly, kDone };
    Phase CurrentPhase() const
    {
        return m_nExact >= kMaxExactListed           ? Phase::kDone
               : m_nExpanded < kMaxExpandedListed ? Phase::kBothLists
                                                  : Phase::kExactOnly;
    }
    // An expanded match beyond the 50th is dropped.
    void Add(std::string_view entry, bool bExact);
    std::string Text();

private:
    ResultText m_text;
    int m_nExact = 0;
    int m_nExpanded = 0;
};

// Every entry that passes the keyword test, as GeneralResult lists them. The table's count is
// taken afresh as the scan goes, so entries a loader publishes meanwhile are seen. The caps
// count only what passes under `rule`.
std::string SearchGeneralVocabulary(std::string_view query, const KeywordTable& keywords,
                                    const VocabularyTable& table = g_generalVocabulary,
                                    const MatchRule& rule = {});

// Every technical entry that passes the keyword test, as stored, untagged.
std::string SearchTechnicalVocabulary(const KeywordTable& keywords,
                                      const VocabularyTable& table = g_technicalVocabulary,
                                      const MatchRule& rule = {});

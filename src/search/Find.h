// One search as the Find button runs it, less the window: trim the query in place, split
// it, scan both vocabularies.
#pragma once

#include <functional>
#include <string>

#include "search/KeywordMatch.h"
#include "vocabulary/VocabularyTable.h"

struct FindResults
{
    std::string general;
    std::string technical;
    bool operator==(const FindResults&) const = default;
};

// `onGeneralResult`, when given, receives the general result before the technical scan
// starts, so a window can show it while that scan runs. The window always searches with the
// default rule.
FindResults FindInVocabularies(std::string& query,
                               const VocabularyTable& general = g_generalVocabulary,
                               const VocabularyTable& technical = g_technicalVocabulary,
                               const std::function<void(const std::string&)>& onGeneralResult = {},
                               const MatchRule& rule = {});

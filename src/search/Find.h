// One search as the Find button runs it, less the window: trim the query in place, split
// it, scan both vocabularies.
#pragma once

#include <string>

#include "search/KeywordMatch.h"
#include "vocabulary/VocabularyTable.h"

struct FindResults
{
    std::string general;
    std::string technical;
    bool operator==(const FindResults&) const = default;
};

// The window searches with the default rule; the command line may choose another.
FindResults FindInVocabularies(std::string& query,
                               const VocabularyTable& general = g_generalVocabulary,
                               const VocabularyTable& technical = g_technicalVocabulary,
                               const MatchRule& rule = {});

#include "search/Find.h"

#include "search/KeywordQuery.h"
#include "search/VocabularySearch.h"

FindResults FindInVocabularies(std::string& query, const VocabularyTable& general,
                               const VocabularyTable& technical,
                               const std::function<void(const std::string&)>& onGeneralResult,
                               const MatchRule& rule)
{
    KeywordTable keywords;  // fresh and empty for every search: nothing carries over
    TrimQuery(query);
    SplitKeywords(query, keywords);
    FindResults results;
    results.general = SearchGeneralVocabulary(query, keywords, general, rule);
    if (onGeneralResult)
        onGeneralResult(results.general);
    results.technical = SearchTechnicalVocabulary(keywords, technical, rule);
    return results;
}

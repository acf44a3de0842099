#include "search/Find.h"

#include "search/KeywordQuery.h"
#include "search/VocabularySearch.h"

FindResults FindInVocabularies(std::string& query, const VocabularyTable& general,
                               const VocabularyTable& technical, const MatchRule& rule)
{
    KeywordTable keywords;  // fresh and empty for every search: nothing carries over
    TrimQuery(query);
    SplitKeywords(query, keywords);
    // A braced list is evaluated in order: the general scan runs first.
    return {SearchGeneralVocabulary(query, keywords, general, rule),
            SearchTechnicalVocabulary(keywords, technical, rule)};
}

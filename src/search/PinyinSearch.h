// The search by reading: each keyword is pinyin typed in plain letters, keywords separated
// by commas or semicolons (a blank only parts syllables). Caps, tags and order are those of
// every search.
#pragma once

#include <string>
#include <vector>

#include "search/Find.h"

struct PinyinResults
{
    FindResults lists;
    std::vector<std::string> notPinyin;  // the keywords that are no pinyin: they match nothing
};

// Trims the query in place and scans both vocabularies. A general hit is exact where a
// keyword spells one of its readings whole.
PinyinResults FindByPinyin(std::string& query, const VocabularyTable& general = g_generalVocabulary,
                           const VocabularyTable& technical = g_technicalVocabulary);

#include "search/KeywordQuery.h"

namespace
{
constexpr std::string_view kSeparators = " ,;";
}

void TrimQuery(std::string& query)
{
    const std::size_t nFirst = query.find_first_not_of(' ');
    if (nFirst == std::string::npos)
    {
        query.clear();
        return;
    }
    query.erase(query.find_last_not_of(' ') + 1);
    query.erase(0, nFirst);
}

void SplitKeywords(std::string_view query, KeywordTable& table)
{
    int nSlot = 0;
    std::size_t pos = 0;
    while (nSlot < KeywordTable::kSlots)
    {
        pos = query.find_first_not_of(kSeparators, pos);
        if (pos == std::string_view::npos)
            return;
        std::size_t end = query.find_first_of(kSeparators, pos);
        if (end == std::string_view::npos)
            end = query.size();
        table.slots[nSlot++].assign(query.substr(pos, end - pos));
        pos = end;
    }
}

bool MatchesKeywords(const KeywordTable& table, std::string_view entry, const MatchRule& rule)
{
    for (int i = 0; i < KeywordTable::kTestedKeywords; ++i)
        if (FindKeyword(entry, table.slots[i], 0, rule) == std::string_view::npos)
            return false;
    return true;
}

#include "search/PinyinSearch.h"

#include "search/KeywordQuery.h"
#include "search/PinyinMatch.h"
#include "search/ResultText.h"
#include "search/VocabularySearch.h"

namespace
{
// The fit of the entry to all keywords: none when one misses, whole when one spells a
// reading whole.
PinyinFit FitAll(std::string_view entry, const std::vector<PinyinKeyword>& keywords)
{
    PinyinFit fit = PinyinFit::kPart;
    for (const PinyinKeyword& keyword : keywords)
    {
        const PinyinFit one = FitPinyin(entry, keyword);
        if (one == PinyinFit::kNone)
            return one;
        if (one == PinyinFit::kWhole)
            fit = one;
    }
    return fit;
}
}  // namespace

PinyinResults FindByPinyin(std::string& query, const VocabularyTable& general, const VocabularyTable& technical)
{
    TrimQuery(query);
    PinyinResults results;
    std::vector<PinyinKeyword> keywords;
    for (std::size_t pos = 0; keywords.size() + results.notPinyin.size() < KeywordTable::kTestedKeywords;)
    {
        pos = query.find_first_not_of(",; ", pos);
        if (pos == std::string::npos)
            break;
        std::size_t end = query.find_first_of(",;", pos);
        end = end == std::string::npos ? query.size() : end;
        const std::string typed = query.substr(pos, query.find_last_not_of(' ', end - 1) + 1 - pos);
        if (auto keyword = ParsePinyinKeyword(typed))
            keywords.push_back(std::move(*keyword));
        else
            results.notPinyin.push_back(typed);
        pos = end;
    }
    if (keywords.empty() || !results.notPinyin.empty())
        return results;

    GeneralResult generalResult;
    for (int n = 0; n < general.GetCount() && generalResult.CurrentPhase() != GeneralResult::Phase::kDone; ++n)
    {
        const std::string_view entry = general.GetAt(n);
        if (const PinyinFit fit = FitAll(entry, keywords); fit != PinyinFit::kNone)
            generalResult.Add(entry, fit == PinyinFit::kWhole);
    }

    ResultText technicalText;
    for (int n = 0, nListed = 0; n < technical.GetCount() && nListed < kMaxTechnicalListed; ++n)
        if (const std::string_view entry = technical.GetAt(n); FitAll(entry, keywords) != PinyinFit::kNone)
        {
            ++nListed;
            technicalText.Append({}, entry);
        }
    results.lists = {generalResult.Text(), std::string(technicalText.View())};
    return results;
}

// Runs the queries of sorellan-find and writes their results in the form asked for.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FindOptions.h"
#include "search/KeywordQuery.h"

struct FindResults;
class SuggestionIndex;

class QueryRunner
{
public:
    QueryRunner(const FindOptions& options, bool bColor);
    ~QueryRunner();

    // Runs one query given as typed (UTF-8, or GBK with --raw) and writes its results; a
    // query without a keyword (blank, or separators only) is skipped in the text output
    // alone. Returns false when standard output failed.
    bool Run(std::string_view input);

private:
    void AppendText(const std::string& query, const FindResults& results);
    void AppendJson(const std::string& query, const FindResults& results,
                    const std::vector<std::string>& suggestions);
    // Words and terms near the keywords of a query that found nothing (GBK).
    std::vector<std::string> Suggest(bool bFoundNothing);

    OutputFormat m_format;
    bool m_bColor;
    MatchRule m_rule;
    bool m_bPinyin;
    bool m_bQuiet;
    std::unique_ptr<SuggestionIndex> m_pSuggestions;  // built when first needed
    bool m_bAnyRun = false;
    std::string m_keywords[KeywordTable::kTestedKeywords];  // of the current query, GBK
    std::string m_out;          // one query's output, written at once
    std::string m_notes;        // and what it says on standard error
};

// Runs the queries of sorellan-find and writes their results in the form asked for.
#pragma once

#include <string>
#include <string_view>

#include "FindOptions.h"
#include "search/KeywordQuery.h"

struct FindResults;

class QueryRunner
{
public:
    QueryRunner(OutputFormat format, bool bColor, const MatchRule& rule)
        : m_format(format), m_bColor(bColor), m_rule(rule)
    {
    }

    // Runs one query given as typed (UTF-8, or GBK with --raw) and writes its results; a
    // query without a keyword (blank, or separators only) is skipped in the text output
    // alone. Returns false when standard output failed.
    bool Run(std::string_view input);

private:
    void AppendText(const std::string& query, const FindResults& results);
    void AppendJson(const std::string& query, const FindResults& results);

    OutputFormat m_format;
    bool m_bColor;
    MatchRule m_rule;
    bool m_bAnyRun = false;
    std::string m_keywords[KeywordTable::kTestedKeywords];  // of the current query, GBK
    std::string m_out;          // one query's output, written at once
};

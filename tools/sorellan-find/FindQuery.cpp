#include "FindQuery.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "GbkConversion.h"
#include "search/Find.h"
#include "search/KeywordQuery.h"
#include "search/PinyinSearch.h"
#include "search/SearchTexts.h"
#include "search/SuggestionIndex.h"

namespace
{
// As grep colours its matches.
constexpr char kMatchStart[] = "\x1B[01;31m\x1B[K";
constexpr char kMatchEnd[] = "\x1B[m\x1B[K";

// Appends UTF-8 text for one terminal line. A NUL (what stands for a query character GBK
// lacks) shows as U+FFFD; other control bytes but tab show as a blank, so that a lone CR
// kept in an entry can neither break the line nor drive the terminal.
void AppendVisible(std::string& out, std::string_view text)
{
    for (const char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0)
            out += "\xEF\xBF\xBD";
        else if ((byte < 0x20 && c != '\t') || byte == 0x7F)
            out += ' ';
        else
            out += c;
    }
}

// The entries of a result text (GBK), each without its "\r\n" and its own line feed.
std::vector<std::string_view> SplitEntries(std::string_view result)
{
    std::vector<std::string_view> entries;
    for (std::size_t pos = 0; pos < result.size();)
    {
        const std::size_t end = std::min(result.find("\r\n", pos), result.size());
        std::string_view entry = result.substr(pos, end - pos);
        if (entry.ends_with('\n'))
            entry.remove_suffix(1);
        entries.push_back(entry);
        pos = end + 2;
    }
    return entries;
}

using ByteRange = std::pair<std::size_t, std::size_t>;  // [begin, end)

// Which bytes of `entry` a keyword matched, as sorted, merged ranges.
std::vector<ByteRange> MatchedRanges(std::string_view entry,
                                     const std::string (&keywords)[KeywordTable::kTestedKeywords],
                                     const MatchRule& rule)
{
    std::vector<ByteRange> ranges;
    for (const std::string& keyword : keywords)
    {
        if (keyword.empty())
            continue;
        for (std::size_t pos = FindKeyword(entry, keyword, 0, rule); pos != std::string_view::npos;
             pos = FindKeyword(entry, keyword, pos + 1, rule))
        {
            std::size_t end = pos + keyword.size();
            while (end < entry.size() && !StartsCharacter(entry, end))
                ++end;
            ranges.emplace_back(pos, end);
        }
    }
    std::sort(ranges.begin(), ranges.end());
    std::vector<ByteRange> merged;
    for (const auto& range : ranges)
    {
        if (!merged.empty() && range.first <= merged.back().second)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    return merged;
}
}  // namespace

QueryRunner::QueryRunner(const FindOptions& options, bool bColor)
    : m_format(options.format), m_bColor(bColor), m_rule(options.rule), m_bPinyin(options.bPinyin),
      m_bQuiet(options.bQuiet)
{
}

QueryRunner::~QueryRunner() = default;

std::vector<std::string> QueryRunner::Suggest(bool bFoundNothing)
{
    // Readings find what they find; a word near a reading would mislead. --raw serves
    // programs that call once a word: they would pay for the index on every miss.
    if (!bFoundNothing || m_bPinyin || m_format == OutputFormat::kRaw || (m_bQuiet && m_format == OutputFormat::kText))
        return {};
    const std::vector<std::string_view> keywords(std::begin(m_keywords), std::end(m_keywords));
    if (!SuggestionIndex::MaySuggest(keywords))
        return {};
    if (!m_pSuggestions)
        m_pSuggestions = std::make_unique<SuggestionIndex>(g_generalVocabulary, g_technicalVocabulary);
    return m_pSuggestions->Suggest(keywords);
}

bool QueryRunner::Run(std::string_view input)
{
    std::string query = m_format == OutputFormat::kRaw ? std::string(input) : Utf8ToGbk(input);
    {
        std::string trimmed = query;
        TrimQuery(trimmed);
        KeywordTable keywords;
        SplitKeywords(trimmed, keywords);
        // A script counts its answers: there, a blank query gets the window's answer too.
        if (keywords.slots[0].empty() && m_format == OutputFormat::kText)
            return true;
        std::copy_n(keywords.slots, KeywordTable::kTestedKeywords, m_keywords);
    }
    FindResults results;
    if (m_bPinyin)
    {
        PinyinResults found = FindByPinyin(query, g_generalVocabulary, g_technicalVocabulary);
        for (const std::string& keyword : found.notPinyin)
        {
            // A hostile keyword is named by its beginning: 40 bytes, whole characters.
            std::size_t nShown = std::min<std::size_t>(keyword.size(), 40);
            while (!StartsCharacter(keyword, nShown))
                --nShown;
            m_notes += "sorellan-find: '";
            AppendVisible(m_notes, GbkToUtf8(keyword.substr(0, nShown)));
            m_notes += (nShown < keyword.size() ? "…" : "") + std::string("' is not pinyin: it matches nothing\n");
        }
        results = std::move(found.lists);
        std::fill(std::begin(m_keywords), std::end(m_keywords), std::string());  // nothing to highlight
    }
    else
        results = FindInVocabularies(query, g_generalVocabulary, g_technicalVocabulary, m_rule);
    const std::vector<std::string> suggestions = Suggest(results.general.empty() && results.technical.empty());
    if (!suggestions.empty() && m_format != OutputFormat::kJson && !m_bQuiet)
    {
        m_notes += "sorellan-find: nothing found; near it:";
        for (const std::string& suggestion : suggestions)
        {
            m_notes += &suggestion == &suggestions.front() ? " " : ", ";
            AppendVisible(m_notes, GbkToUtf8(suggestion));
        }
        m_notes += '\n';
    }
    m_out.clear();
    if (m_format == OutputFormat::kRaw)
    {
        m_out += results.general;
        m_out += '\0';
        m_out += results.technical;
        m_out += '\0';
    }
    else if (m_format == OutputFormat::kJson)
        AppendJson(query, results, suggestions);
    else
        AppendText(query, results);
    m_bAnyRun = true;
    // Flushed query by query, so that a caller feeding standard input sees each answer.
    const bool bWritten = std::fwrite(m_out.data(), 1, m_out.size(), stdout) == m_out.size() &&
                          std::fflush(stdout) == 0;
    // Notes on standard error after the answer they speak of.
    std::fwrite(m_notes.data(), 1, m_notes.size(), stderr);
    m_notes.clear();
    return bWritten;
}

void QueryRunner::AppendText(const std::string& query, const FindResults& results)
{
    if (m_bAnyRun)
        m_out += '\n';
    m_out += "Query: ";
    AppendVisible(m_out, GbkToUtf8(query));
    m_out += '\n';
    for (const auto& [heading, result] :
         {std::pair{"General", &results.general}, std::pair{"Technical", &results.technical}})
    {
        const std::vector<std::string_view> entries = SplitEntries(*result);
        m_out += heading;
        m_out += " (" + std::to_string(entries.size()) + "):\n";
        for (std::string_view entry : entries)
        {
            m_out += "  ";
            // The tag is the search's, not the entry's: it is never highlighted.
            for (const std::string_view tag : {kszExactTag, kszExpandedTag})
                if (entry.starts_with(tag))
                {
                    AppendVisible(m_out, GbkToUtf8(tag));
                    entry.remove_prefix(tag.size());
                }
            std::size_t done = 0;
            if (m_bColor)
                for (const auto& [begin, end] : MatchedRanges(entry, m_keywords, m_rule))
                {
                    AppendVisible(m_out, GbkToUtf8(entry.substr(done, begin - done)));
                    m_out += kMatchStart;
                    AppendVisible(m_out, GbkToUtf8(entry.substr(begin, end - begin)));
                    m_out += kMatchEnd;
                    done = end;
                }
            AppendVisible(m_out, GbkToUtf8(entry.substr(done)));
            m_out += '\n';
        }
    }
}

void QueryRunner::AppendJson(const std::string& query, const FindResults& results,
                             const std::vector<std::string>& suggestions)
{
    nlohmann::ordered_json exact = nlohmann::ordered_json::array();
    nlohmann::ordered_json expanded = nlohmann::ordered_json::array();
    nlohmann::ordered_json technical = nlohmann::ordered_json::array();
    for (std::string_view entry : SplitEntries(results.general))
    {
        const bool bExact = entry.starts_with(kszExactTag);
        const std::string_view tag = bExact ? kszExactTag : kszExpandedTag;
        if (entry.starts_with(tag))
            entry.remove_prefix(tag.size());
        (bExact ? exact : expanded).push_back(GbkToUtf8(entry));
    }
    for (const std::string_view entry : SplitEntries(results.technical))
        technical.push_back(GbkToUtf8(entry));
    nlohmann::ordered_json near = nlohmann::ordered_json::array();
    for (const std::string& suggestion : suggestions)
        near.push_back(GbkToUtf8(suggestion));
    const nlohmann::ordered_json object = {{"query", GbkToUtf8(query)},
                                   {"exact", std::move(exact)},
                                   {"expanded", std::move(expanded)},
                                   {"technical", std::move(technical)},
                                   {"suggestions", std::move(near)}};
    // GbkToUtf8 gives valid UTF-8 only; replacing is a guard, never expected to act.
    m_out += object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    m_out += '\n';
}

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Reference.h"
#include "TestSupport.h"
#include "search/ExactPatterns.h"
#include "search/Find.h"
#include "search/SearchTexts.h"
#include "search/SubstringFinder.h"
#include "search/VocabularySearch.h"
#include "vocabulary/VocabularyLoader.h"
#include "vocabulary/VocabularyTable.h"

void PrintTo(const FindResults& results, std::ostream* pOut)
{
    *pOut << testing::PrintToString(results.general) << " / " << testing::PrintToString(results.technical);
}

namespace
{
using Entries = std::vector<std::string>;
const std::string kExact = kszExactTag;
const std::string kExpanded = kszExpandedTag;

void Fill(VocabularyTable& table, const Entries& entries)
{
    for (const auto& entry : entries)
        ASSERT_TRUE(table.Add(entry));
}

FindResults Find(std::string query, const Entries& general, const Entries& technical = {},
                 const MatchRule& rule = {})
{
    VocabularyTable generalTable(static_cast<int>(general.size()) + 1);
    VocabularyTable technicalTable(static_cast<int>(technical.size()) + 1);
    Fill(generalTable, general);
    Fill(technicalTable, technical);
    return FindInVocabularies(query, generalTable, technicalTable, rule);
}

Entries Numbered(const std::string& prefix, int n, const std::string& suffix = "\n")
{
    Entries entries;
    for (int i = 0; i < n; ++i)
        entries.push_back(prefix + std::to_string(i) + suffix);
    return entries;
}
}  // namespace

TEST(IsExactMatch, TheQueryBetweenTheRightBytesOnly)
{
    struct Case { const char* query; std::string entry; bool bExact; MatchRule rule = {}; };
    const Case cases[] = {
        {"acid", "sulfuric|acid|\xC1\xF2\n", true},     // between two bars
        {"acid", "x acid\n", true},                      // blank ... line feed
        {"acid", "x acid,y\n", true},                    // blank ... comma
        {"acid", "x,acid\n", true},                      // comma ... line feed
        {"acid", "x,acid y\n", true},                    // comma ... blank
        {"acid", "x acid y\n", true},                    // blank ... blank
        {"acid", "x,acid,y\n", true},                    // comma ... comma
        {"acid", "acid|x\n", false},                     // at the very start
        {"acid", "x|acid\n", false},                     // after a single bar
        {"acid", "x acid|\n", false},                    // blank ... bar
        {"acid", "x|acid y\n", false},                   // bar ... blank
        {"acid", "x acid;\n", false},                    // before a semicolon
        {"acid", "x acid", false},                       // entry without line feed
        {"acid", "x acids\n", false},                    // inside a longer word
        {"acid", "x ACID\n", false},                     // case-sensitive
        {"acid", "x ACID\n", true, {true, false}},       // unless the rule ignores case
        {"acid", "\x81|acid|\n", false},                 // the first bar is a trail byte
        {"sulfuric acid", "x sulfuric acid\n", true},    // the whole text, blank included
        {"sulfuric acid", "sulfuric|x acid\n", false},
        {"acid,", "x|acid,|\n", true},                   // a trailing comma is part of it
        {"acid,", "x|acid|\n", false},
        {"", "x||y\n", true},                            // empty: any two bars in a row
        {"", "x ,y", true},
        {"", "xy\n", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsExactMatch(c.entry, c.query, c.rule), c.bExact) << "[" << c.query << "] in [" << c.entry << "]";
}

TEST(Search, ListsExactBeforeExpandedAndShowsBarCharactersAsBlanksInGeneralOnly)
{
    // "\x81|" is one double-byte character: its "|" stays. A 254-byte piece of a longer line
    // may end in a lead byte; the next piece is counted from its own first byte.
    const Entries general = {"acids|x\n", "|acid|\x81|\n", "acid\n", std::string(253, 'x') + "\xC1", "acid|\n",
                             "base, acid\n"};
    const Entries technical = {"acid|\xCB\xE1\n", "base\n", "acid"};
    const FindResults results = Find("  acid ", general, technical);
    EXPECT_EQ(results.general, kExact + " acid \x81|\n\r\n" + kExact + "base, acid\n\r\n" + kExpanded + "acids x\n\r\n" +
                                   kExpanded + "acid\n\r\n" + kExpanded + "acid \n\r\n");
    EXPECT_EQ(results.technical, "acid|\xCB\xE1\n\r\nacid\r\n");
}

TEST(Search, CapsAndWhatLiesBeyondThem)
{
    struct Case { const char* name; Entries general, technical; std::size_t nExact, nExpanded, nTechnical; };
    Entries exactThenExpanded = Numbered("x acid ", 250);
    const Entries tail = Numbered("acid-late ", 5);
    exactThenExpanded.insert(exactThenExpanded.end(), tail.begin(), tail.end());
    Entries expandedFirst = Numbered("acid-early ", 3);
    const Entries exact300 = Numbered("y acid ", 300);
    expandedFirst.insert(expandedFirst.end(), exact300.begin(), exact300.end());
    const Case cases[] = {
        // the scan ends with the 201st exact match: expanded ones after it are not seen
        {"exact cap", exactThenExpanded, {}, 201, 0, 0},
        {"expanded before the exact cap are kept", expandedFirst, {}, 201, 3, 0},
        {"expanded cap", Numbered("acid-", 80), {}, 0, 50, 0},
        {"technical cap", {}, Numbered("acid ", 500), 0, 0, 201},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const FindResults results = Find("acid", c.general, c.technical);
        auto count = [](const std::string& text, const std::string& what) {
            std::size_t n = 0;
            for (std::size_t pos = 0; (pos = text.find(what, pos)) != std::string::npos; pos += what.size())
                ++n;
            return n;
        };
        EXPECT_EQ(count(results.general, kExact), c.nExact);
        EXPECT_EQ(count(results.general, kExpanded), c.nExpanded);
        EXPECT_EQ(count(results.technical, "\r\n"), c.nTechnical);
        EXPECT_EQ(results, Reference::Find("acid", c.general, c.technical));
    }
}

TEST(Search, QueriesWithoutKeywordsMakeEveryEntryAHit)
{
    const Entries general = {"a||b\n", "plain\n", "c ,d\n", "e f\n"};
    const Entries technical = Numbered("t", 300);
    for (const char* query : {"", "   "})
    {
        const FindResults results = Find(query, general, technical);
        EXPECT_EQ(results.general, kExact + "a  b\n\r\n" + kExact + "c ,d\n\r\n" + kExpanded + "plain\n\r\n" +
                                       kExpanded + "e f\n\r\n");
        EXPECT_EQ(results.technical, Reference::Find("", {}, technical).technical);
        EXPECT_TRUE(results.technical.starts_with("t0\n\r\nt1\n\r\n"));
    }
    // Separators only: still every entry, but the query text is not empty.
    EXPECT_EQ(Find(",;", {"a|,;|\n", "b\n"}).general, kExact + "a ,; \n\r\n" + kExpanded + "b\n\r\n");
}

TEST(Search, ResultTextsStayWithinTheirArraysDroppingWholeEntries)
{
    // 201 technical hits of 254 bytes need more room than a result has.
    const Entries technical = Numbered(std::string(240, 'q') + "acid", 201, "");
    const FindResults results = Find("acid", {}, technical);
    EXPECT_LE(results.technical.size(), 51199u);
    EXPECT_TRUE(results.technical.ends_with("\r\n"));
    EXPECT_LT(std::count(results.technical.begin(), results.technical.end(), '\n'), 2 * 201);
    EXPECT_EQ(results, Reference::Find("acid", {}, technical));
}

TEST(Search, LongQueriesAndManyKeywordsAreSearchedWhole)
{
    std::string manyKeywords;  // 20000 bytes, 10000 keywords: the first six are tested
    for (int i = 0; i < 10000; ++i)
        manyKeywords += "k ";
    const std::string longWord(3000, 'w');
    const Entries general = {"x k\n", "k\n", "x " + std::string(250, 'w') + "\n"};
    for (const std::string& query : {manyKeywords, longWord, longWord + " k", std::string(498, 'k')})
        EXPECT_EQ(Find(query, general, general), Reference::Find(query, general, general)) << query.size();
    EXPECT_EQ(Find(manyKeywords, general).general, kExpanded + "x k\n\r\n" + kExpanded + "k\n\r\n");
    EXPECT_EQ(Find(longWord, general, general), FindResults{});
}

TEST(Search, MatchesThePlainReferenceOnRandomTablesAndQueries)
{
    std::mt19937 random(99);
    // Double-byte characters whose bytes straddle: 茶 B2E8 and 璨 E8B2, trail bytes that are
    // "a", "b" and "|", and a lone lead byte.
    const std::string pieces[] = {"a", "b", "ab", "B", "|", " ", ",", ";", "\xC1\xF2", "\xB2\xE8",
                                  "\xE8\xB2", "\x81" "a", "\xC1" "b", "\x81|", "\xE8"};
    auto text = [&](std::size_t nPieces) {
        std::string s;
        for (std::size_t i = 0; i < nPieces; ++i)
            s += pieces[random() % std::size(pieces)];
        return s;
    };
    for (int round = 0; round < 400; ++round)
    {
        Entries general, technical;
        const int nEntries = static_cast<int>(random() % 600);
        for (int i = 0; i < nEntries; ++i)
        {
            // Most end in a line feed, some do not (the last line, a cut piece, which may end
            // in a lead byte); some are long.
            std::string entry = text(random() % 8 == 0 ? 60 + random() % 60 : random() % 12);
            entry = entry.substr(0, random() % 3 ? 253 : 254);
            if (random() % 5)
                entry += "\n";
            (random() % 2 ? general : technical).push_back(entry.substr(0, 254));
        }
        std::string query = text(random() % 5);
        if (random() % 4 == 0)
            query = " " + query + "  ";
        // Most rounds as the window searches, the others with a command-line rule.
        const MatchRule rule = round % 4 ? MatchRule{} : MatchRule{round % 8 == 0, round % 12 == 0};
        SCOPED_TRACE(testing::Message() << "round " << round << " query [" << query << "]");
        ASSERT_EQ(Find(query, general, technical, rule), Reference::Find(query, general, technical, nullptr, rule));
    }
}

TEST(Search, SeesWhatALoaderPublishesAndNothingBeyond)
{
    // Every 997th line holds the keyword, so the cap of 201 is never reached.
    constexpr int kLines = 150000;
    std::string plain;
    Entries hits;
    for (int i = 0; i < kLines; ++i)
    {
        std::string line = (i % 997 == 0 ? "needle " : "hay ") + std::to_string(i) + "|x\n";
        if (i % 997 == 0)
            hits.push_back(line);
        plain += line;
    }
    TempDir dir;
    WriteFile(dir / "17.voca", Scramble(plain, kTechnicalKey));
    VocabularyTable table(kLines);
    int bFileOk = 1;
    VocabularyLoad load = TechnicalVocabularyLoad();
    const std::string vocabularyPath = dir / "17.voca", plainPath = dir / "plain.pyq";
    load.szVocabularyFile = vocabularyPath.c_str();
    load.szPlainFile = plainPath.c_str();
    load.pTable = &table;
    load.pbFileOk = &bFileOk;
    RecordingTarget target;
    std::thread loader([&] { LoadVocabulary(load, target); });

    KeywordTable keywords;
    SplitKeywords("needle", keywords);
    for (int nSearches = 0; nSearches < 10000; ++nSearches)
    {
        const auto nBefore = static_cast<std::size_t>(table.GetCount());
        const std::string result = SearchTechnicalVocabulary(keywords, table);
        const bool bDone = target.FindEnabled();
        // The result lists the hits of a prefix of the table at least as long as it was.
        std::string expected;
        std::size_t nListed = 0;
        for (; nListed < hits.size() && expected.size() < result.size(); ++nListed)
            expected += hits[nListed] + "\r\n";
        ASSERT_EQ(result, expected);
        ASSERT_GE(nListed, std::min<std::size_t>(hits.size(), (nBefore + 996) / 997));
        if (bDone)
            break;
    }
    loader.join();
    std::string all;
    for (const auto& hit : hits)
        all += hit + "\r\n";
    EXPECT_EQ(SearchTechnicalVocabulary(keywords, table), all);
}

TEST(SubstringFinder, EveryMethodFindsWhatStringFindFinds)
{
    std::mt19937 random(5);
    using Method = SubstringFinder::Method;
    for (Method method : {Method::kAvx2, Method::kSse2, Method::kPortable})
    {
        if (!SubstringFinder::Supported(method))
            continue;
        SCOPED_TRACE(static_cast<int>(method));
        for (int round = 0; round < 3000; ++round)
        {
            std::string haystack(random() % 200, 'a');
            for (auto& c : haystack)
                c = "ab\n|\xC1"[random() % 5];
            std::string needle(1 + random() % 40, 'a');
            for (auto& c : needle)
                c = "ab\n|\xC1"[random() % 5];
            if (random() % 3 == 0 && haystack.size() >= needle.size())
                haystack.replace(haystack.size() - needle.size(), needle.size(), needle);  // at the very end
            const std::size_t from = haystack.empty() ? 0 : random() % (haystack.size() + 2);
            ASSERT_EQ(SubstringFinder(needle, method).Find(haystack, from),
                      from > haystack.size() ? std::string::npos : haystack.find(needle, from))
                << "[" << needle << "] in [" << haystack << "] from " << from;
        }
    }
}

TEST(Search, HostileQueriesGiveWhatTheRulesSay)
{
    // GBK: 硫酸 sulfuric acid, 酸 acid.
    const Entries general = {"\xC1\xF2\xCB\xE1|sulfuric acid\n", "acid|\xCB\xE1\n", "\x80\xFF|odd bytes\n",
                             "a b c d e f\n", "x ,;, y\n"};
    const Entries technical = {"\xCB\xE1\xC1\xF2|acid sulfuric\n", "\x80\xFF\n", "a b c d e f"};
    std::string bigKeywordQuery, manyKeywords = "a b c d e f";
    while (bigKeywordQuery.size() < 100000)
        bigKeywordQuery += "acid ";
    for (int i = 0; i < 10000; ++i)  // beyond the sixth, none is tested
        manyKeywords += " absent" + std::to_string(i);
    struct Case { const char* name; std::string query; std::string general, technical; };
    const Case cases[] = {
        {"one keyword of 100,000 bytes", std::string(100000, 'a'), "", ""},
        {"100,000 bytes of one keyword repeated", bigKeywordQuery,
         kExpanded + "\xC1\xF2\xCB\xE1 sulfuric acid\n\r\n" + kExpanded + "acid \xCB\xE1\n\r\n",
         "\xCB\xE1\xC1\xF2|acid sulfuric\n\r\n"},
        {"10,000 keywords", manyKeywords, kExpanded + "a b c d e f\n\r\n", "a b c d e f\r\n"},
        {"only separators", " ,;,; ",
         kExpanded + "\xC1\xF2\xCB\xE1 sulfuric acid\n\r\n" + kExpanded + "acid \xCB\xE1\n\r\n" + kExpanded +
             "\x80\xFF odd bytes\n\r\n" + kExpanded + "a b c d e f\n\r\n" + kExpanded + "x ,;, y\n\r\n",
         "\xCB\xE1\xC1\xF2|acid sulfuric\n\r\n\x80\xFF\n\r\na b c d e f\r\n"},
        {"separators of the exact patterns only", ",;,", kExact + "x ,;, y\n\r\n" +
             kExpanded + "\xC1\xF2\xCB\xE1 sulfuric acid\n\r\n" + kExpanded + "acid \xCB\xE1\n\r\n" + kExpanded +
             "\x80\xFF odd bytes\n\r\n" + kExpanded + "a b c d e f\n\r\n",
         "\xCB\xE1\xC1\xF2|acid sulfuric\n\r\n\x80\xFF\n\r\na b c d e f\r\n"},
        {"a lone lead byte at the end", "sulfuric \xC1",
         kExpanded + "\xC1\xF2\xCB\xE1 sulfuric acid\n\r\n", "\xCB\xE1\xC1\xF2|acid sulfuric\n\r\n"},
        {"bytes 0x80 and 0xFF", "\x80\xFF", kExpanded + "\x80\xFF odd bytes\n\r\n", "\x80\xFF\n\r\n"},
        {"0xFF alone", "\xFF", kExpanded + "\x80\xFF odd bytes\n\r\n", "\x80\xFF\n\r\n"},
        {"invalid GBK: a lead byte before a blank", "\xCB odd", "", ""},
        {"a NUL, which no entry holds", std::string("acid\0", 5), "", ""},
        {"CR LF, which no entry holds", "\r\n", "", ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const FindResults results = Find(c.query, general, technical);
        EXPECT_EQ(results, Reference::Find(c.query, general, technical));
        EXPECT_EQ(results, (FindResults{c.general, c.technical}));
    }
}

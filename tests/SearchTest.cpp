// The search through FindInVocabularies, row by row and against the plain reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <random>
#include <thread>

#include "Reference.h"
#include "TestSupport.h"
#include "search/SearchTexts.h"
#include "search/SubstringFinder.h"

void PrintTo(const FindResults& results, std::ostream* pOut)
{
    *pOut << testing::PrintToString(results.general) << " / " << testing::PrintToString(results.technical);
}

namespace
{
using Entries = std::vector<std::string>;
const std::string kExact = kszExactTag;
constexpr MatchRule kAnyCase{true, false}, kWords{false, true};

// The search on tables of these entries, checked against the plain reference.
FindResults Find(std::string query, const Entries& general, const Entries& technical = {}, const MatchRule& rule = {})
{
    VocabularyTable generalTable(1000), technicalTable(1000);
    for (const auto& entry : general) EXPECT_TRUE(generalTable.Add(entry));
    for (const auto& entry : technical) EXPECT_TRUE(technicalTable.Add(entry));
    const FindResults reference = Reference::Find(query, general, technical, rule);
    EXPECT_EQ(FindInVocabularies(query, generalTable, technicalTable, rule), reference);
    return reference;
}

// Runs of numbered lines: each prefix followed by 0, 1, ... n - 1.
Entries Numbered(const std::vector<std::pair<std::string, int>>& runs)
{
    Entries entries;
    for (const auto& [prefix, n] : runs)
        for (int i = 0; i < n; ++i) entries.push_back(prefix + std::to_string(i) + "\n");
    return entries;
}
}  // namespace

TEST(Search, OneEntryRowsListItAsTheRulesSay)
{
    // The entry stands alone in both tables. The general result lists it exact ('x'),
    // expanded ('e') or not at all ('-'); the technical one lists it unless '-'.
    struct Row { std::string query, entry; char cListed; MatchRule rule = {}; };
    std::string manyKeywords = "a b c d e f", repeated;  // beyond the sixth keyword, none is tested
    for (int i = 0; i < 10000; ++i) manyKeywords += " absent" + std::to_string(i);
    while (repeated.size() < 100000) repeated += "acid ";
    const Row rows[] = {
        // Keywords: each of the first six, anywhere, beginning on a character.
        {"acid", "sulfuric acid|\xC1\xF2\xCB\xE1\n", 'e'},
        {"a b c d e zzz", "abcdef\n", '-'},
        {manyKeywords, "a b c d e f\n", 'e'},
        {repeated, "acid|x\n", 'e'},
        {std::string(100000, 'a'), "aaaa\n", '-'},
        {std::string("acid\0", 5), "acid\n", '-'},
        {"acid\r\n", "acid\n", '-'},
        // Keywords split at blanks, commas and semicolons only.
        {"a, b;;c ,; d", "d c b a\n", 'e'},
        {"a\tb", "a b\n", '-'},
        // GBK characters counted from the entry's first byte (more in the random rounds).
        {"B", "\xFF" "B\n", 'e'},
        {"\x7F", "\xC1\x7F\n", 'e'},  // 0x7F is no trail byte
        // The command line's rules.
        {"zinc acid", "x ZINC ACID\n", 'x', kAnyCase},
        {"A", "\xC1\x61\n", '-', kAnyCase},
        {"\xC1\x61", "\xC1\x41\n", '-', kAnyCase},
        {"acid", "acids\n", '-', kWords},
        {"acid", "xacid\n", '-', kWords},
        {"acid", "acid", 'e', kWords},
        {"acid", "x|acid|y\n", 'x', kWords},
        {"acid", "\xCB\xE1" "acid\xCB\xE1\n", 'e', kWords},
        {"cid", "\x81\x61" "cid\n", 'e', kWords},
        {"-acid", "x-acid\n", 'e', kWords},
        {"9", "x 90\n", '-', kWords},
        // Exact: the trimmed query between "|" "|", blank or comma before, and blank, comma
        // or LF after.
        {"  acid ", "sulfuric|acid|\xC1\xF2\n", 'x'},
        {"acid", "x acid,y\n", 'x'},
        {"\tacid", "x acid\n", '-'},  // only blanks are trimmed
        {"   ", "x ,y", 'x'},
        {",;,", "x ,;, y\n", 'x'},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(testing::Message() << "[" << row.query.substr(0, 40) << "] in [" << row.entry << "]");
        const FindResults results = Find(row.query, {row.entry}, {row.entry}, row.rule);
        EXPECT_EQ(results.general.empty() ? '-' : results.general.starts_with(kExact) ? 'x' : 'e', row.cListed);
        EXPECT_EQ(results.technical, row.cListed == '-' ? "" : row.entry + "\r\n");
    }
}

TEST(Search, CapsAndSizeLimitAndWhatLiesBeyondThem)
{
    // 199 lines of 256 bytes and one of 255 fill a result's 51,199 bytes exactly: technical
    // entries of 254 and 253 bytes with CR LF, general ones of 249 and 248 with "<精> " too.
    // One byte more drops the 200th, and the short entry after it may not take its place.
    auto padded = [](std::size_t nBytes) { return std::string(nBytes - 6, 'q') + " acid\n"; };
    auto filling = [&](std::size_t n, std::size_t nOver) {
        Entries entries(199, padded(n));
        entries.insert(entries.end(), {padded(n - 1 + nOver), "acid\n"});
        return entries;
    };
    // General and technical lines, and bytes in all.
    struct Case { std::string query; Entries general, technical; std::array<std::ptrdiff_t, 3> counts; };
    const Case cases[] = {
        // The scan ends with the 201st exact match: expanded ones after it are not seen.
        {"acid", Numbered({{"x acid ", 250}, {"acid-late ", 5}}), {}, {201, 0, 3508}},
        {"acid", Numbered({{"acid-early ", 3}, {"y acid ", 300}}), {}, {204, 0, 3568}},
        // Once 50 are expanded, the scan goes on for exact ones only.
        {"acid", Numbered({{"acid-", 80}, {"x acid ", 7}, {"x|acid|", 3}}), {}, {60, 0, 900}},
        {"acid", {}, Numbered({{"acid ", 500}}), {0, 201, 2101}},  // the technical cap, with a keyword or none
        {"", {}, Numbered({{"t", 300}}), {0, 201, 1297}},
        // The size limit in either result.
        {"acid", filling(249, 0), {}, {200, 0, 51199}},
        {"acid", filling(249, 1), {}, {199, 0, 50944}},
        {"acid", {}, filling(254, 0), {0, 200, 51199}},
        {"acid", {}, filling(254, 1), {0, 199, 50944}},
    };
    for (const auto& c : cases)
    {
        const FindResults r = Find(c.query, c.general, c.technical);
        EXPECT_EQ((std::array{std::ranges::count(r.general, '\r'), std::ranges::count(r.technical, '\r'),
                              std::ssize(r.general) + std::ssize(r.technical)}), c.counts) << &c - cases;
    }
}

TEST(Search, MatchesThePlainReferenceOnRandomTablesAndQueries)
{
    std::mt19937 random(99);
    // Straddling characters 茶 B2E8 and 璨 E8B2, trail bytes "a", "b" and "|", a lone lead byte,
    // 0x80 and 0x7F, which are never part of a character.
    const std::string pieces[] = {"a", "b", "ab", "B", "|", " ", ",", ";", "\xC1\xF2", "\xB2\xE8",
                                  "\xE8\xB2", "\x81" "a", "\xC1" "b", "\x81|", "\xE8", "Z", "\x80", "\xC1\x7F"};
    auto text = [&](std::size_t n) { std::string s; while (n-- > 0) s += pieces[random() % std::size(pieces)]; return s; };
    for (int round = 0; round < 400; ++round)
    {
        Entries general, technical;
        // Most end in LF; some not (a last line, or a cut piece that may end in a lead byte); some are long.
        for (int i = static_cast<int>(random() % 600); i > 0; --i)
        {
            std::string entry = text(random() % 8 == 0 ? 60 + random() % 60 : random() % 12);
            entry = entry.substr(0, random() % 3 ? 253 : 254) + (random() % 5 ? "\n" : "");
            (random() % 2 ? general : technical).push_back(entry.substr(0, 254));
        }
        const std::string query = random() % 4 ? text(random() % 5) : " " + text(random() % 5) + "  ";
        // Most rounds as the window searches, the others with a command-line rule.
        const MatchRule rule = round % 4 ? MatchRule{} : MatchRule{round % 8 == 0, round % 12 == 0};
        SCOPED_TRACE(testing::Message() << "round " << round << " query [" << query << "]");
        Find(query, general, technical, rule);
        // Every way of finding bytes agrees with std::string::find, also at the very end.
        const std::string needle = text(1 + random() % 16);
        const std::string haystack = std::accumulate(general.begin(), general.end(), std::string()) + needle;
        using Method = SubstringFinder::Method;
        for (const Method method : {Method::kAvx2, Method::kSse2, Method::kPortable})
            for (const std::size_t from : {std::size_t{0}, random() % (haystack.size() + 2)})
                EXPECT_TRUE(!SubstringFinder::Supported(method) ||
                            SubstringFinder(needle, method).Find(haystack, from) == haystack.find(needle, from))
                    << static_cast<int>(method) << " [" << needle << "] from " << from;
        ASSERT_FALSE(HasFailure());
    }
}

TEST(Search, SeesWhatALoaderPublishesAndNothingBeyond)
{
    // Every 997th line holds the keyword, so the cap of 201 is never reached.
    constexpr int kLines = 150000;
    std::string plain;
    for (int i = 0; i < kLines; ++i) plain += (i % 997 ? "hay " : "needle ") + std::to_string(i) + "|x\n";
    TempDir dir;
    TestLoad load(dir, true, kLines);
    load.WriteVocabulary(plain);
    const std::jthread loader([&] { load.Run(); });  // joined however the test ends
    std::string query = "needle";
    for (bool bDone = false; !bDone;)
    {
        const int nBefore = load.table.GetCount();
        bDone = std::ranges::count(load.target.Events(), kFindEvent) > 0;
        const std::string result = FindInVocabularies(query, VocabularyTable(1), load.table).technical;
        // Whole entries, the hits of a prefix of the table at least as long as it was (all once done).
        std::string expected;
        for (int i = 0; i < kLines && (expected.size() < result.size() || i < nBefore || bDone); i += 997)
            expected += "needle " + std::to_string(i) + "|x\n\r\n";
        ASSERT_EQ(result, expected);
    }
}

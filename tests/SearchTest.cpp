// The search through FindInVocabularies, row by row and against the plain reference.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Reference.h"
#include "TestSupport.h"
#include "search/Find.h"
#include "search/SearchTexts.h"
#include "search/SubstringFinder.h"
#include "search/VocabularySearch.h"

void PrintTo(const FindResults& results, std::ostream* pOut)
{
    *pOut << testing::PrintToString(results.general) << " / " << testing::PrintToString(results.technical);
}

namespace
{
using Entries = std::vector<std::string>;
const std::string kExact = kszExactTag, kExpanded = kszExpandedTag;
constexpr MatchRule kAnyCase{true, false}, kWords{false, true};

FindResults Find(std::string query, const Entries& general, const Entries& technical = {}, const MatchRule& rule = {})
{
    VocabularyTable generalTable(static_cast<int>(general.size()) + 1);
    VocabularyTable technicalTable(static_cast<int>(technical.size()) + 1);
    for (const auto& entry : general)
        EXPECT_TRUE(generalTable.Add(entry));
    for (const auto& entry : technical)
        EXPECT_TRUE(technicalTable.Add(entry));
    return FindInVocabularies(query, generalTable, technicalTable, rule);
}

Entries Numbered(const std::string& prefix, int n, const std::string& suffix = "\n")
{
    Entries entries;
    for (int i = 0; i < n; ++i)
        entries.push_back(prefix + std::to_string(i) + suffix);
    return entries;
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t pos = 0; (pos = text.find(what, pos)) != std::string::npos; pos += what.size())
        ++n;
    return n;
}

Entries operator+(Entries a, const Entries& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
}  // namespace

TEST(Search, OneEntryRowsListItAsTheRulesSay)
{
    // The entry stands alone in both tables. The general result lists it exact ('x'),
    // expanded ('e') or not at all ('-'); the technical one lists it unless '-'.
    struct Row { std::string query, entry; char cListed; MatchRule rule = {}; };
    std::string manyKeywords = "a b c d e f", repeated;  // beyond the sixth keyword, none is tested
    for (int i = 0; i < 10000; ++i)
        manyKeywords += " absent" + std::to_string(i);
    while (repeated.size() < 100000)
        repeated += "acid ";
    const Row rows[] = {
        // Keywords: each of the first six, anywhere, in any order, beginning on a character.
        {"acid", "sulfuric acid|\xC1\xF2\xCB\xE1\n", 'e'},
        {"Acid", "sulfuric acid\n", '-'},
        {"acid sulf", "sulfuric acid\n", 'e'},
        {"acid base", "sulfuric acid\n", '-'},
        {"ic|\xC1\xF2", "sulfuric|\xC1\xF2\n", 'e'},
        {"a b c d e f zzz", "abcdef\n", 'e'},
        {"a b c d e zzz", "abcdef\n", '-'},
        {manyKeywords, "a b c d e f\n", 'e'},
        {repeated, "acid|x\n", 'e'},
        {std::string(100000, 'a'), "aaaa\n", '-'},
        {std::string("acid\0", 5), "acid\n", '-'},
        {"acid\r\n", "acid\n", '-'},
        // Keywords split at blanks, commas and semicolons only.
        {"a, b;;c ,; d", "d c b a\n", 'e'},
        {"a\tb", "a b\n", '-'},
        {"\xC1\xF2\xA3\xAC\xCB\xE1", "\xC1\xF2\xCB\xE1\n", '-'},  // full-width comma
        {"\xC1\xF2\xA3\xBB\xCB\xE1", "\xC1\xF2\xCB\xE1\n", '-'},  // full-width semicolon
        {"\xC1\xF2\xA1\xA2\xCB\xE1", "\xC1\xF2\xCB\xE1\n", '-'},  // ideographic comma
        // GBK characters counted from the entry's first byte: 茶 B2E8 is not in 璨璨 E8B2 E8B2,
        // an ASCII byte or "|" as a trail byte is no character; a lone lead byte, 0x80 and
        // 0xFF are characters of their own.
        {"\xB2\xE8", "\xE8\xB2\xE8\xB2\n", '-'},
        {"\xB2\xE8", "\xE8\xB2\xE8\xB2|\xB2\xE8\n", 'e'},
        {"A", "\xC1\x41\n", '-'},
        {"|", "\x81\x7C\n", '-'},
        {"A|", "x\xC1" "A|A|\n", 'e'},
        {"A", "\xC1\xC1" "A\n", 'e'},
        {"sulfuric \xC1", "\xC1\xF2\xCB\xE1|sulfuric acid\n", 'e'},
        {"A", "\x80" "A\n", 'e'},
        {"B", "\xFF" "B\n", 'e'},
        {"\x7F", "\xC1\x7F\n", 'e'},
        // The command line's rules.
        {"zinc acid", "x ZINC ACID\n", 'x', kAnyCase},
        {"A", "\xC1\x61\n", '-', kAnyCase},
        {"\xC1\x61", "\xC1\x41\n", '-', kAnyCase},
        {"acid", "acids acid\n", 'x', kWords},
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
        {"acid", "x acid\n", 'x'},
        {"acid", "x acid,y\n", 'x'},
        {"acid", "x,acid\n", 'x'},
        {"acid", "x,acid y\n", 'x'},
        {"acid", "x acid y\n", 'x'},
        {"acid", "x,acid,y\n", 'x'},
        {"acid", "acid|x\n", 'e'},
        {"acid", "x|acid\n", 'e'},
        {"acid", "x acid|\n", 'e'},
        {"acid", "x|acid y\n", 'e'},
        {"acid", "x acid;\n", 'e'},
        {"acid", "x acid", 'e'},
        {"acid", "x acids\n", 'e'},
        {"acid", "\x81|acid|\n", 'e'},
        {"\tacid", "x acid\n", '-'},  // only blanks are trimmed
        {"\xA1\xA1" "acid", "x acid\n", '-'},
        {"sulfuric acid", "x sulfuric acid\n", 'x'},
        {"sulfuric acid", "sulfuric|x acid\n", 'e'},
        {"acid,", "x|acid,|\n", 'x'},
        {"acid,", "x|acid|\n", 'e'},
        {"", "x||y\n", 'x'},
        {"   ", "x ,y", 'x'},
        {"", "xy\n", 'e'},
        {" ,;,; ", "x\n", 'e'},
        {",;,", "x ,;, y\n", 'x'},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(testing::Message() << "[" << row.query.substr(0, 40) << "] in [" << row.entry << "] rule "
                                        << row.rule.bIgnoreCase << row.rule.bWholeWord);
        const FindResults results = Find(row.query, {row.entry}, {row.entry}, row.rule);
        EXPECT_EQ(results, Reference::Find(row.query, {row.entry}, {row.entry}, row.rule));
        const std::string tag = row.cListed == 'x' ? kExact : row.cListed == 'e' ? kExpanded : "-";
        EXPECT_EQ(results.general.substr(0, tag.size()), row.cListed == '-' ? "" : tag);
        EXPECT_EQ(results.technical, row.cListed == '-' ? "" : row.entry + "\r\n");
    }
    std::string query = "  a b ";
    const VocabularyTable none(1);
    FindInVocabularies(query, none, none);
    EXPECT_EQ(query, "a b");  // trimmed in place, for the window to show
}

TEST(Search, ListsExactBeforeExpandedAndShowsBarCharactersAsBlanksInGeneralOnly)
{
    // "\x81|" is one double-byte character: its "|" stays. A 254-byte piece of a longer line
    // may end in a lead byte; the next piece is counted from its own first byte.
    const Entries general = {"acids|x\n", "|acid|\x81|\n", "acid\n", std::string(253, 'x') + "\xC1", "acid|\n",
                             "base, acid\n"};
    const FindResults results = Find("acid", general, {"acid|\xCB\xE1\n", "base\n", "acid"});
    EXPECT_EQ(results.general, kExact + " acid \x81|\n\r\n" + kExact + "base, acid\n\r\n" + kExpanded + "acids x\n\r\n" +
                                   kExpanded + "acid\n\r\n" + kExpanded + "acid \n\r\n");
    EXPECT_EQ(results.technical, "acid|\xCB\xE1\n\r\nacid\r\n");
}

TEST(Search, CapsAndSizeLimitAndWhatLiesBeyondThem)
{
    // 199 lines of 256 bytes and one of 255 fill a result's 51,199 bytes exactly: technical
    // entries of 254 and 253 bytes with CR LF, general ones of 249 and 248 with "<精> " too.
    // One byte more drops the 200th, and the short entry after it may not take its place.
    auto padded = [](std::size_t nBytes) { return std::string(nBytes - 6, 'q') + " acid\n"; };
    auto filling = [&](std::size_t nBytes, std::size_t nOver) {
        return Entries(199, padded(nBytes)) + Entries{padded(nBytes - 1 + nOver), "acid\n"};
    };
    struct Case { const char* name; std::string query; Entries general, technical; std::size_t nExact, nExpanded, nTechnical, nBytes = 0; };
    const Case cases[] = {
        // The scan ends with the 201st exact match: expanded ones after it are not seen.
        {"exact cap", "acid", Numbered("x acid ", 250) + Numbered("acid-late ", 5), {}, 201, 0, 0},
        {"expanded before the exact cap", "acid", Numbered("acid-early ", 3) + Numbered("y acid ", 300), {}, 201, 3, 0},
        // Once 50 are expanded, the scan goes on for exact ones only.
        {"expanded cap", "acid", Numbered("acid-", 80) + Numbered("x acid ", 7) + Numbered("x|acid|", 3), {}, 10, 50, 0},
        {"technical cap", "acid", {}, Numbered("acid ", 500), 0, 0, 201},
        {"technical cap, no keyword", "", {}, Numbered("t", 300), 0, 0, 201},
        {"general text full", "acid", filling(249, 0), {}, 200, 0, 0, 51199},
        {"general text a byte over", "acid", filling(249, 1), {}, 199, 0, 0, 199 * 256},
        {"technical text full", "acid", {}, filling(254, 0), 0, 0, 200, 51199},
        {"technical text a byte over", "acid", {}, filling(254, 1), 0, 0, 199, 199 * 256},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const FindResults results = Find(c.query, c.general, c.technical);
        EXPECT_EQ(Count(results.general, kExact), c.nExact);
        EXPECT_EQ(Count(results.general, kExpanded), c.nExpanded);
        EXPECT_EQ(Count(results.technical, "\r\n"), c.nTechnical);
        EXPECT_TRUE(!c.nBytes || results.general.size() + results.technical.size() == c.nBytes)
            << results.general.size() + results.technical.size();
        EXPECT_EQ(results, Reference::Find(c.query, c.general, c.technical));
    }
}

TEST(Search, MatchesThePlainReferenceOnRandomTablesAndQueries)
{
    std::mt19937 random(99);
    // Straddling characters 茶 B2E8 and 璨 E8B2, trail bytes "a", "b" and "|", a lone lead byte,
    // 0x80 and 0x7F, which are never part of a character.
    const std::string pieces[] = {"a", "b", "ab", "B", "|", " ", ",", ";", "\xC1\xF2", "\xB2\xE8",
                                  "\xE8\xB2", "\x81" "a", "\xC1" "b", "\x81|", "\xE8", "Z", "\x80", "\xC1\x7F"};
    auto text = [&](std::size_t nPieces) {
        std::string s;
        while (nPieces-- > 0)
            s += pieces[random() % std::size(pieces)];
        return s;
    };
    for (int round = 0; round < 400; ++round)
    {
        Entries general, technical;
        for (int i = static_cast<int>(random() % 600); i > 0; --i)
        {
            // Most end in LF; some not (a last line, or a cut piece that may end in a lead
            // byte); some are long.
            std::string entry = text(random() % 8 == 0 ? 60 + random() % 60 : random() % 12);
            entry = entry.substr(0, random() % 3 ? 253 : 254) + (random() % 5 ? "\n" : "");
            (random() % 2 ? general : technical).push_back(entry.substr(0, 254));
        }
        const std::string query = random() % 4 ? text(random() % 5) : " " + text(random() % 5) + "  ";
        // Most rounds as the window searches, the others with a command-line rule.
        const MatchRule rule = round % 4 ? MatchRule{} : MatchRule{round % 8 == 0, round % 12 == 0};
        SCOPED_TRACE(testing::Message() << "round " << round << " query [" << query << "]");
        ASSERT_EQ(Find(query, general, technical, rule), Reference::Find(query, general, technical, rule));
        // Every way of finding bytes agrees with std::string::find, also at the very end.
        const std::string needle = text(1 + random() % 16);
        std::string haystack;
        for (const auto& entry : general)
            haystack += entry;
        haystack += needle;
        using Method = SubstringFinder::Method;
        for (const Method method : {Method::kAvx2, Method::kSse2, Method::kPortable})
            for (const std::size_t from : {std::size_t{0}, random() % (haystack.size() + 2)})
                ASSERT_TRUE(!SubstringFinder::Supported(method) ||
                            SubstringFinder(needle, method).Find(haystack, from) ==
                                (from > haystack.size() ? std::string::npos : haystack.find(needle, from)))
                    << static_cast<int>(method) << " [" << needle << "] from " << from;
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
        plain += (i % 997 ? "hay " : "needle ") + std::to_string(i) + "|x\n";
        if (i % 997 == 0)
            hits.push_back(plain.substr(plain.rfind('\n', plain.size() - 2) + 1));
    }
    TempDir dir;
    TestLoad load(dir, true, kLines);
    load.WriteVocabulary(plain);
    const std::jthread loader([&] { load.Run(); });  // joined however the test ends
    KeywordTable keywords;
    SplitKeywords("needle", keywords);
    for (bool bDone = false; !bDone;)
    {
        const auto nBefore = static_cast<std::size_t>(load.table.GetCount());
        bDone = load.target.FindEnabled();
        const std::string result = SearchTechnicalVocabulary(keywords, load.table);
        // The hits of a prefix of the table at least as long as it was, whole entries only.
        std::string expected;
        std::size_t nListed = 0;
        for (; nListed < hits.size() && expected.size() < result.size(); ++nListed)
            expected += hits[nListed] + "\r\n";
        ASSERT_EQ(result, expected);
        ASSERT_GE(nListed, std::min<std::size_t>(hits.size(), (nBefore + 996) / 997));
        ASSERT_TRUE(!bDone || nListed == hits.size());
    }
}

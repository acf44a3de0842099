#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/KeywordQuery.h"

namespace
{
std::vector<std::string> Split(const std::string& query)
{
    KeywordTable table;
    SplitKeywords(query, table);
    std::vector<std::string> keywords;
    for (const auto& slot : table.slots)
        if (!slot.empty())
            keywords.push_back(slot);
    return keywords;
}
}  // namespace

TEST(TrimQuery, RemovesBlanksOnlyAtBothEnds)
{
    struct Case { std::string query, trimmed; };
    const Case cases[] = {
        {"  acid  ", "acid"},
        {"sulfuric acid", "sulfuric acid"},
        {"   ", ""},
        {"", ""},
        {",acid;", ",acid;"},             // commas and semicolons stay
        {"\tacid\t", "\tacid\t"},         // so do tabs
        {"\xA1\xA1" "acid", "\xA1\xA1" "acid"},  // and the ideographic space
        {" a b ", "a b"},
    };
    for (const auto& c : cases)
    {
        std::string query = c.query;
        TrimQuery(query);
        EXPECT_EQ(query, c.trimmed) << "[" << c.query << "]";
    }
}

TEST(SplitKeywords, CutsAtBlanksCommasAndSemicolonsOnly)
{
    struct Case { std::string query; std::vector<std::string> keywords; };
    const Case cases[] = {
        {"sulfuric acid", {"sulfuric", "acid"}},
        {"a, b;;c ,; d", {"a", "b", "c", "d"}},
        {",a;", {"a"}},
        {" ,;; , ", {}},
        {"", {}},
        {"a\tb", {"a\tb"}},
        {"\xC1\xF2\xA3\xAC\xCB\xE1", {"\xC1\xF2\xA3\xAC\xCB\xE1"}},  // full-width comma joins
        {"\xC1\xF2\xA3\xBB\xCB\xE1", {"\xC1\xF2\xA3\xBB\xCB\xE1"}},  // full-width semicolon joins
        {"\xC1\xF2\xA1\xA2\xCB\xE1", {"\xC1\xF2\xA1\xA2\xCB\xE1"}},  // ideographic comma joins
    };
    for (const auto& c : cases)
        EXPECT_EQ(Split(c.query), c.keywords) << "[" << c.query << "]";
}

TEST(SplitKeywords, KeepsTheFirstHundredKeywordsOfAnyQuery)
{
    std::string query;
    for (int i = 0; i < 10000; ++i)
        query += "k" + std::to_string(i) + (i % 2 ? ", " : ";");
    KeywordTable table;
    SplitKeywords(query, table);
    EXPECT_EQ(table.slots[0], "k0");
    EXPECT_EQ(table.slots[99], "k99");
}

TEST(MatchesKeywords, NeedsEachOfTheFirstSixKeywordsBeginningOnACharacter)
{
    constexpr MatchRule kBytes, kAnyCase{true, false}, kWords{false, true};
    struct Case { std::string query, entry; bool bMatch; MatchRule rule = {}; };
    const Case cases[] = {
        {"acid", "sulfuric acid|\xC1\xF2\xCB\xE1\n", true},
        {"Acid", "sulfuric acid\n", false},  // case-sensitive
        {"acid sulf", "sulfuric acid\n", true},  // any order, inside words
        {"acid base", "sulfuric acid\n", false},
        {"ic|\xC1\xF2", "sulfuric|\xC1\xF2\n", true},  // across a field separator
        {"", "anything\n", true},
        {" ,; ", "anything\n", true},
        {"a b c d e f", "abcdef\n", true},
        {"a b c d e f zzz", "abcdef\n", true},  // the seventh keyword is not tested
        {"a b c d e zzz", "abcdef\n", false},
        // Straddling bytes: 茶 B2E8 across 璨璨 E8B2 E8B2, ASCII letters and "|" as trail bytes.
        {"\xB2\xE8", "\xE8\xB2\xE8\xB2\n", false},
        {"\xB2\xE8", "\xE8\xB2\xE8\xB2|\xB2\xE8\n", true},  // a later occurrence counts
        {"A", "\xC1\x41\n", false},
        {"|", "\x81\x7C\n", false},
        {"A|", "x\xC1" "A|A|\n", true},  // "A" a trail byte, then "A|" on its own
        {"A", "\xC1\xC1" "A\n", true},  // after a whole character: 0xC1 0xC1, then "A"
        // Rules for the command line.
        {"acid", "Sulfuric ACID\n", true, kAnyCase},
        {"A", "\xC1\x61\n", false, kAnyCase},  // a trail byte stays one whatever its case
        {"\xC1\x61", "\xC1\x41\n", false, kAnyCase},  // so does a whole character
        {"acid", "acids acid\n", true, kWords},
        {"acid", "acids\n", false, kWords},
        {"acid", "xacid\n", false, kWords},
        {"acid", "acid", true, kWords},  // at the entry's start and end
        {"acid", "x|acid|y\n", true, kWords},
        {"acid", "\xCB\xE1" "acid\xCB\xE1\n", true, kWords},  // next to GBK characters
        {"cid", "\x81\x61" "cid\n", true, kWords},  // "a" there is a trail byte
        {"-acid", "x-acid\n", true, kWords},  // begins with a sign: no test before it
        {"\xCB\xE1", "\xC1\xF2\xCB\xE1\n", true, kWords},
    };
    for (const auto& c : cases)
    {
        KeywordTable table;
        SplitKeywords(c.query, table);
        EXPECT_EQ(MatchesKeywords(table, c.entry, c.rule), c.bMatch)
            << "[" << c.query << "] in [" << c.entry << "] case " << c.rule.bIgnoreCase << " words "
            << c.rule.bWholeWord;
    }
    EXPECT_EQ(FindKeyword("acid acid", "acid", 1, kBytes), 5u);
}

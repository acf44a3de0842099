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

TEST(MatchesKeywords, NeedsEachOfTheFirstSixKeywordsAnywhere)
{
    struct Case { std::string query, entry; bool bMatch; };
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
    };
    for (const auto& c : cases)
    {
        KeywordTable table;
        SplitKeywords(c.query, table);
        EXPECT_EQ(MatchesKeywords(table, c.entry), c.bMatch) << "[" << c.query << "] in [" << c.entry << "]";
    }
}

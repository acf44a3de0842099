// The vocabulary files committed under data/ load through the real loaders within their
// tables and answer known lookups as their line forms promise. The data build's own tests
// check every line; these check that the committed files are the ones that pass them.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "search/Find.h"
#include "search/SearchTexts.h"
#include "vocabulary/StatusTexts.h"

using Strings = std::vector<std::string>;

TEST(BundledVocabulary, LoadsThroughTheRealLoadersAndAnswersKnownLookups)
{
    // Each bundled file copied into a scratch directory and loaded into a table of the
    // program's own capacity.
    TempDir dir;
    TestLoad general(dir, false, kGeneralCapacity), technical(dir, true, kTechnicalCapacity);
    WriteFile(general.vocabularyPath, ReadFile(LEXIVANT2_DATA_DIR "/0.voca"));
    WriteFile(technical.vocabularyPath, ReadFile(LEXIVANT2_DATA_DIR "/17.voca"));
    EXPECT_EQ(general.Run(), Strings{kFindEvent});
    EXPECT_EQ(technical.Run(), (Strings{kszLoading, kszLoaded, kFindEvent}));
    for (const TestLoad* p : {&general, &technical}) EXPECT_TRUE(p->bFileOk == 1 && !FileExists(p->plainPath));
    // Far fewer: a damaged or wrong file.
    EXPECT_TRUE(general.table.GetCount() >= 100000 && technical.table.GetCount() >= 8500);

    // The starts of lines that must be listed: general lines begin "|headword|", so a listed
    // one begins with its tag, a blank, the headword and a blank; technical lines begin with
    // the headword and a blank.
    const std::string x = kszExactTag + std::string(" "), e = kszExpandedTag + std::string(" ");
    const std::pair<std::string, Strings> cases[] = {
        {"sulfuric acid", {x + "\xC1\xF2\xCB\xE1", "\xC1\xF2\xCB\xE1"}},  // 硫酸
        // A whole gloss of 氨, the end of the gloss "liquid ammonia" of 液氨.
        {"ammonia", {x + "\xB0\xB1", e + "\xD2\xBA\xB0\xB1", "\xB0\xB1", "\xD2\xBA\xB0\xB1"}},
        {"\xD5\xF4\xF0\x73", {x + "\xD5\xF4\xC1\xF3", "\xD5\xF4\xC1\xF3"}},  // 蒸餾 in the line of 蒸馏
        {"CH3COCH3", {"\xB1\xFB\xCD\xAA"}},  // 丙酮: the source's gloss, mended by data/corrections.tsv
        {"reflux ratio", {"\xBB\xD8\xC1\xF7\xB1\xC8"}},  // 回流比: only the project's glossary has it
        {"thermal conductivity", {"\xC8\xC8\xB5\xBC\xC2\xCA", "\xB5\xBC\xC8\xC8\xCF\xB5\xCA\xFD"}},  // 热导率 导热系数
        // Traditional forms whose trail byte is "|": 東 of 东, exact; 鑭 whole beside 镧.
        {"\x96\x7C", {x + "\xB6\xAB"}},
        {"\xE8\x7C", {"\xEF\xE7 \xE8\x7C"}},
        {"CSTR", {"\xC1\xAC\xD0\xF8\xBD\xC1\xB0\xE8\xB8\xAA\xCA\xBD\xB7\xB4\xD3\xA6\xC6\xF7"}},  // 连续搅拌釜式反应器
    };
    for (auto [query, starts] : cases)  // a copy: the search trims its query
    {
        const FindResults results = FindInVocabularies(query, general.table, technical.table);
        const std::string lines = "\n" + results.general + "\n" + results.technical;
        for (const auto& start : starts) EXPECT_NE(lines.find("\n" + start + " "), lines.npos) << start;
    }
}

// The vocabulary files committed under data/ load through the real loaders within their
// tables and answer known lookups as their line forms promise. The data build's own tests
// check every line; these check that the committed files are the ones that pass them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "search/Find.h"
#include "search/SearchTexts.h"
#include "vocabulary/StatusTexts.h"

namespace
{
using Strings = std::vector<std::string>;

// One bundled file, copied into a scratch directory and loaded into a table of the
// program's own capacity.
struct Bundled
{
    explicit Bundled(bool bTechnical) : load(dir, bTechnical, bTechnical ? kTechnicalCapacity : kGeneralCapacity)
    {
        WriteFile(load.vocabularyPath, ReadFile(std::string(LEXIVANT2_DATA_DIR) + (bTechnical ? "/17.voca" : "/0.voca")));
        events = load.Run();
    }
    TempDir dir;
    TestLoad load;
    Strings events;
};

// GBK headwords.
const std::string kSulfuricAcid = "\xC1\xF2\xCB\xE1", kAmmonia = "\xB0\xB1", kLiquidAmmonia = "\xD2\xBA\xB0\xB1",
                  kDistil = "\xD5\xF4\xC1\xF3", kDistilTraditional = "\xD5\xF4\xF0\x73", kAcetone = "\xB1\xFB\xCD\xAA",
                  kRefluxRatio = "\xBB\xD8\xC1\xF7\xB1\xC8", kThermalConductivity = "\xC8\xC8\xB5\xBC\xC2\xCA",
                  kThermalConductivityOther = "\xB5\xBC\xC8\xC8\xCF\xB5\xCA\xFD";
}  // namespace

TEST(BundledVocabulary, LoadsThroughTheRealLoadersAndAnswersKnownLookups)
{
    const Bundled general(false), technical(true);
    EXPECT_EQ(general.events, Strings{kFindEvent});
    EXPECT_EQ(technical.events, (Strings{kszTechnicalLoading, kszTechnicalLoaded, kFindEvent}));
    for (const Bundled* pBundled : {&general, &technical})
    {
        EXPECT_EQ(pBundled->load.bFileOk, 1);
        EXPECT_FALSE(FileExists(pBundled->load.plainPath));
    }
    EXPECT_GE(general.load.table.GetCount(), 100000);  // far fewer: a damaged or wrong file
    EXPECT_GE(technical.load.table.GetCount(), 8500);

    // General lines begin "|headword|", so a listed one begins with its tag, a blank, the
    // headword and a blank; technical lines begin with the headword and a blank.
    struct Case { std::string query; Strings exact, expanded, technical; };
    const Case cases[] = {
        {"sulfuric acid", {kSulfuricAcid}, {}, {kSulfuricAcid}},
        {kSulfuricAcid, {kSulfuricAcid}, {}, {kSulfuricAcid}},
        // A whole gloss of 氨, the end of the gloss "liquid ammonia" of 液氨.
        {"ammonia", {kAmmonia}, {kLiquidAmmonia}, {kAmmonia, kLiquidAmmonia}},
        {kDistilTraditional, {kDistil}, {}, {kDistil}},  // in the simplified form's line
        {"CH3COCH3", {}, {}, {kAcetone}},  // the source's gloss, mended by data/corrections.tsv
        {"reflux ratio", {}, {}, {kRefluxRatio}},  // only the project's glossary has it
        {"thermal conductivity", {}, {}, {kThermalConductivity, kThermalConductivityOther}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.query);
        std::string query = c.query;
        const FindResults results = FindInVocabularies(query, general.load.table, technical.load.table);
        auto lists = [](const std::string& text, const std::string& start) {
            return ("\n" + text).find("\n" + start + " ") != std::string::npos;
        };
        for (const auto& head : c.exact)
            EXPECT_TRUE(lists(results.general, kszExactTag + (" " + head))) << head;
        for (const auto& head : c.expanded)
            EXPECT_TRUE(lists(results.general, kszExpandedTag + (" " + head))) << head;
        for (const auto& head : c.technical)
            EXPECT_TRUE(lists(results.technical, head)) << head;
    }
}

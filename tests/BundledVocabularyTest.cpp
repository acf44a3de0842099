// The vocabulary files committed under data/: they load through the real loaders within
// their tables, every line is one whole entry of valid GBK in the line form, and known
// lookups come out exact, expanded or technical as the line form promises.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "TestSupport.h"
#include "search/Find.h"
#include "search/SearchTexts.h"
#include "vocabulary/EntryReader.h"
#include "vocabulary/StatusTexts.h"
#include "vocabulary/VocabularyLoader.h"
#include "vocabulary/VocabularyTable.h"

#ifndef LEXIVANT2_DATA_DIR
#error "LEXIVANT2_DATA_DIR must name the directory of the bundled vocabulary files"
#endif

namespace
{
using Strings = std::vector<std::string>;

// One bundled vocabulary, loaded once per test process (a load takes about 100 ms) into a
// table of the program's own capacity, its plain file in a scratch directory.
struct Bundled
{
    explicit Bundled(bool bTechnical)
        : path(std::string(LEXIVANT2_DATA_DIR) + (bTechnical ? "/17.voca" : "/0.voca")),
          plainPath(dir / "plain.pyq"),
          table(bTechnical ? kTechnicalCapacity : kGeneralCapacity)
    {
        VocabularyLoad load = bTechnical ? TechnicalVocabularyLoad() : GeneralVocabularyLoad();
        load.szVocabularyFile = path.c_str();
        load.szPlainFile = plainPath.c_str();
        load.pTable = &table;
        load.pbFileOk = &bFileOk;
        LoadVocabulary(load, target);
    }

    TempDir dir;
    std::string path;
    std::string plainPath;
    VocabularyTable table;
    int bFileOk = 1;
    RecordingTarget target;
};

const Bundled& General()
{
    static const Bundled general(false);
    return general;
}

const Bundled& Technical()
{
    static const Bundled technical(true);
    return technical;
}

// Why the entry is not one whole line of GBK text, or "" when it is: at most
// kMaxEntryBytes bytes, one LF and that at the end (a longer line would have been cut into
// pieces without one), no other control byte, and every byte above 0x7F a lead byte
// 0x81-0xFE followed by a trail byte 0x40-0xFE other than 0x7F (a line split inside a
// character leaves a lone lead or trail byte). No trail byte may be "|" either: the
// program would take it for a field separator and blank it out of its character.
std::string GbkLineFault(std::string_view entry)
{
    if (entry.size() > kMaxEntryBytes)
        return "longer than an entry can be";
    if (entry.empty() || entry.back() != '\n')
        return "does not end in LF";
    for (std::size_t i = 0; i + 1 < entry.size(); ++i)
    {
        const auto byte = static_cast<unsigned char>(entry[i]);
        if (byte < 0x20 || byte == 0x7F || byte == 0x80 || byte == 0xFF)
            return "control or stray byte at " + std::to_string(i);
        if (byte < 0x80)
            continue;
        const auto trail = static_cast<unsigned char>(entry[i + 1]);
        if (i + 2 >= entry.size() || trail < 0x40 || trail == 0x7F || trail == 0xFF)
            return "lead byte without a trail byte at " + std::to_string(i);
        if (trail == '|')
            return "a character whose trail byte is | at " + std::to_string(i);
        ++i;
    }
    return "";
}

// Why a general entry breaks the line form, or "": it starts with its headword between two
// "|" (so typing the headword is an exact match), and "|" comes in pairs (a stray one
// would shift every later field off its bars).
std::string GeneralFormFault(std::string_view entry)
{
    const std::size_t headEnd = entry.find('|', 1);
    if (entry.empty() || entry[0] != '|' || headEnd == std::string_view::npos || headEnd == 1)
        return "does not start with |headword|";
    if (entry.substr(1, headEnd - 1).find(' ') != std::string_view::npos)
        return "headword holds a blank";
    if (std::count(entry.begin(), entry.end(), '|') % 2 != 0)
        return "odd number of |";
    return "";
}

// The first entry of the table with a fault, as "entry N (text): fault", or "".
template <typename Check>
std::string FirstFault(const VocabularyTable& table, Check check)
{
    for (int i = 0; i < table.GetCount(); ++i)
    {
        const std::string_view entry = table.GetAt(i);
        const std::string fault = check(entry);
        if (!fault.empty())
            return "entry " + std::to_string(i) + " (" + std::string(entry) + "): " + fault;
    }
    return "";
}

// The headwords of a result text's records (each is tag, entry with its LF, CR LF): after
// the tag, up to the blank that ends the headword. General records start with the tag and
// the blank that "|" turned into.
Strings Headwords(const std::string& result, const std::string& tag)
{
    Strings heads;
    const std::string start = tag.empty() ? "" : tag + " ";
    for (std::size_t begin = 0, end; (end = result.find("\r\n", begin)) != std::string::npos; begin = end + 2)
    {
        const std::string record = result.substr(begin, end - begin);
        if (record.compare(0, start.size(), start) != 0)
            continue;
        const std::size_t headEnd = record.find(' ', start.size());
        heads.push_back(record.substr(start.size(), headEnd - start.size()));
    }
    return heads;
}

bool Holds(const Strings& heads, const std::string& head)
{
    return std::find(heads.begin(), heads.end(), head) != heads.end();
}

// GBK headwords the lookups expect.
const std::string kSulfuricAcid = "\xC1\xF2\xCB\xE1";      // 硫酸
const std::string kAmmonia = "\xB0\xB1";                   // 氨
const std::string kLiquidAmmonia = "\xD2\xBA\xB0\xB1";     // 液氨
const std::string kSaltpeter = "\xCF\xF5";                 // 硝
const std::string kNiter = "\xCF\xF5\xCA\xAF";             // 硝石
const std::string kCrudeSaltpeter = "\xED\xCB";            // 硭
const std::string kHuizhou = "\xBB\xDD\xD6\xDD";           // 惠州
const std::string kHuizhouCity = "\xBB\xDD\xD6\xDD\xCA\xD0";  // 惠州市
const std::string kWalk = "\xD0\xD0";                      // 行
const std::string kDistil = "\xD5\xF4\xC1\xF3";             // 蒸馏
const std::string kDistilTraditional = "\xD5\xF4\xF0\x73";  // 蒸餾
const std::string kAcetone = "\xB1\xFB\xCD\xAA";            // 丙酮
const std::string kRefluxRatio = "\xBB\xD8\xC1\xF7\xB1\xC8";  // 回流比 (the project's glossary)
const std::string kIron = "\xCC\xFA";                      // 铁
const std::string kMolarity = "\xCE\xEF\xD6\xCA\xB5\xC4\xC1\xBF\xC5\xA8\xB6\xC8";  // 物质的量浓度 (second round)
const std::string kThermalConductivity = "\xC8\xC8\xB5\xBC\xC2\xCA";  // 热导率
const std::string kThermalConductivityOther = "\xB5\xBC\xC8\xC8\xCF\xB5\xCA\xFD";  // 导热系数 (its other name)
}  // namespace

TEST(BundledVocabulary, LoadsThroughTheRealLoadersWithinTheTables)
{
    struct Case
    {
        const char* name;
        const Bundled& bundled;
        Strings events;     // nothing about a truncated or failed load
        int nMinEntries;    // far fewer means a damaged or wrong file
    };
    const Case cases[] = {
        {"general", General(), {kFindEvent}, 100000},
        {"technical", Technical(), {kszTechnicalLoading, kszTechnicalLoaded, kFindEvent}, 8500},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.bundled.target.Events(), c.events);
        EXPECT_EQ(c.bundled.bFileOk, 1);
        EXPECT_GE(c.bundled.table.GetCount(), c.nMinEntries);
        EXPECT_FALSE(FileExists(c.bundled.plainPath));
    }
}

TEST(BundledVocabulary, EveryLineIsOneWholeEntryOfValidGbk)
{
    EXPECT_EQ(FirstFault(General().table, GbkLineFault), "");
    EXPECT_EQ(FirstFault(Technical().table, GbkLineFault), "");
}

TEST(BundledVocabulary, LinesFollowTheLineForm)
{
    EXPECT_EQ(FirstFault(General().table, GeneralFormFault), "");
    // The technical results show entries as they stand, "|" and all: the file holds none.
    EXPECT_EQ(FirstFault(Technical().table,
                         [](std::string_view entry) {
                             return entry.find('|') == std::string_view::npos ? "" : "holds |";
                         }),
              "");
}

TEST(BundledVocabulary, KnownLookupsComeOutExactExpandedAndTechnical)
{
    struct Case
    {
        const char* name;
        std::string query;
        Strings exact;       // headwords listed as exact general matches
        Strings expanded;    // headwords listed as expanded general matches, not exact
        Strings technical;   // headwords listed in the technical results
    };
    const Case cases[] = {
        {"an English gloss as it stands", "sulfuric acid", {kSulfuricAcid}, {}, {kSulfuricAcid}},
        {"the Chinese headword", kSulfuricAcid, {kSulfuricAcid}, {}, {kSulfuricAcid}},
        // "ammonia" is a whole gloss of 氨 but ends the gloss "liquid ammonia" of 液氨.
        {"whole gloss exact, gloss ending expanded", "ammonia", {kAmmonia}, {kLiquidAmmonia},
         {kAmmonia, kLiquidAmmonia}},
        {"one gloss among several", "saltpeter", {kSaltpeter, kNiter}, {kCrudeSaltpeter},
         {kSaltpeter, kNiter, kCrudeSaltpeter}},
        // 惠州 only pointed to 惠州市; it was folded in as an alias.
        {"a folded pointer", kHuizhou, {kHuizhouCity}, {}, {}},
        {"a verb gloss of a character with several readings", "to walk", {kWalk}, {}, {}},
        // The traditional form stands in the simplified form's line in both lists.
        {"a traditional headword", kDistilTraditional, {kDistil}, {}, {kDistil}},
        {"a metal whose name means other things too", "iron", {kIron}, {}, {kIron}},
        // The source writes "CH3COCH"; data/corrections.tsv mends it.
        {"a corrected source gloss", "CH3COCH3", {}, {}, {kAcetone}},
        {"a term only the glossary has", "reflux ratio", {}, {}, {kRefluxRatio}},
        {"a term of the glossary's second round", "molarity", {}, {}, {kMolarity}},
        {"a glossary term and its other name", "thermal conductivity", {}, {},
         {kThermalConductivity, kThermalConductivityOther}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string query = c.query;
        const FindResults results = FindInVocabularies(query, General().table, Technical().table);
        const Strings exact = Headwords(results.general, kszExactTag);
        const Strings expanded = Headwords(results.general, kszExpandedTag);
        const Strings technical = Headwords(results.technical, "");
        for (const auto& head : c.exact)
            EXPECT_TRUE(Holds(exact, head)) << head << " not exact";
        for (const auto& head : c.expanded)
        {
            EXPECT_TRUE(Holds(expanded, head)) << head << " not expanded";
            EXPECT_FALSE(Holds(exact, head)) << head << " exact";
        }
        for (const auto& head : c.technical)
            EXPECT_TRUE(Holds(technical, head)) << head << " not technical";
        if (c.technical.empty())
        {
            EXPECT_EQ(results.technical, "");
        }
    }
}

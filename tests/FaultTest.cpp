// Faults injected with real files and processes: each load ends with a status text that says
// what happened, and nothing that failed is reported as a success.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Reference.h"
#include "TestSupport.h"
#include "vocabulary/StatusTexts.h"

namespace
{
// Piece i of a long line: its number first, so that the order of the pieces shows.
std::string Piece(std::size_t i)
{
    char szNumber[16];
    std::snprintf(szNumber, sizeof szNumber, "%010zu", i);
    std::string piece(szNumber);
    piece.resize(254, static_cast<char>('a' + i % 26));
    return piece;
}

std::string Word(std::size_t i) { return "word " + std::to_string(i) + "|\xB4\xCA\n"; }
}  // namespace

TEST(Fault, OverlongVocabulariesKeepTheirFirstEntriesInOrder)
{
    // More lines than the table holds, and 100 MB in one line: the table keeps its first
    // entries (254-byte pieces of the line) and the load says it is full.
    for (const bool bTechnical : {false, true})
    {
        SCOPED_TRACE(bTechnical);
        TempDir dir;
        const int nCapacity = bTechnical ? 1000 : 100;
        const auto entry = bTechnical ? Piece : Word;
        TestLoad load(dir, bTechnical, nCapacity);
        std::ofstream out(load.vocabularyPath, std::ios::binary);
        std::string block;
        for (std::size_t i = 0, n = bTechnical ? 100'000'000 / 254 : 5000; i < n; ++i)
            if ((block += entry(i)).size() >= (1u << 20) || i + 1 == n)  // a block at a time
                out << Scramble(block, load.load.key), block.clear();
        ASSERT_TRUE(out.flush());
        using Events = std::vector<std::string>;
        const Events truncated = bTechnical ? Events{kszTechnicalLoading, kszTechnicalTruncated, kFindEvent} : Events{kszGeneralTruncated, kFindEvent};
        EXPECT_EQ(load.Run(), truncated);
        ASSERT_EQ(load.table.GetCount(), nCapacity);
        for (int i = 0; i < nCapacity; ++i)
            ASSERT_EQ(load.table.GetAt(i), entry(static_cast<std::size_t>(i))) << "entry " << i;
        EXPECT_FALSE(FileExists(load.plainPath));
    }
}

TEST(Fault, TwoProgramsLoadingInOneDirectoryAtOnceBothAnswerRight)
{
    // Large enough that the two processes' loads overlap; they share the plain file names,
    // so one waits for the other's lock.
    TempDir dir;
    const auto [general, technical] = WriteNumberedVocabularies(dir.Path(), 60000);
    const auto files = ListDirectory(dir.Path());
    const std::vector<std::string> queries{"4 \xB4\xCA 12", "compound 5999"};  // one hits general only, one technical
    std::string expectedOut;
    for (const std::string& query : queries)
    {
        const FindResults expected = Reference::Find(query, ReferenceEntries(general), ReferenceEntries(technical));
        ASSERT_FALSE((expected.general + expected.technical).empty());
        expectedOut += expected.general + '\0' + expected.technical + '\0';
    }
    for (int round = 0; round < 3; ++round)
    {
        SCOPED_TRACE(round);
        RunResult runs[2];
        std::thread second([&] { runs[1] = RunProgram(SORELLAN_FIND_PATH, {"--raw", queries[0], queries[1]}, dir.Path()); });
        runs[0] = RunProgram(SORELLAN_FIND_PATH, {"--raw", queries[0], queries[1]}, dir.Path());
        second.join();
        for (const RunResult& run : runs)
        {
            EXPECT_EQ(run.nExit, 0);
            EXPECT_TRUE(run.out == expectedOut);
            // A copy that waits says so; a general load that waited shows a start and an end.
            std::string rest = run.err;
            int nCounts[3] = {};  // waits, starts, ends
            const char* const lines[3] = {"等待另一个程序读取词汇...\n", "读取词汇...\n", "词汇读取完成!\n"};
            for (int k = 0; k < 3; ++k)
                for (std::size_t pos; (pos = rest.find(lines[k])) != std::string::npos; ++nCounts[k])
                    rest.erase(pos, std::strlen(lines[k]));
            EXPECT_EQ(rest, "");
            EXPECT_EQ(nCounts[1], nCounts[2]);
            EXPECT_TRUE(nCounts[1] == 1 || (nCounts[1] == 2 && nCounts[0] > 0)) << run.err;
        }
        EXPECT_EQ(ListDirectory(dir.Path()), files);  // no plain file left, the vocabularies untouched
    }
}

TEST(Fault, KilledDuringALoadStopsTheLoadersAndRemovesThePlainFiles)
{
    TempDir dir;
    WriteNumberedVocabularies(dir.Path(), 120000);
    const auto files = ListDirectory(dir.Path());
    for (const int nSignal : {SIGTERM, SIGINT, SIGHUP})
    {
        SCOPED_TRACE(strsignal(nSignal));
        bool bDuringLoad = false;
        const RunResult run = SignalDuringLoad(SORELLAN_FIND_PATH, {"--raw", "x"}, dir.Path(), nSignal, &bDuringLoad);
        ASSERT_TRUE(bDuringLoad);
        EXPECT_EQ(run.nSignal, nSignal);  // ended by it, as a shell expects
        EXPECT_EQ(ListDirectory(dir.Path()), files);
    }
}

// Faults injected with real files and processes: each load ends with a status text that says
// what happened, and nothing that failed is reported as a success.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "Reference.h"
#include "TestSupport.h"
#include "vocabulary/StatusTexts.h"

TEST(Fault, OverlongVocabulariesKeepTheirFirstEntriesInOrder)
{
    // More lines than the table holds, and 100 MB in one line: the table keeps its first
    // entries (254-byte pieces of the line, each led by its number) and the load says it is full.
    auto piece = [](std::size_t i) { const auto n = std::to_string(i); return n + std::string(254 - n.size(), static_cast<char>('a' + i % 26)); };
    auto word = [](std::size_t i) { return "word " + std::to_string(i) + "|\xB4\xCA\n"; };
    using Events = std::vector<std::string>;
    for (const bool bTechnical : {false, true})
    {
        TempDir dir;
        const int nCapacity = bTechnical ? 1000 : 100;
        auto entry = [&](std::size_t i) { return bTechnical ? piece(i) : word(i); };
        TestLoad load(dir, bTechnical, nCapacity);
        std::ofstream out(load.vocabularyPath, std::ios::binary);
        std::string block;
        for (std::size_t i = 0, n = bTechnical ? 100'000'000 / 254 : 5000; i < n; ++i)
            if ((block += entry(i)).size() >= (1u << 20) || i + 1 == n)  // a block at a time
                out << Scramble(block, load.load.key), block.clear();
        ASSERT_TRUE(out.flush());
        const Events truncated = bTechnical ? Events{kszTechnicalLoading, kszTechnicalTruncated, kFindEvent} : Events{kszGeneralTruncated, kFindEvent};
        EXPECT_EQ(load.Run(), truncated);
        ASSERT_EQ(load.table.GetCount(), nCapacity);
        for (int i = 0; i < nCapacity; ++i)
            ASSERT_EQ(load.table.GetAt(i), entry(static_cast<std::size_t>(i))) << i << bTechnical;
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
    const std::vector<std::string> args{"--raw", "4 \xB4\xCA 12", "compound 5999"};  // one hits general only, one technical
    std::string expectedOut;
    for (const std::string& query : {args[1], args[2]})
    {
        const FindResults expected = Reference::Find(query, ReferenceEntries(general), ReferenceEntries(technical));
        ASSERT_FALSE((expected.general + expected.technical).empty());
        expectedOut += expected.general + '\0' + expected.technical + '\0';
    }
    for (int round = 0; round < 3; ++round)
    {
        RunResult runs[2];
        std::thread second([&] { runs[1] = RunProgram(SORELLAN_FIND_PATH, args, dir.Path()); });
        runs[0] = RunProgram(SORELLAN_FIND_PATH, args, dir.Path());
        second.join();
        // A copy that waits says so; a general load that waited shows a start and an end.
        for (const RunResult& run : runs)
        {
            std::string rest = run.err;
            int nCounts[3] = {};  // waits, starts, ends
            const char* const lines[3] = {"等待另一个程序读取词汇...\n", "读取词汇...\n", "词汇读取完成!\n"};
            for (int k = 0; k < 3; ++k)
                for (std::size_t pos; (pos = rest.find(lines[k])) != std::string::npos; ++nCounts[k])
                    rest.erase(pos, std::strlen(lines[k]));
            EXPECT_TRUE(run.nExit == 0 && run.out == expectedOut && rest.empty() && nCounts[1] == nCounts[2] &&
                        (nCounts[1] == 1 || (nCounts[1] == 2 && nCounts[0] > 0))) << run.err;
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
        bool bDuringLoad = false;
        const RunResult run = SignalDuringLoad(SORELLAN_FIND_PATH, {"--raw", "x"}, dir.Path(), nSignal, &bDuringLoad);
        ASSERT_TRUE(bDuringLoad) << strsignal(nSignal);
        EXPECT_EQ(run.nSignal, nSignal);  // ended by it, as a shell expects
        EXPECT_EQ(ListDirectory(dir.Path()), files);
    }
}

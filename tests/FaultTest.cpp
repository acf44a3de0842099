// Faults injected with real files and processes: each load ends with a status text that says
// what happened, and nothing that failed is reported as a success.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "vocabulary/StatusTexts.h"

TEST(Fault, OverlongVocabulariesKeepTheirFirstEntriesInOrder)
{
    // 100 MB in one line: the table keeps its first 1000 entries (254-byte pieces of the line,
    // each led by its number) and the load says it is full.
    auto piece = [](std::size_t i) { const auto n = std::to_string(i); return n + std::string(254 - n.size(), static_cast<char>('a' + i % 26)); };
    TempDir dir;
    TestLoad load(dir, true);
    std::ofstream out(load.vocabularyPath, std::ios::binary);
    std::string block;
    for (std::size_t i = 0, n = 100'000'000 / 254; i < n; ++i)
        if ((block += piece(i)).size() >= (1u << 20) || i + 1 == n)  // a block at a time
            out << Scramble(block, load.load.key), block.clear();
    ASSERT_TRUE(out.flush());
    EXPECT_EQ(load.Run(), (std::vector<std::string>{kszTechnicalLoading, kszTechnicalTruncated, kFindEvent}));
    ASSERT_EQ(load.table.GetCount(), 1000);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(load.table.GetAt(i), piece(static_cast<std::size_t>(i))) << i;
    EXPECT_FALSE(FileExists(load.plainPath));
}

TEST(Fault, TwoProgramsLoadingInOneDirectoryAtOnceBothAnswerRight)
{
    // Large enough that the two processes' loads overlap; they share the plain file names,
    // so one waits for the other's lock.
    TempDir dir;
    WriteNumberedVocabularies(dir.Path(), 60000);
    const auto files = ListDirectory(dir.Path());
    const std::vector<std::string> args{"--raw", "4 \xB4\xCA 12", "compound 5999"};  // one hits general only, one technical
    const std::string expectedOut = RunProgram(SORELLAN_FIND_PATH, args, dir.Path()).out;  // alone
    ASSERT_NE(expectedOut, std::string(4, '\0'));
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

// Faults injected with real files and processes: each load ends with a status text that says
// what happened, and nothing that failed is reported as a success.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <cstdio>
#include <filesystem>
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
using Events = std::vector<std::string>;

// What a load shows when its table fills up before its file ends.
Events TruncatedTexts(bool bTechnical)
{
    return bTechnical ? Events{kszTechnicalLoading, kszTechnicalTruncated, kFindEvent}
                      : Events{kszGeneralTruncated, kFindEvent};
}

// Piece i of a long line: its number first, so that the order of the pieces shows.
std::string Piece(std::size_t i)
{
    char szNumber[16];
    std::snprintf(szNumber, sizeof szNumber, "%010zu", i);
    std::string piece(szNumber);
    piece.resize(254, static_cast<char>('a' + i % 26));
    return piece;
}

// Writes a scrambled vocabulary of one line of nPieces pieces (no LF), a block at a time.
void WriteOneLongLine(const std::string& path, std::size_t nPieces, ScrambleKey key)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string block;
    for (std::size_t i = 0; i < nPieces; ++i)
    {
        block += Piece(i);
        if (block.size() >= (1u << 20) || i + 1 == nPieces)
        {
            const std::string scrambled = Scramble(block, key);
            out.write(scrambled.data(), static_cast<std::streamsize>(scrambled.size()));
            block.clear();
        }
    }
    ASSERT_TRUE(out.flush());
}

// Removes every copy of `line` from `text`; returns how many there were.
int Erase(std::string& text, const std::string& line)
{
    int n = 0;
    for (std::size_t pos; (pos = text.find(line)) != std::string::npos; ++n)
        text.erase(pos, line.size());
    return n;
}

std::vector<std::string> FilesIn(const std::string& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
}  // namespace

TEST(Fault, OverlongVocabulariesKeepTheirFirstEntriesInOrder)
{
    // 100 MB in one line: the table keeps its first 254-byte pieces and says it is full.
    constexpr std::size_t kLongLinePieces = 100 * 1000 * 1000 / 254;
    struct Case
    {
        const char* name;
        bool bTechnical;
        int nCapacity;
        std::function<void(TestLoad&)> write;
        std::function<std::string(std::size_t)> entry;  // entry i as it must be stored
    };
    const Case cases[] = {
        {"more lines than the table holds", false, 100,
         [](TestLoad& l) {
             std::string text;
             for (int i = 0; i < 5000; ++i)
                 text += "word " + std::to_string(i) + "|\xB4\xCA\n";
             l.WriteVocabulary(text);
         },
         [](std::size_t i) { return "word " + std::to_string(i) + "|\xB4\xCA\n"; }},
        {"one line of 100 MB", true, 1000,
         [](TestLoad& l) { WriteOneLongLine(l.vocabularyPath, kLongLinePieces, l.load.key); },
         Piece},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        TempDir dir;
        TestLoad load(dir, c.bTechnical, c.nCapacity);
        c.write(load);
        EXPECT_EQ(load.Run(), TruncatedTexts(c.bTechnical));
        ASSERT_EQ(load.table.GetCount(), c.nCapacity);
        for (int i = 0; i < c.nCapacity; ++i)
            ASSERT_EQ(load.table.GetAt(i), c.entry(static_cast<std::size_t>(i))) << "entry " << i;
        EXPECT_FALSE(FileExists(load.plainPath));
    }
}

TEST(Fault, TwoProgramsLoadingInOneDirectoryAtOnceBothAnswerRight)
{
    // Large enough that the two processes' loads overlap; they share the plain file names,
    // so one waits for the other's lock.
    TempDir dir;
    const auto [general, technical] = WriteNumberedVocabularies(dir.Path(), 60000);
    const std::string query = "4 \xB4\xCA 12";  // hits in the general vocabulary only
    const std::string technicalQuery = "compound 5999";
    const FindResults expected =
        Reference::Find(query, ReferenceEntries(general), ReferenceEntries(technical));
    const FindResults expectedTechnical =
        Reference::Find(technicalQuery, ReferenceEntries(general), ReferenceEntries(technical));
    ASSERT_FALSE(expected.general.empty());
    ASSERT_FALSE(expectedTechnical.technical.empty());
    const std::string expectedOut = expected.general + '\0' + expected.technical + '\0' +
                                    expectedTechnical.general + '\0' + expectedTechnical.technical + '\0';

    for (int round = 0; round < 3; ++round)
    {
        SCOPED_TRACE(round);
        RunResult runs[2];
        std::thread second([&] { runs[1] = RunProgram(SORELLAN_FIND_PATH, {"--raw", query, technicalQuery}, dir.Path()); });
        runs[0] = RunProgram(SORELLAN_FIND_PATH, {"--raw", query, technicalQuery}, dir.Path());
        second.join();
        for (const RunResult& run : runs)
        {
            EXPECT_EQ(run.nExit, 0);
            EXPECT_TRUE(run.out == expectedOut);
            // A copy that waits says so; a general load that waited shows a start and an end.
            std::string rest = run.err;
            const int nWaits = Erase(rest, "等待另一个程序读取词汇...\n");
            const int nStarts = Erase(rest, "读取词汇...\n"), nEnds = Erase(rest, "词汇读取完成!\n");
            EXPECT_EQ(rest, "");
            EXPECT_EQ(nStarts, nEnds);
            EXPECT_TRUE(nStarts == 1 || (nStarts == 2 && nWaits > 0)) << run.err;
        }
        EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"0.voca", "17.voca"}));
    }
}

TEST(Fault, KilledDuringALoadStopsTheLoadersAndRemovesThePlainFiles)
{
    TempDir dir;
    WriteNumberedVocabularies(dir.Path(), 120000);
    for (const int nSignal : {SIGTERM, SIGINT, SIGHUP})
    {
        SCOPED_TRACE(strsignal(nSignal));
        bool bDuringLoad = false;
        const RunResult run = SignalDuringLoad(SORELLAN_FIND_PATH, {"--raw", "x"}, dir.Path(), nSignal, &bDuringLoad);
        ASSERT_TRUE(bDuringLoad);
        EXPECT_EQ(run.nSignal, nSignal);  // ended by it, as a shell expects
        EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"0.voca", "17.voca"}));
    }
}

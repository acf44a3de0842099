// Faults injected with real files and processes: each load ends with a status text that says
// what happened, and nothing that failed is reported as a success.
#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include "TestSupport.h"

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
        for (const RunResult& run : runs)  // what a copy that waited shows: Loader.WaitForAnotherCopy...
            EXPECT_TRUE(run.nExit == 0 && run.out == expectedOut) << run.err;
        EXPECT_EQ(ListDirectory(dir.Path()), files);  // no plain file left, the vocabularies untouched
    }
}

TEST(Fault, KilledDuringALoadStopsTheLoadersAndRemovesThePlainFiles)
{
    TempDir dir;
    WriteNumberedVocabularies(dir.Path(), 120000);
    const auto files = ListDirectory(dir.Path());
    // A signal ignored at start (nohup, a background job) stays ignored: the program answers.
    for (const auto& [nSignal, bIgnored] : {std::pair(SIGTERM, false), {SIGINT, false}, {SIGHUP, false}, {SIGHUP, true}})
    {
        bool bDuringLoad = false;
        const auto previous = ::signal(nSignal, bIgnored ? SIG_IGN : SIG_DFL);  // inherited by the program
        const RunResult run = SignalDuringLoad(SORELLAN_FIND_PATH, {"--raw", "x"}, dir.Path(), nSignal, &bDuringLoad);
        ::signal(nSignal, previous);
        ASSERT_TRUE(bDuringLoad) << strsignal(nSignal);
        // Ended by it, as a shell expects.
        EXPECT_EQ(std::pair(run.nSignal, run.nExit), std::pair(bIgnored ? 0 : nSignal, bIgnored ? 0 : -1)) << strsignal(nSignal);
        EXPECT_TRUE(ListDirectory(dir.Path()) == files);
    }
}

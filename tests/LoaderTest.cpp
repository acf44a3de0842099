#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "TestSupport.h"
#include "vocabulary/FileHandle.h"
#include "vocabulary/LoaderThreads.h"
#include "vocabulary/StatusTexts.h"
#include "vocabulary/VocabularyLoader.h"
#include "vocabulary/VocabularyTable.h"

namespace
{
using Events = std::vector<std::string>;

const std::string kGeneralText = "acid|\xCB\xE1\nbase|\xBC\xEE\r\n";
const std::string kTechnicalText = "sulfuric acid|\xC1\xF2\xCB\xE1\n";

std::string Lines(int nLines, char c)
{
    std::string text;
    for (int i = 0; i < nLines; ++i)
        text += std::string(static_cast<std::size_t>(1 + i % 120), c) + "|" + std::to_string(i) + "\n";
    return text;
}

// The entries of a text made only of short lines.
Events EntriesOfLines(const std::string& text)
{
    Events entries;
    for (std::size_t begin = 0, end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1)
        entries.push_back(text.substr(begin, end + 1 - begin));
    return entries;
}
}  // namespace

TEST(Loader, ReportsAndOpensFindForEachMixOfPresentAndMissingFiles)
{
    struct Case { bool bGeneral, bTechnical; Events general, technical; };
    const Case cases[] = {
        {true, true, {kFindEvent}, {kszTechnicalLoading, kszTechnicalLoaded, kFindEvent}},
        {false, true, {kszGeneralMissing}, {kszTechnicalLoading, kszTechnicalLoaded, kFindEvent}},
        {true, false, {kFindEvent}, {kszTechnicalMissing}},
        {false, false, {kszGeneralMissing}, {kszTechnicalMissing}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "general " << c.bGeneral << ", technical " << c.bTechnical);
        TempDir dir;
        TestLoad general(dir, false), technical(dir, true);
        // Plain files left over from an earlier run, longer than the new texts.
        WriteFile(general.plainPath, Lines(50, 'x'));
        WriteFile(technical.plainPath, Lines(50, 'y'));
        if (c.bGeneral)
            general.WriteVocabulary(kGeneralText);
        if (c.bTechnical)
            technical.WriteVocabulary(kTechnicalText);
        std::thread generalThread([&] { general.Run(); });
        technical.Run();
        generalThread.join();

        EXPECT_EQ(general.target.Events(), c.general);
        EXPECT_EQ(technical.target.Events(), c.technical);
        const Events generalEntries{"acid|\xCB\xE1\n", "base|\xBC\xEE\n"};
        EXPECT_EQ(EntriesOf(general.table), c.bGeneral ? generalEntries : Events{});
        EXPECT_EQ(EntriesOf(technical.table),
                  c.bTechnical ? Events{kTechnicalText} : Events{});
        EXPECT_EQ(general.bFileOk, c.bGeneral ? 1 : 0);
        // A successful load removes its plain file; a missing vocabulary leaves it, emptied.
        for (auto* pLoad : {&general, &technical})
        {
            const bool bPresent = pLoad == &general ? c.bGeneral : c.bTechnical;
            EXPECT_EQ(FileExists(pLoad->plainPath), !bPresent);
            if (!bPresent)
            {
                EXPECT_EQ(ReadFile(pLoad->plainPath), "");
            }
        }
    }
}

TEST(Loader, EmptyFileAndFullTable)
{
    struct Case { const char* name; bool bTechnical; std::string text; int nCapacity; Events events; int nEntries; };
    const Case cases[] = {
        {"empty general", false, "", 10, {kFindEvent}, 0},
        {"empty technical", true, "", 10, {kszTechnicalLoading, kszTechnicalLoaded, kFindEvent}, 0},
        {"general exactly full", false, "a\nb\nc\n", 3, {kFindEvent}, 3},
        {"general beyond capacity", false, "a\nb\nc\nd\n", 3, {kszGeneralTruncated, kFindEvent}, 3},
        {"technical beyond capacity", true, Lines(5000, 't'), 1000,
         {kszTechnicalLoading, kszTechnicalTruncated, kFindEvent}, 1000},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        TempDir dir;
        TestLoad load(dir, c.bTechnical, c.nCapacity);
        load.WriteVocabulary(c.text);
        EXPECT_EQ(load.Run(), c.events);
        ASSERT_EQ(load.table.GetCount(), c.nEntries);
        if (c.nEntries > 0)
        {
            EXPECT_EQ(load.table.GetAt(0).substr(0, 1), c.text.substr(0, 1));  // the first ones, in order
        }
        EXPECT_FALSE(FileExists(load.plainPath));
    }
}

TEST(Loader, FilesThatCannotBeUsedTakeTheFailurePaths)
{
    // Each case disturbs the files of a technical load; `failed` means the texts say the
    // load failed after its files were opened.
    struct Case
    {
        const char* name;
        std::function<void(TestLoad&)> arrange;
        Events events;
        bool bPlainLeft;
    };
    const Case cases[] = {
        {"vocabulary file is a directory",
         [](TestLoad& l) { ::mkdir(l.vocabularyPath.c_str(), 0700); },
         {kszTechnicalMissing}, true},
        {"vocabulary file is a FIFO (must not hang)",
         [](TestLoad& l) { ::mkfifo(l.vocabularyPath.c_str(), 0600); },
         {kszTechnicalMissing}, true},
        // None of these depends on permissions, so each holds when the tests run as root.
        {"vocabulary file is a symlink loop",
         [](TestLoad& l) { ASSERT_EQ(::symlink(l.vocabularyPath.c_str(), l.vocabularyPath.c_str()), 0); },
         {kszTechnicalMissing}, true},
        {"vocabulary file is a dangling symlink",
         [](TestLoad& l) { ASSERT_EQ(::symlink((l.vocabularyPath + ".gone").c_str(), l.vocabularyPath.c_str()), 0); },
         {kszTechnicalMissing}, true},
        {"vocabulary file is a device (must not read forever)",
         [](TestLoad& l) { ASSERT_EQ(::symlink("/dev/zero", l.vocabularyPath.c_str()), 0); },
         {kszTechnicalMissing}, true},
        // A regular file whose read fails: offset 0 of the process's own memory is unmapped.
        {"vocabulary file cannot be read (EIO)",
         [](TestLoad& l) { ASSERT_EQ(::symlink("/proc/self/mem", l.vocabularyPath.c_str()), 0); },
         {kszTechnicalLoading, kszTechnicalFailed}, false},
        {"plain file name is a symlink loop",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             ASSERT_EQ(::symlink(l.plainPath.c_str(), l.plainPath.c_str()), 0);
         },
         {kszTechnicalMissing}, true},
        {"plain file cannot be created",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             ::mkdir(l.plainPath.c_str(), 0700);
         },
         {kszTechnicalMissing}, true},
        // A link under the plain file's name is never followed: neither emptied, filled nor
        // created, whatever it points to.
        {"plain file name is a link to a device",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             ASSERT_EQ(::symlink("/dev/full", l.plainPath.c_str()), 0);
         },
         {kszTechnicalMissing}, true},
        {"plain file name is a link to someone's file",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             WriteFile(l.plainPath + ".precious", "precious data");
             ASSERT_EQ(::symlink((l.plainPath + ".precious").c_str(), l.plainPath.c_str()), 0);
         },
         {kszTechnicalMissing}, true},
        {"plain file name is a dangling link",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             ASSERT_EQ(::symlink((l.plainPath + ".new").c_str(), l.plainPath.c_str()), 0);
         },
         {kszTechnicalMissing}, true},
        {"plain file is a FIFO",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             ASSERT_EQ(::mkfifo(l.plainPath.c_str(), 0600), 0);
         },
         {kszTechnicalLoading, kszTechnicalFailed}, true},
        {"plain file removed before it is read back",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             l.load.onStep = [&l](LoadStep step) {
                 if (step == LoadStep::kDescrambled)
                     ::unlink(l.plainPath.c_str());
             };
         },
         {kszTechnicalLoading, kszTechnicalFailed}, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        TempDir dir;
        TestLoad load(dir, true);
        c.arrange(load);
        EXPECT_EQ(load.Run(), c.events);
        EXPECT_EQ(load.table.GetCount(), 0);
        EXPECT_EQ(FileExists(load.plainPath), c.bPlainLeft);
        if (FileExists(load.plainPath + ".precious"))
        {
            EXPECT_EQ(ReadFile(load.plainPath + ".precious"), "precious data");
        }
        EXPECT_FALSE(FileExists(load.plainPath + ".new"));
    }
}

TEST(Loader, FailedWriteToThePlainFileIsAFailedLoad)
{
    // A full disk, made real with a file size limit in a child process of its own.
    for (bool bTechnical : {false, true})
    {
        TempDir dir;
        TestLoad load(dir, bTechnical);
        load.WriteVocabulary(Lines(2000, 'w'));
        const Events expected = bTechnical ? Events{kszTechnicalLoading, kszTechnicalFailed}
                                           : Events{kszGeneralFailed};
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0)
        {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const bool bOk = load.Run() == expected && load.table.GetCount() == 0;
            ::_exit(bOk ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "technical " << bTechnical;
        EXPECT_FALSE(FileExists(load.plainPath));
    }
}

TEST(Loader, StoppedLoadReportsNothingMoreAndLeavesNoPlainFile)
{
    struct Case { LoadStep step; Events events; };
    const Case cases[] = {
        {LoadStep::kOpened, {}},
        {LoadStep::kDescrambled, {kszTechnicalLoading}},
        {LoadStep::kEntriesRead, {kszTechnicalLoading}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(static_cast<int>(c.step));
        TempDir dir;
        TestLoad load(dir, true);
        load.WriteVocabulary(Lines(100, 's'));
        load.load.onStep = [&](LoadStep step) {
            if (step == c.step)
                load.target.RequestStop();
        };
        EXPECT_EQ(load.Run(), c.events);
        EXPECT_FALSE(FileExists(load.plainPath));
    }
}

TEST(Loader, StopWhileWaitingForAnotherCopysPlainFileLeavesThatFileAlone)
{
    TempDir dir;
    TestLoad load(dir, true);
    load.WriteVocabulary(kTechnicalText);
    WriteFile(load.plainPath, "another copy's text");
    FileHandle other(::open(load.plainPath.c_str(), O_RDWR));
    ASSERT_EQ(::flock(other.Get(), LOCK_EX), 0);

    std::thread loader([&] { load.Run(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    load.target.RequestStop();
    loader.join();
    EXPECT_EQ(load.target.Events(), Events{});
    EXPECT_EQ(ReadFile(load.plainPath), "another copy's text");
}

TEST(Loader, TwoCopiesSharingPlainFileNamesNeverMixTheirTexts)
{
    TempDir dir;
    for (int round = 0; round < 3; ++round)
    {
        TestLoad first(dir, true, 100000), second(dir, true, 100000);
        const std::string secondVocabulary = dir / "other.voca";
        second.load.szVocabularyFile = secondVocabulary.c_str();
        first.WriteVocabulary(Lines(40000, 'a'));
        WriteFile(secondVocabulary, Scramble(Lines(30000, 'b'), kTechnicalKey));

        std::thread secondThread([&] { second.Run(); });
        first.Run();
        secondThread.join();
        EXPECT_TRUE(EntriesOf(first.table) == EntriesOfLines(Lines(40000, 'a')));
        EXPECT_TRUE(EntriesOf(second.table) == EntriesOfLines(Lines(30000, 'b')));
        EXPECT_TRUE(first.target.FindEnabled());
        EXPECT_TRUE(second.target.FindEnabled());
        EXPECT_FALSE(FileExists(first.plainPath));
    }
}

TEST(Loader, ThreadProceduresLoadTheGlobalTablesFromTheCurrentDirectory)
{
    // The only test that touches the global tables: they cannot be emptied again.
    TempDir dir;
    WriteFile(dir / "0.voca", Scramble(kGeneralText, kGeneralKey));
    WriteFile(dir / "17.voca", Scramble(kTechnicalText, kTechnicalKey));
    char szOldDirectory[4096];
    ASSERT_TRUE(::getcwd(szOldDirectory, sizeof szOldDirectory));
    ASSERT_EQ(::chdir(dir.Path().c_str()), 0);

    RecordingTarget target;
    LoaderThreads loaders;
    loaders.Start(target);
    loaders.Wait();
    ASSERT_EQ(::chdir(szOldDirectory), 0);

    EXPECT_EQ(EntriesOf(g_generalVocabulary), (Events{"acid|\xCB\xE1\n", "base|\xBC\xEE\n"}));
    EXPECT_EQ(EntriesOf(g_technicalVocabulary), Events{kTechnicalText});
    EXPECT_EQ(g_bGeneralFileOk, 1);
    EXPECT_EQ(g_bTechnicalFileOk, 1);
    EXPECT_FALSE(FileExists(dir / "Temp_Test_Quillon0.pyq"));
    EXPECT_FALSE(FileExists(dir / "Temp_Test_Quillon2.pyq"));
    const Events events = target.Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), kFindEvent), 2);
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <system_error>
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

// Writes both vocabularies beside the load's files and makes its plain file's name a second
// name (a hard link) of one of them.
void LinkPlainFileTo(TestLoad& l, const std::string& vocabulary)
{
    const std::filesystem::path dir = std::filesystem::path(l.plainPath).parent_path();
    WriteFile(dir / "0.voca", Scramble(kGeneralText, kGeneralKey));
    WriteFile(dir / "17.voca", Scramble(kTechnicalText, kTechnicalKey));
    ASSERT_EQ(::link((dir / vocabulary).c_str(), l.plainPath.c_str()), 0);
}

// The text of every regular file beside the load's files but its plain file.
std::map<std::string, std::string> OtherFilesBeside(const TestLoad& l)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(l.plainPath).parent_path()))
        if (entry.symlink_status().type() == std::filesystem::file_type::regular && entry.path() != l.plainPath)
            files[entry.path().filename()] = ReadFile(entry.path());
    return files;
}

// Makes fd read one page of lines and then fail with EIO, as a failing disk would: it reads
// this process's memory, where no page is mapped behind that one.
constexpr int kLinesInOnePage = 4096 / 8;
void ReadFailsAfterOnePage(int fd)
{
    const auto nPage = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    ASSERT_EQ(nPage, 4096u);
    void* pPages = ::mmap(nullptr, 2 * nPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(pPages, MAP_FAILED);
    auto* p = static_cast<char*>(pPages);
    for (std::size_t i = 0; i < nPage; i += 8)
        std::memcpy(p + i, "line|ab\n", 8);
    ::munmap(p + nPage, nPage);
    FileHandle memory(::open("/proc/self/mem", O_RDONLY | O_CLOEXEC));
    ASSERT_EQ(::lseek(memory.Get(), static_cast<off_t>(reinterpret_cast<std::uintptr_t>(p)), SEEK_SET),
              static_cast<off_t>(reinterpret_cast<std::uintptr_t>(p)));
    ASSERT_EQ(::dup2(memory.Get(), fd), fd);
}

}  // namespace

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
        // A table without slots: its memory could not be reserved. A failed load, not a full one.
        {"no memory for the general table", false, "a\n", 0, {kszGeneralFailed}, 0},
        {"no memory for the technical table", true, "a\n", 0, {kszTechnicalLoading, kszTechnicalFailed}, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        TempDir dir;
        TestLoad load(dir, c.bTechnical, c.nCapacity);
        load.WriteVocabulary(c.text);
        WriteFile(load.plainPath, Lines(50, 'x'));  // left over from an earlier run, and longer
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
    // Each case disturbs the files of a load, general and technical alike. kMissing: the
    // load shows its missing text; kFailed: it says it failed after its files were opened.
    // Either way Find stays as it was and no other file changes.
    enum Outcome { kMissing, kFailed };
    struct Case
    {
        const char* name;
        std::function<void(TestLoad&)> arrange;
        Outcome outcome;
        bool bPlainLeft;
        int nEntriesKept = 0;
    };
    const Case cases[] = {
        {"vocabulary file missing", [](TestLoad&) {}, kMissing, true},
        {"vocabulary file is a directory",
         [](TestLoad& l) { ::mkdir(l.vocabularyPath.c_str(), 0700); },
         kMissing, true},
        {"vocabulary file is a FIFO (must not hang)",
         [](TestLoad& l) { ::mkfifo(l.vocabularyPath.c_str(), 0600); },
         kMissing, true},
        // None of these depends on permissions, so each holds when the tests run as root.
        {"vocabulary file is a symlink loop",
         [](TestLoad& l) { ASSERT_EQ(::symlink(l.vocabularyPath.c_str(), l.vocabularyPath.c_str()), 0); },
         kMissing, true},
        {"vocabulary file is a dangling symlink",
         [](TestLoad& l) { ASSERT_EQ(::symlink((l.vocabularyPath + ".gone").c_str(), l.vocabularyPath.c_str()), 0); },
         kMissing, true},
        {"vocabulary file is a device (must not read forever)",
         [](TestLoad& l) { ASSERT_EQ(::symlink("/dev/zero", l.vocabularyPath.c_str()), 0); },
         kMissing, true},
        // A regular file whose read fails: offset 0 of the process's own memory is unmapped.
        {"vocabulary file cannot be read (EIO)",
         [](TestLoad& l) { ASSERT_EQ(::symlink("/proc/self/mem", l.vocabularyPath.c_str()), 0); },
         kFailed, false},
        {"plain file name is a symlink loop",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             ASSERT_EQ(::symlink(l.plainPath.c_str(), l.plainPath.c_str()), 0);
         },
         kMissing, true},
        {"plain file cannot be created",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             ::mkdir(l.plainPath.c_str(), 0700);
         },
         kMissing, true},
        // A link under the plain file's name is never followed: neither emptied, filled nor
        // created, whatever it points to.
        {"plain file name is a link to a device",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             ASSERT_EQ(::symlink("/dev/full", l.plainPath.c_str()), 0);
         },
         kMissing, true},
        {"plain file name is a link to someone's file",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             WriteFile(l.plainPath + ".precious", "precious data");
             ASSERT_EQ(::symlink((l.plainPath + ".precious").c_str(), l.plainPath.c_str()), 0);
         },
         kMissing, true},
        {"plain file name is a dangling link",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             ASSERT_EQ(::symlink((l.plainPath + ".new").c_str(), l.plainPath.c_str()), 0);
         },
         kMissing, true},
        {"plain file name is a hard link to 0.voca",
         [](TestLoad& l) { LinkPlainFileTo(l, "0.voca"); }, kMissing, true},
        {"plain file name is a hard link to 17.voca",
         [](TestLoad& l) { LinkPlainFileTo(l, "17.voca"); }, kMissing, true},
        {"plain file is a FIFO",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             ASSERT_EQ(::mkfifo(l.plainPath.c_str(), 0600), 0);
         },
         kFailed, true},
        // Writes fail as on a full disk: the plain file's writing descriptor leads to /dev/full.
        {"plain file cannot take the text (ENOSPC)",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             l.load.onStep = [](LoadStep step, int fd) {
                 if (step == LoadStep::kOpened)
                     ::dup2(FileHandle(::open("/dev/full", O_WRONLY | O_CLOEXEC)).Get(), fd);
             };
         },
         kFailed, false},
        {"plain file removed before it is read back",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             l.load.onStep = [&l](LoadStep step, int) {
                 if (step == LoadStep::kDescrambled)
                     ::unlink(l.plainPath.c_str());
             };
         },
         kFailed, false},
        // The entries read before the error stay: a search may already have seen them.
        {"reading the plain file back fails after its first page (EIO)",
         [](TestLoad& l) {
             l.WriteVocabulary(kTechnicalText);
             l.load.onStep = [](LoadStep step, int fd) {
                 if (step == LoadStep::kReadingEntries)
                     ReadFailsAfterOnePage(fd);
             };
         },
         kFailed, false, kLinesInOnePage},
    };
    for (const auto& c : cases)
    {
        for (const bool bTechnical : {false, true})
        {
            SCOPED_TRACE(testing::Message() << c.name << (bTechnical ? ", technical" : ", general"));
            TempDir dir;
            TestLoad load(dir, bTechnical);
            c.arrange(load);
            const auto others = OtherFilesBeside(load);
            Events expected{c.outcome == kMissing ? load.load.szMissingText : load.load.szFailedText};
            if (c.outcome == kFailed && load.load.szLoadingText)
                expected.insert(expected.begin(), load.load.szLoadingText);
            EXPECT_EQ(load.Run(), expected);
            EXPECT_EQ(load.table.GetCount(), c.nEntriesKept);
            EXPECT_EQ(load.bFileOk, c.outcome == kMissing ? 0 : 1);
            EXPECT_EQ(FileExists(load.plainPath), c.bPlainLeft);
            // A plain file that the load created and left behind holds no text.
            std::error_code ec;
            if (std::filesystem::is_regular_file(std::filesystem::symlink_status(load.plainPath)) &&
                std::filesystem::hard_link_count(load.plainPath, ec) == 1)
            {
                EXPECT_EQ(ReadFile(load.plainPath), "");
            }
            EXPECT_EQ(OtherFilesBeside(load), others);
            EXPECT_FALSE(FileExists(load.plainPath + ".new"));
        }
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
        load.load.onStep = [&](LoadStep step, int) {
            if (step == c.step)
                load.target.RequestStop();
        };
        EXPECT_EQ(load.Run(), c.events);
        EXPECT_FALSE(FileExists(load.plainPath));
    }
}

TEST(Loader, WaitForAnotherCopysPlainFileShowsAndEndsWhenStoppedOrLetGo)
{
    // Another copy holds the general plain file's lock. The status line says so; then the
    // window closes (stop) or the other copy lets go. The general load shows no texts of its
    // own, so after a wait it shows the start and end, lest the waiting text stay.
    struct Case { bool bLetGo; Events events; const char* szLeft; };
    const Case cases[] = {
        {false, {kszWaitingForOtherCopy}, "another copy's text"},
        {true, {kszWaitingForOtherCopy, kszTechnicalLoading, kszTechnicalLoaded, kFindEvent}, nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.bLetGo);
        TempDir dir;
        TestLoad load(dir, false);
        load.WriteVocabulary(kGeneralText);
        WriteFile(load.plainPath, "another copy's text");
        FileHandle other(::open(load.plainPath.c_str(), O_RDWR));
        ASSERT_EQ(::flock(other.Get(), LOCK_EX), 0);

        std::thread loader([&] { load.Run(); });
        for (int i = 0; i < 10000 && load.target.Events().empty(); ++i)  // a hang guard, no more
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (c.bLetGo)
            other.Close();
        else
            load.target.RequestStop();
        loader.join();
        EXPECT_EQ(load.target.Events(), c.events);
        if (c.szLeft)
        {
            EXPECT_EQ(ReadFile(load.plainPath), c.szLeft);
        }
        else
        {
            EXPECT_FALSE(FileExists(load.plainPath));
        }
    }
}

TEST(Loader, ThreadProceduresLoadTheGlobalTablesAndAThreadThatCannotStartIsAFailedLoad)
{
    // The only test that touches the global tables. They cannot be emptied again, so each
    // case loads one of them while the other loader's thread cannot be started (as when the
    // process is out of memory or threads): that load fails, the program goes on.
    TempDir dir;
    WriteFile(dir / "0.voca", Scramble(kGeneralText, kGeneralKey));
    WriteFile(dir / "17.voca", Scramble(kTechnicalText, kTechnicalKey));
    char szOldDirectory[4096];
    ASSERT_TRUE(::getcwd(szOldDirectory, sizeof szOldDirectory));
    ASSERT_EQ(::chdir(dir.Path().c_str()), 0);

    struct Case { int nUnstartable; Events events; };  // threads are started general first
    const Case cases[] = {
        {1, {kszTechnicalFailed, kFindEvent}},
        {0, {kszGeneralFailed, kszTechnicalLoading, kszTechnicalLoaded, kFindEvent}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.nUnstartable);
        RecordingTarget target;
        int nStarted = 0;
        LoaderThreads loaders([&](std::function<void()> body) {
            if (nStarted++ == c.nUnstartable)
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            return std::thread(std::move(body));
        });
        loaders.Start(target);
        loaders.Wait();
        EXPECT_FALSE(loaders.IsRunning());
        Events events = target.Events(), expected = c.events;  // the two loaders interleave
        std::sort(events.begin(), events.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(events, expected);
    }
    ASSERT_EQ(::chdir(szOldDirectory), 0);

    EXPECT_EQ(EntriesOf(g_generalVocabulary), (Events{"acid|\xCB\xE1\n", "base|\xBC\xEE\n"}));
    EXPECT_EQ(EntriesOf(g_technicalVocabulary), Events{kTechnicalText});
    EXPECT_EQ(g_bGeneralFileOk, 1);
    EXPECT_EQ(g_bTechnicalFileOk, 1);
    EXPECT_FALSE(FileExists(dir / "Temp_Test_Quillon0.pyq"));
    EXPECT_FALSE(FileExists(dir / "Temp_Test_Quillon2.pyq"));
}

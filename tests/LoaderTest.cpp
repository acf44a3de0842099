#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"
#include "vocabulary/FileHandle.h"
#include "vocabulary/LoaderThreads.h"
#include "vocabulary/StatusLine.h"
#include "vocabulary/StatusTexts.h"

namespace
{
using Events = std::vector<std::string>;
using Arrange = std::function<void(TestLoad&)>;

const std::string kGeneralText = "acid|\xCB\xE1\nbase|\xBC\xEE\r\n", kTechnicalText = "sulfuric acid|\xC1\xF2\xCB\xE1\n";

// What a load reported, as one string, so that a child process can hand it back.
std::string Outcome(const Events& events, int nEntries, int bFileOk)
{
    return testing::PrintToString(events) + ", entries " + std::to_string(nEntries) + ", file ok " + std::to_string(bFileOk);
}
std::string RunLoad(TestLoad& l) { const Events events = l.Run(); return Outcome(events, l.table.GetCount(), l.bFileOk); }

// Runs the load in a child that has dropped root, where a file's mode counts (the suite runs
// as root on CI): whether its Outcome is the expected one.
bool LoadsAsNobody(TestLoad& l, const std::string& expected)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit((::geteuid() != 0 || (::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
                                      ::setresuid(65534, 65534, 65534) == 0)) && RunLoad(l) == expected ? 0 : 1);
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A row's arrangement that first writes the vocabulary file; OnStep's acts at one step of the load.
Arrange WithText(Arrange arrange) { return [arrange](TestLoad& l) { l.WriteVocabulary(kTechnicalText); arrange(l); }; }
Arrange OnStep(LoadStep at, std::function<void(TestLoad&, int fd)> act)
{
    return WithText([at, act](TestLoad& l) { l.load.onStep = [at, act, &l](LoadStep step, int fd) { if (step == at) act(l, fd); }; });
}

// Makes fd read one page of 8-byte lines and then fail with EIO, as a failing disk would: it
// reads this process's memory, where no page is mapped behind that one.
void ReadFailsAfterOnePage(int fd)
{
    auto* p = static_cast<char*>(::mmap(nullptr, 8192, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    for (std::size_t i = 0; i < 4096; i += 8) std::memcpy(p + i, "line|ab\n", 8);
    ::munmap(p + 4096, 4096);
    ::dup2(FileHandle(::open("/proc/self/mem", O_RDONLY | O_CLOEXEC)).Get(), fd);
    ASSERT_EQ(::lseek(fd, reinterpret_cast<off_t>(p), SEEK_SET), reinterpret_cast<off_t>(p));
}

void Symlink(const std::string& target, const std::string& path) { ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0); }
}  // namespace

TEST(Loader, EachKindOfFileEndsInItsOwnStatusTextAndTouchesNoOtherFile)
{
    // General and technical alike. kMissing: the load shows its missing text; kFailed: it says
    // it failed after its files were opened, and Find stays as it was. No other file changes;
    // a plain file the load created and left behind holds no text.
    // kStopped: the window closed at that step; the load shows nothing more and leaves no plain file.
    enum Result { kLoaded, kTruncated, kMissing, kFailed, kStoppedBeforeStart, kStopped };
    auto stopAt = [](LoadStep at) { return OnStep(at, [](TestLoad& l, int) { l.target.RequestStop(); }); };
    struct Case { const char* name; Arrange arrange; Result result; bool bPlainLeft; int nEntries = 0; int nCapacity = 1000; bool bAsNobody = false; };
    const Case cases[] = {
        {"empty file, an earlier run's longer plain file", [](TestLoad& l) { l.WriteVocabulary(""); WriteFile(l.plainPath, kGeneralText); }, kLoaded, false},
        {"more lines than the table holds", [](TestLoad& l) { l.WriteVocabulary("a\nb\n"); }, kTruncated, false, 1, 1},
        {"10 MB in one line: 254-byte pieces fill the table", [](TestLoad& l) { l.WriteVocabulary(std::string(10'000'000, 'x')); }, kTruncated, false, 1000},
        {"no memory for the table", WithText([](TestLoad&) {}), kFailed, false, 0, 0},
        {"stopped once the files are opened", stopAt(LoadStep::kOpened), kStoppedBeforeStart, false},
        {"stopped once the text is descrambled", stopAt(LoadStep::kDescrambled), kStopped, false},
        {"stopped once the entries are read", stopAt(LoadStep::kEntriesRead), kStopped, false, 1},
        {"vocabulary file missing", [](TestLoad&) {}, kMissing, true},
        {"vocabulary file is a directory", [](TestLoad& l) { ::mkdir(l.vocabularyPath.c_str(), 0700); }, kMissing, true},
        {"vocabulary file is a symlink loop", [](TestLoad& l) { Symlink(l.vocabularyPath, l.vocabularyPath); }, kMissing, true},
        {"vocabulary file is a FIFO (must not hang)", [](TestLoad& l) { ::mkfifo(l.vocabularyPath.c_str(), 0600); }, kMissing, true},
        {"vocabulary file is a device (must not read forever)", [](TestLoad& l) { Symlink("/dev/zero", l.vocabularyPath); }, kMissing, true},
        // Opened for update: a file the user cannot write fails like a missing one.
        {"vocabulary file read-only", WithText([](TestLoad& l) { ::chmod(l.vocabularyPath.c_str(), 0444); ::chmod(std::filesystem::path(l.plainPath).parent_path().c_str(), 0777); }), kMissing, true, 0, 1000, true},
        // A regular file whose read fails: offset 0 of the process's own memory is unmapped.
        {"vocabulary file cannot be read (EIO)", [](TestLoad& l) { Symlink("/proc/self/mem", l.vocabularyPath); }, kFailed, false},
        {"plain file name is a symlink loop", WithText([](TestLoad& l) { Symlink(l.plainPath, l.plainPath); }), kMissing, true},
        {"plain file cannot be created", WithText([](TestLoad& l) { ::mkdir(l.plainPath.c_str(), 0700); }), kMissing, true},
        // A link under the plain file's name is never followed: neither emptied, filled nor created.
        {"plain file name is a link to someone's file", WithText([](TestLoad& l) { WriteFile(l.plainPath + ".mine", "data"); Symlink(l.plainPath + ".mine", l.plainPath); }), kMissing, true},
        {"plain file name is a dangling link", WithText([](TestLoad& l) { Symlink(l.plainPath + ".new", l.plainPath); }), kMissing, true},
        {"plain file name is a hard link to the vocabulary", WithText([](TestLoad& l) { ::link(l.vocabularyPath.c_str(), l.plainPath.c_str()); }), kMissing, true},
        {"plain file is a FIFO", WithText([](TestLoad& l) { ::mkfifo(l.plainPath.c_str(), 0600); }), kFailed, true},
        // Writes fail as on a full disk: the plain file's writing descriptor leads to /dev/full.
        {"plain file cannot take the text (ENOSPC)", OnStep(LoadStep::kOpened, [](TestLoad&, int fd) { ::dup2(FileHandle(::open("/dev/full", O_WRONLY | O_CLOEXEC)).Get(), fd); }), kFailed, false},
        {"plain file removed before it is read back", OnStep(LoadStep::kDescrambled, [](TestLoad& l, int) { ::unlink(l.plainPath.c_str()); }), kFailed, false},
        // The entries read before the error stay: a search may already have seen them.
        {"reading the plain file back fails after a page (EIO)", OnStep(LoadStep::kReadingEntries, [](TestLoad&, int fd) { ReadFailsAfterOnePage(fd); }), kFailed, false, 4096 / 8},
    };
    for (const auto& c : cases)
        for (const bool bTechnical : {false, true})
        {
            SCOPED_TRACE(testing::Message() << c.name << (bTechnical ? ", technical" : ", general"));
            TempDir dir;
            TestLoad load(dir, bTechnical, c.nCapacity);
            c.arrange(load);
            // Afterwards only the plain file may differ: gone, or left as it was, or created empty.
            auto files = ListDirectory(dir.Path());
            const std::string plainName = std::filesystem::path(load.plainPath).filename();
            c.bPlainLeft ? (void)files.try_emplace(plainName, "") : (void)files.erase(plainName);
            const VocabularyLoad& l = load.load;
            Events expected;
            if (c.result != kMissing && c.result != kStoppedBeforeStart && l.szLoadingText)
                expected.push_back(l.szLoadingText);
            if (const char* szEnd = c.result == kLoaded ? l.szLoadedText : c.result == kTruncated ? l.szTruncatedText : nullptr)
                expected.push_back(szEnd);
            if (c.result <= kFailed)
                expected.push_back(c.result == kMissing ? l.szMissingText : c.result == kFailed ? l.szFailedText : kFindEvent);
            const std::string outcome = Outcome(expected, c.nEntries, c.result == kMissing ? 0 : 1);
            EXPECT_EQ(c.bAsNobody ? (LoadsAsNobody(load, outcome) ? outcome : "the child's differs") : RunLoad(load), outcome);
            EXPECT_EQ(ListDirectory(dir.Path()), files);
        }
}

TEST(Loader, WaitForAnotherCopysPlainFileShowsAndEndsWhenStoppedOrLetGo)
{
    // Another copy holds the general plain file's lock; then the window closes (stop) or the
    // other copy lets go. The general load shows no texts of its own, so after a wait it
    // shows the start and end, lest the waiting text stay.
    for (const bool bLetGo : {false, true})
    {
        TempDir dir;
        TestLoad load(dir, false);
        load.WriteVocabulary(kGeneralText);
        WriteFile(load.plainPath, "another copy's text");
        FileHandle other(::open(load.plainPath.c_str(), O_RDWR));
        ASSERT_EQ(::flock(other.Get(), LOCK_EX), 0);
        std::thread loader([&] { load.Run(); });
        for (int i = 0; i < 10000 && load.target.Events().empty(); ++i)  // a hang guard, no more
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        bLetGo ? (void)other.Close() : load.target.RequestStop();
        loader.join();
        EXPECT_EQ(load.target.Events(), (bLetGo ? Events{kszWaitingForOtherCopy, kszLoading, kszLoaded, kFindEvent}
                                                : Events{kszWaitingForOtherCopy}));
        EXPECT_EQ(FileExists(load.plainPath) ? ReadFile(load.plainPath) : "<removed>", bLetGo ? "<removed>" : "another copy's text");
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
    const auto oldDirectory = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    // Threads are started general first; the two loaders' events interleave, so they are sorted.
    for (const auto& [nUnstartable, events] : {std::pair{1, Events{kFindEvent, kszTechnicalFailed}},
                                               {0, {kFindEvent, kszGeneralFailed, kszLoaded, kszLoading}}})
    {
        RecordingTarget target;
        int nStarted = 0;
        LoaderThreads loaders([&](std::function<void()> body) {
            return nStarted++ == nUnstartable ? throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again))
                                              : std::thread(std::move(body)); });
        loaders.Start(target), loaders.Wait();
        Events sorted = target.Events(), expected = events;
        std::ranges::sort(sorted), std::ranges::sort(expected);
        EXPECT_EQ(std::pair(sorted, loaders.IsRunning()), std::pair(expected, false)) << nUnstartable;
    }
    std::filesystem::current_path(oldDirectory);
    // Both tables filled, both files ok, no plain file left.
    EXPECT_EQ(std::tuple(EntriesOf(g_generalVocabulary), EntriesOf(g_technicalVocabulary), g_bGeneralFileOk + g_bTechnicalFileOk,
                         ListDirectory(dir.Path()).size()),
              std::tuple(Events{"acid|\xCB\xE1\n", "base|\xBC\xEE\n"}, Events{kTechnicalText}, 2, 2u));
}

TEST(StatusLine, ReportsThatOnlySayALoadWaitsBeganOrEndedNeverHideAFailure)
{
    using enum LoadEvent;
    for (const LoadEvent shown : {kMissing, kFailed, kTruncated})
        for (const LoadEvent next : {kWaiting, kLoading, kLoaded})
            EXPECT_FALSE(ReplacesStatusText(shown, next)) << int(shown) << " " << int(next);
    EXPECT_TRUE(ReplacesStatusText(kLoading, kLoaded) && ReplacesStatusText(kWaiting, kLoading) && ReplacesStatusText(kMissing, kFailed) &&
                ReplacesStatusText(kFailed, kTruncated) && ReplacesStatusText(std::nullopt, kLoading));
}

// The sorellan-find command-line lookup, run as a child process on tiny vocabularies with a
// home directory of its own.
#include <fcntl.h>
#include <signal.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"

namespace
{
using namespace std::string_literals;

// GBK: 苹果 apple, 凤梨 pineapple, 什么 what, 苹果酸 malic acid, 苯 benzene. 51 entries that
// hold "ion" only inside a word come before the one that holds it as a word.
std::string GeneralText()
{
    std::string text = "fruit|apple|\xC6\xBB\xB9\xFB\n"
                       "pineapple|\xB7\xEF\xC0\xE6\n"
                       "what?|\xCA\xB2\xC3\xB4\n";
    for (int i = 0; i < 51; ++i)
        text += "cations|" + std::to_string(i) + "\n";
    return text + "an ion|x\n";
}
const std::string kTechnical = "apple acid|\xC6\xBB\xB9\xFB\xCB\xE1\n"
                               "benzene|\xB1\xBD\n"
                               "bad\xFF byte\rend\n";

// The directory the tool is run in, as a test sets it up.
using DirSetup = std::function<void(const std::string& dir)>;

DirSetup Vocabularies(const std::string& general, const std::string& technical)
{
    return [=](const std::string& dir) {
        if (!general.empty())
            WriteFile(dir + "/0.voca", Scramble(general, kGeneralKey));
        if (!technical.empty())
            WriteFile(dir + "/17.voca", Scramble(technical, kTechnicalKey));
    };
}
const DirSetup kBoth = Vocabularies(GeneralText(), kTechnical);

struct FindRun : RunResult
{
    std::vector<std::string> leftInDir;  // sorted
    std::string home;                    // gone with the run; its path only
};

std::vector<std::string> SortedNames(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs the tool in `scratch`/work, set up by `setup`, with HOME `scratch`/home and
// `environment` besides.
FindRun RunFindIn(const TempDir& scratch, const std::vector<std::string>& args,
                  const std::string& input, const DirSetup& setup,
                  std::vector<std::string> environment = {})
{
    const std::string work = scratch / "work";
    std::filesystem::create_directories(work);
    std::filesystem::create_directories(scratch / "home");
    setup(work);
    environment.push_back("HOME=" + scratch / "home");
    environment.push_back("PATH=/usr/bin:/bin");
    FindRun result;
    static_cast<RunResult&>(result) = RunProgram(SORELLAN_FIND_PATH, args, work, input, environment);
    result.leftInDir = SortedNames(work);
    return result;
}

FindRun RunFind(const std::vector<std::string>& args, const std::string& input = {},
                const DirSetup& setup = kBoth)
{
    const TempDir scratch;
    return RunFindIn(scratch, args, input, setup);
}

// The two loaders run side by side, so their status lines may come in either order.
std::vector<std::string> SortedLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t pos = 0, end; (end = text.find('\n', pos)) != std::string::npos;
         pos = end + 1)
        lines.push_back(text.substr(pos, end - pos));
    std::sort(lines.begin(), lines.end());
    return lines;
}

const std::string kLoaded = "读取词汇...\n词汇读取完成!\n";
const std::string kAppleGeneral = "General (2):\n  <精> fruit apple 苹果\n  <扩> pineapple 凤梨\n";
const std::string kApple = "Query: apple\n" + kAppleGeneral + "Technical (1):\n  apple acid|苹果酸\n";
const std::string kNone = "\nGeneral (0):\nTechnical (0):\n";
const std::string kOn = "\x1B[01;31m\x1B[K";
const std::string kOff = "\x1B[m\x1B[K";
const std::vector<std::string> kVocabularyFiles{"0.voca", "17.voca"};

}  // namespace

TEST(SorellanFindTest, OptionsShapeTheSearchAndItsOutput)
{
    const struct
    {
        std::vector<std::string> args;
        std::string input;
        std::string out;
    } cases[] = {
        // --raw: the result texts exactly as built (GBK, tags, "\r\n"), each behind a NUL.
        {{"--raw", "apple"}, "",
         "\x3C\xBE\xAB\x3E\x20" "fruit apple \xC6\xBB\xB9\xFB\n\r\n"
         "\x3C\xC0\xA9\x3E\x20" "pineapple \xB7\xEF\xC0\xE6\n\r\n\0"
         "apple acid|\xC6\xBB\xB9\xFB\xCB\xE1\n\r\n\0"s},
        {{"  \xB1\xBD ", "--raw"}, "", "\0benzene|\xB1\xBD\n\r\n\0"s},
        // UTF-8, one entry a line, no CR; case matters unless -i.
        {{"apple", "Apple"}, "", kApple + "\nQuery: Apple" + kNone},
        {{"-i", "APPLE"}, "", "Query: APPLE\n" + kAppleGeneral + "Technical (1):\n  apple acid|苹果酸\n"},
        {{"byte"}, "", "Query: byte\nGeneral (0):\nTechnical (1):\n  bad\uFFFD byte end\n"},
        // -w counts inside the search: the one whole "ion" is found behind the 51 that the
        // expanded list's cap of 50 would otherwise fill.
        {{"-w", "ion"}, "", "Query: ion\nGeneral (1):\n  <扩> an ion x\nTechnical (0):\n"},
        {{"-iw", "Apple"}, "", "Query: Apple\nGeneral (1):\n  <精> fruit apple 苹果\nTechnical (1):\n  apple acid|苹果酸\n"},
        // Colour marks each keyword where it matched, never the tag; not when output is no
        // terminal, as here, unless asked.
        {{"--color=always", "-i", "APPLE 苹果"}, "",
         "Query: APPLE 苹果\nGeneral (1):\n  <扩> fruit " + kOn + "apple" + kOff + " " + kOn + "苹果" +
             kOff + "\nTechnical (1):\n  " + kOn + "apple" + kOff + " acid|" + kOn + "苹果" + kOff + "酸\n"},
        {{"--color", "benzene"}, "", "Query: benzene\nGeneral (0):\nTechnical (1):\n  benzene|苯\n"},
        // "--" ends the options; what GBK lacks, and bad UTF-8, match nothing.
        {{"--", "-i"}, "", "Query: -i" + kNone},
        {{"what\U0001F600", "what\xFF"}, "", "Query: what\uFFFD" + kNone + "\nQuery: what\uFFFD" + kNone},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(testing::PrintToString(test.args));
        const FindRun run = RunFind(test.args, test.input);
        EXPECT_EQ(run.nExit, 0) << run.err;
        EXPECT_EQ(run.out, test.out);
        EXPECT_EQ(SortedLines(run.err), SortedLines(kLoaded));
        EXPECT_EQ(run.leftInDir, kVocabularyFiles);  // no plain file left behind
    }
}

TEST(SorellanFindTest, VocabulariesAndQueriesComeFromWhereTheyShould)
{
    const std::string bundled = LEXIVANT2_DATA_DIR;
    const struct
    {
        const char* szWhat;
        std::vector<std::string> args;
        std::string input;
        DirSetup setup;
        bool bXdg;             // XDG_DATA_HOME set to a directory of the scratch
        std::string outHolds;  // "": nothing written
        std::string errHolds;
        const char* szLoadedFrom;  // under the scratch; the copies there are the bundled ones
    } cases[] = {
        {"queries a line, blank ones skipped", {}, "apple\r\n \n , ;\n  zzz  \n", kBoth, false,
         kApple + "\nQuery: zzz" + kNone, "", nullptr},
        {"a blank argument is skipped", {"", "apple"}, "", kBoth, false, kApple, "", nullptr},
        {"the current directory first", {"-v"}, "", kBoth, false, "", "loading the vocabularies in /", nullptr},
        {"--dir", {"--dir", "../elsewhere", "-v", "苯"}, "",
         [](const std::string& dir) {
             std::filesystem::create_directory(dir + "/../elsewhere");
             Vocabularies("", kTechnical)(dir + "/../elsewhere");
         },
         false, "Technical (1):\n  benzene|苯\n", "/elsewhere\n", nullptr},
        {"the per-user directory, filled as the launcher fills it", {"-v", "硫酸"}, "",
         [](const std::string&) {}, false, "硫酸", "/home/.local/share/sorellan\n",
         "home/.local/share/sorellan"},
        {"XDG_DATA_HOME", {"-v", "硫酸"}, "", [](const std::string&) {}, true, "硫酸",
         "/xdg/sorellan\n", "xdg/sorellan"},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.szWhat);
        const TempDir scratch;
        std::vector<std::string> environment;
        if (test.bXdg)
            environment.push_back("XDG_DATA_HOME=" + scratch / "xdg");
        const FindRun run = RunFindIn(scratch, test.args, test.input, test.setup, environment);
        EXPECT_EQ(run.nExit, 0) << run.err;
        if (test.outHolds.empty())
            EXPECT_EQ(run.out, "");
        else
            EXPECT_NE(run.out.find(test.outHolds), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(test.errHolds), std::string::npos) << run.err;
        if (test.szLoadedFrom)
        {
            for (const char* szName : {"0.voca", "17.voca"})
                EXPECT_TRUE(ReadFile(scratch / test.szLoadedFrom + "/" + szName) ==
                            ReadFile(bundled + "/" + szName));
            EXPECT_EQ(run.leftInDir, std::vector<std::string>{});
        }
    }
}

TEST(SorellanFindTest, ExitStatusAndMessagesSayWhatWentWrong)
{
    const auto general = GeneralText();
    const DirSetup directoryAsGeneral = [](const std::string& dir) {
        std::filesystem::create_directory(dir + "/0.voca");
        Vocabularies("", kTechnical)(dir);
    };
    const DirSetup fifoAsTechnical = [general](const std::string& dir) {
        Vocabularies(general, "")(dir);
        ASSERT_EQ(mkfifo((dir + "/17.voca").c_str(), 0644), 0);
    };
    const std::string kUsage = "usage: sorellan-find [OPTION...] [--] [QUERY...]\n"
                               "Try 'sorellan-find --help' for more.\n";
    const struct
    {
        std::vector<std::string> args;
        DirSetup setup;
        int nExit;
        std::string err;  // its lines in any order
        std::vector<std::string> left;
    } cases[] = {
        // One vocabulary is enough; the other's plain file does not stay behind.
        {{"benzene"}, Vocabularies("", kTechnical), 0, "文件0.voca不存在! (0.voca: No such file or directory)\n" + kLoaded,
         {"17.voca"}},
        {{"apple"}, Vocabularies(general, ""), 0, "词汇文件不存在! (17.voca: No such file or directory)\n", {"0.voca"}},
        {{"benzene"}, directoryAsGeneral, 0, "文件0.voca不存在! (0.voca: Is a directory)\n" + kLoaded, kVocabularyFiles},
        {{"apple"}, fifoAsTechnical, 0, "词汇文件不存在! (17.voca: not a regular file)\n", kVocabularyFiles},
        // Neither loads.
        {{"--dir", ".", "apple"}, Vocabularies("", ""), 1,
         "文件0.voca不存在! (0.voca: No such file or directory)\n词汇文件不存在! (17.voca: No such file or directory)\n", {}},
        {{"--dir", "missing", "apple"}, Vocabularies("", ""), 1, "sorellan-find: missing: No such file or directory\n", {}},
        // Usage errors come before any load; help and version need none.
        {{"--bogus"}, kBoth, 2, "sorellan-find: unknown option '--bogus'\n" + kUsage, kVocabularyFiles},
        {{"apple", "-x"}, kBoth, 2, "sorellan-find: unknown option '-x'\n" + kUsage, kVocabularyFiles},
        {{"--color=pink"}, kBoth, 2, "sorellan-find: --color takes auto, always or never, not 'pink'\n" + kUsage, kVocabularyFiles},
        {{"--raw", "--json"}, kBoth, 2, "sorellan-find: --raw and --json exclude each other\n" + kUsage, kVocabularyFiles},
        {{"--dir"}, kBoth, 2, "sorellan-find: --dir needs a directory\n" + kUsage, kVocabularyFiles},
        {{"-h"}, kBoth, 0, "", kVocabularyFiles},
        {{"--version"}, kBoth, 0, "", kVocabularyFiles},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(testing::PrintToString(test.args));
        const FindRun run = RunFind(test.args, "", test.setup);
        EXPECT_EQ(run.nExit, test.nExit);
        EXPECT_EQ(SortedLines(run.err), SortedLines(test.err)) << run.err;
        EXPECT_EQ(run.leftInDir, test.left);
        EXPECT_EQ(run.out.empty(), test.nExit != 0) << run.out;
    }
}

TEST(SorellanFindTest, JsonGivesOneObjectAQueryWithTheThreeLists)
{
    const FindRun run = RunFind({"--json"}, "apple\n苹果 酸\n\"\\\n");
    ASSERT_EQ(run.nExit, 0) << run.err;
    std::vector<nlohmann::json> objects;
    for (std::size_t pos = 0, end; (end = run.out.find('\n', pos)) != std::string::npos; pos = end + 1)
        objects.push_back(nlohmann::json::parse(run.out.substr(pos, end - pos)));
    const std::vector<nlohmann::json> expected = {
        {{"query", "apple"}, {"exact", {"fruit apple 苹果"}}, {"expanded", {"pineapple 凤梨"}},
         {"technical", {"apple acid|苹果酸"}}},
        {{"query", "苹果 酸"}, {"exact", nlohmann::json::array()}, {"expanded", nlohmann::json::array()},
         {"technical", {"apple acid|苹果酸"}}},
        {{"query", "\"\\"}, {"exact", nlohmann::json::array()}, {"expanded", nlohmann::json::array()},
         {"technical", nlohmann::json::array()}},
    };
    EXPECT_EQ(objects, expected) << run.out;
}

TEST(SorellanFindTest, AtATerminalItPromptsColoursAndKeepsAHistory)
{
    const TempDir scratch;
    kBoth(scratch.Path());
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0)
    {
        if (chdir(scratch.Path().c_str()) == 0)
        {
            const std::string home = "HOME=" + scratch.Path();
            char* const argv[] = {const_cast<char*>(SORELLAN_FIND_PATH), nullptr};
            char* const envp[] = {const_cast<char*>(home.c_str()), const_cast<char*>("TERM=xterm"), nullptr};
            execve(SORELLAN_FIND_PATH, argv, envp);
        }
        _exit(127);
    }
    // Reads what the terminal shows until `done` holds (or 20 s pass).
    std::string shown;
    const auto waitUntil = [&](const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done() && std::chrono::steady_clock::now() < deadline)
        {
            pollfd fd{master, POLLIN, 0};
            char buffer[4096];
            // Once the program has gone the terminal reads as ended; the program may not be
            // reaped yet.
            const ssize_t n = poll(&fd, 1, 100) > 0 ? read(master, buffer, sizeof buffer) : 0;
            if (n > 0)
                shown.append(buffer, static_cast<std::size_t>(n));
            else if (n < 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    };
    // Typing goes in once the nth prompt is shown and the line editor has the terminal in
    // raw mode: switching to it may flush what was typed before.
    const auto waitForPrompt = [&](std::size_t nPrompt) {
        return waitUntil([&] {
            std::size_t nShown = 0;
            for (std::size_t pos = 0; (pos = shown.find("sorellan> ", pos)) != std::string::npos; ++pos)
                ++nShown;
            termios mode{};
            return nShown >= nPrompt && tcgetattr(master, &mode) == 0 && !(mode.c_lflag & ICANON);
        });
    };
    EXPECT_TRUE(waitForPrompt(1)) << shown;
    ASSERT_EQ(write(master, "apple\r", 6), 6);
    // Colour is on by itself at a terminal.
    EXPECT_TRUE(waitUntil([&] { return shown.find(kOn + "apple" + kOff + " acid|苹果酸") != std::string::npos; }))
        << shown;
    EXPECT_TRUE(waitForPrompt(2)) << shown;
    ASSERT_EQ(write(master, "\x04", 1), 1);  // Ctrl-D
    int status = 0;
    bool bEnded = false;
    waitUntil([&] { return bEnded = bEnded || waitpid(pid, &status, WNOHANG) == pid; });
    if (!bEnded)
    {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    close(master);
    EXPECT_TRUE(bEnded && WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << shown;
    const std::string history = ReadFile(scratch / ".local/share/sorellan/find-history");
    EXPECT_NE(history.find("apple"), std::string::npos) << history;
}

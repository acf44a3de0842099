// The sorellan-find command-line lookup, run as a child process on tiny vocabularies with a
// home directory of its own.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "TestSupport.h"

namespace
{
using namespace std::string_literals;
using Lines = std::vector<std::string>;
using DirSetup = std::function<void(const std::string& dir)>;

// GBK: 苹果 apple, 凤梨 pineapple, 什么 what, 苹果酸 malic acid, 苯 benzene. 51 entries that
// hold "ion" only inside a word come before the one that holds it as a word. The entry with
// undecodable bytes has a lone lead byte before a lone CR and before its line end.
std::string GeneralText()
{
    std::string text = "fruit|apple|\xC6\xBB\xB9\xFB\npineapple|\xB7\xEF\xC0\xE6\nwhat?|\xCA\xB2\xC3\xB4\n";
    for (int i = 0; i < 51; ++i) text += "cations|" + std::to_string(i) + "\n";
    return text + "an ion|x\n";
}
const std::string kTechnical =
    "apple acid|\xC6\xBB\xB9\xFB\xCB\xE1\nbenzene|\xB1\xBD\nbad\xFF byte\x81\rend\x81\nbyte two\n";

DirSetup Files(const std::string& general, const std::string& technical)
{
    return [=](const std::string& dir) {
        if (!general.empty()) WriteFile(dir + "/0.voca", Scramble(general, kGeneralKey));
        if (!technical.empty()) WriteFile(dir + "/17.voca", Scramble(technical, kTechnicalKey));
    };
}
const DirSetup kBoth = Files(GeneralText(), kTechnical), kNone = Files("", "");

// Its lines sorted: the two loaders report side by side, in either order.
Lines SortedLines(const std::string& text)
{
    Lines lines;
    for (std::size_t pos = 0, end; (end = text.find('\n', pos)) != std::string::npos; pos = end + 1)
        lines.push_back(text.substr(pos, end - pos));
    std::sort(lines.begin(), lines.end());
    return lines;
}

const std::string kLoaded = "读取词汇...\n词汇读取完成!\n";
const std::string kGeneralGone = "文件0.voca不存在! (0.voca: No such file or directory)\n";
const std::string kTechnicalGone = "词汇文件不存在! (17.voca: No such file or directory)\n";
const std::string kUsage = "\nusage: sorellan-find [OPTION...] [--] [QUERY...]\nTry 'sorellan-find --help' for more.\n";
const std::string kApple = "Query: apple\nGeneral (2):\n  <精> fruit apple 苹果\n  <扩> pineapple 凤梨\n"
                           "Technical (1):\n  apple acid|苹果酸\n";
const std::string kNothing = "\nGeneral (0):\nTechnical (0):\n";
const std::string kOn = "\x1B[01;31m\x1B[K", kOff = "\x1B[m\x1B[K";
}  // namespace

TEST(SorellanFindTest, EachRunGivesItsOutputMessagesAndExitStatus)
{
    // "~" in err, variable and loadedIn stands for the scratch directory; the tool runs in
    // ~/work with HOME ~/home, and no plain file ever stays there. An `out` ending in "…"
    // gives its beginning only.
    const struct
    {
        Lines args;
        std::string out, err = kLoaded;
        int nExit = 0;
        DirSetup setup = kBoth;
        std::string input = "", variable = "TERM=dumb";  // standard input; one more environment variable
        const char* szLoadedIn = nullptr;  // per-user copies of the bundled vocabularies
    } cases[] = {
        // --raw: the result texts exactly as built (GBK, tags, "\r\n"), each behind a NUL.
        {{"--raw", "apple"}, "<\xBE\xAB> fruit apple \xC6\xBB\xB9\xFB\n\r\n<\xC0\xA9> pineapple \xB7\xEF\xC0\xE6\n\r\n\0"
                            "apple acid|\xC6\xBB\xB9\xFB\xCB\xE1\n\r\n\0"s},
        {{"  \xB1\xBD ", "--raw"}, "\0benzene|\xB1\xBD\n\r\n\0"s},
        // UTF-8, one entry a line; case matters unless -i; a blank argument is skipped.
        {{"apple", "", "Apple"}, kApple + "\nQuery: Apple" + kNothing},
        {{"-iw", "APPLE"}, "Query: APPLE\nGeneral (1):\n  <精> fruit apple 苹果\nTechnical (1):\n  apple acid|苹果酸\n"},
        // -w counts inside the search: the whole "ion" lies behind 51 that would fill the cap.
        {{"--word", "ion"}, "Query: ion\nGeneral (1):\n  <扩> an ion x\nTechnical (0):\n"},
        // A byte that does not decode is U+FFFD; a lone lead byte takes neither the CR nor the
        // line end behind it, and the next entry keeps a line of its own.
        {{"byte"}, "Query: byte\nGeneral (0):\nTechnical (2):\n  bad\uFFFD byte\uFFFD end\uFFFD\n  byte two\n"},
        // Colour marks each keyword where it matched, never the tag; not unless asked when
        // output is no terminal.
        {{"--color=always", "-i", "APPLE 苹果"}, "Query: APPLE 苹果\nGeneral (1):\n  <扩> fruit " + kOn + "apple" + kOff + " " +
             kOn + "苹果" + kOff + "\nTechnical (1):\n  " + kOn + "apple" + kOff + " acid|" + kOn + "苹果" + kOff + "酸\n"},
        {{"--color", "benzene"}, "Query: benzene\nGeneral (0):\nTechnical (1):\n  benzene|苯\n"},
        // "--" ends the options; what GBK lacks, and bad UTF-8, match nothing.
        {{"--", "-i"}, "Query: -i" + kNothing},
        {{"what\U0001F600", "what\xFF"}, "Query: what\uFFFD" + kNothing + "\nQuery: what\uFFFD" + kNothing},
        // Queries a line from standard input, blank ones skipped; JSON, one object a query.
        {{}, kApple + "\nQuery: zzz" + kNothing, kLoaded, 0, kBoth, "apple\r\n \n , ;\n  zzz  \n"},
        {{"--json"},
         "{\"query\":\"apple\",\"exact\":[\"fruit apple 苹果\"],\"expanded\":[\"pineapple 凤梨\"],\"technical\":[\"apple acid|苹果酸\"]}\n"
         "{\"query\":\"苹果 酸\",\"exact\":[],\"expanded\":[],\"technical\":[\"apple acid|苹果酸\"]}\n"
         "{\"query\":\"\\\"\\\\\",\"exact\":[],\"expanded\":[],\"technical\":[]}\n", kLoaded, 0, kBoth, "apple\n苹果 酸\n\"\\\n"},
        // Where the vocabularies come from: here, --dir, else the per-user copies.
        {{"-v"}, "", "sorellan-find: loading the vocabularies in ~/work\n" + kLoaded},
        {{"--dir", "../elsewhere", "-v", "苯"}, "Query: 苯\nGeneral (0):\nTechnical (1):\n  benzene|苯\n",
         kGeneralGone + "sorellan-find: loading the vocabularies in ~/elsewhere\n" + kLoaded, 0,
         [](const std::string& dir) { std::filesystem::create_directory(dir + "/../elsewhere"); Files("", kTechnical)(dir + "/../elsewhere"); }},
        {{"-v", "qqqq"}, "Query: qqqq" + kNothing, "sorellan-find: loading the vocabularies in ~/home/.local/share/sorellan\n" + kLoaded,
         0, kNone, "", "TERM=dumb", "home/.local/share/sorellan"},
        {{"-v", "qqqq"}, "Query: qqqq" + kNothing, "sorellan-find: loading the vocabularies in ~/xdg/sorellan\n" + kLoaded,
         0, kNone, "", "XDG_DATA_HOME=~/xdg", "xdg/sorellan"},
        // One vocabulary is enough, and says why the other failed; neither is exit status 1.
        {{"benzene"}, "Query: benzene\nGeneral (0):\nTechnical (1):\n  benzene|苯\n", kGeneralGone + kLoaded, 0, Files("", kTechnical)},
        {{"qqqq"}, "Query: qqqq" + kNothing, kTechnicalGone, 0, Files(GeneralText(), "")},
        {{"qqqq"}, "Query: qqqq" + kNothing, "文件0.voca不存在! (0.voca: Is a directory)\n" + kLoaded, 0,
         [](const std::string& dir) { std::filesystem::create_directory(dir + "/0.voca"); Files("", kTechnical)(dir); }},
        {{"qqqq"}, "Query: qqqq" + kNothing, "词汇文件不存在! (17.voca: not a regular file)\n", 0,
         [](const std::string& dir) { Files(GeneralText(), "")(dir); mkfifo((dir + "/17.voca").c_str(), 0644); }},
        {{"--dir", ".", "apple"}, "", kGeneralGone + kTechnicalGone, 1, kNone},
        {{"--dir", "missing", "apple"}, "", "sorellan-find: missing: No such file or directory\n", 1, kNone},
        // Usage errors come before any load; help and version need none.
        {{"--bogus"}, "", "sorellan-find: unknown option '--bogus'" + kUsage, 2, kNone},
        {{"apple", "-x"}, "", "sorellan-find: unknown option '-x'" + kUsage, 2, kNone},
        {{"--color=pink"}, "", "sorellan-find: --color takes auto, always or never, not 'pink'" + kUsage, 2, kNone},
        {{"--raw", "--json"}, "", "sorellan-find: --raw and --json exclude each other" + kUsage, 2, kNone},
        {{"--dir"}, "", "sorellan-find: --dir needs a directory" + kUsage, 2, kNone},
        {{"-h"}, "usage: sorellan-find [OPTION...] [--] [QUERY...]\nLooks up…", "", 0, kNone},
        {{"--version"}, "sorellan-find (Sorellan) …", "", 0, kNone},
    };
    const auto tilde = [](std::string text, const std::string& scratch) {
        for (std::size_t pos; (pos = text.find('~')) != std::string::npos;) text.replace(pos, 1, scratch);
        return text;
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(testing::PrintToString(test.args));
        const TempDir scratch;
        const std::string work = scratch / "work";
        std::filesystem::create_directories(work);
        std::filesystem::create_directories(scratch / "home");
        test.setup(work);
        const Lines environment{"HOME=" + scratch / "home", "PATH=/usr/bin:/bin", tilde(test.variable, scratch.Path())};
        const RunResult run = RunProgram(SORELLAN_FIND_PATH, test.args, work, test.input, environment);
        EXPECT_EQ(run.nExit, test.nExit);
        const std::size_t nCompared = test.out.ends_with("…") ? test.out.size() - 3 : std::string::npos;
        EXPECT_EQ(run.out.substr(0, nCompared), test.out.substr(0, nCompared));
        EXPECT_EQ(SortedLines(run.err), SortedLines(tilde(test.err, scratch.Path()))) << run.err;
        for (const auto& [name, text] : ListDirectory(work)) EXPECT_TRUE(name.ends_with(".voca")) << name;
        for (const std::string name : {"/0.voca", "/17.voca"})
            EXPECT_TRUE(!test.szLoadedIn || ReadFile(scratch / test.szLoadedIn + name) == ReadFile(LEXIVANT2_DATA_DIR + name));
    }
}

TEST(SorellanFindTest, AtATerminalItPromptsColoursAndKeepsAHistory)
{
    const TempDir scratch;
    kBoth(scratch.Path());
    std::string home = "HOME=" + scratch.Path();
    char* const envp[] = {home.data(), const_cast<char*>("TERM=xterm"), nullptr};
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0)  // the child
        _exit(chdir(scratch.Path().c_str()) == 0 ? execle(SORELLAN_FIND_PATH, SORELLAN_FIND_PATH, nullptr, envp) : 127);
    // Reads what the terminal shows until the nth prompt is shown and the line editor has the
    // terminal in raw mode (switching to it may flush what was typed before), or 20 s pass.
    std::string shown;
    const auto waitForPrompt = [&](std::size_t nPrompt) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        const auto ready = [&] {
            std::size_t nShown = 0;
            for (std::size_t pos = 0; (pos = shown.find("sorellan> ", pos)) != std::string::npos; ++pos) ++nShown;
            termios mode{};
            return nShown >= nPrompt && tcgetattr(master, &mode) == 0 && !(mode.c_lflag & ICANON);
        };
        for (char buffer[4096]; !ready() && std::chrono::steady_clock::now() < deadline;)
            if (pollfd fd{master, POLLIN, 0}; poll(&fd, 1, 100) > 0)
                shown.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(read(master, buffer, sizeof buffer), 0)));
        return ready();
    };
    EXPECT_TRUE(waitForPrompt(1)) << shown;
    ASSERT_EQ(write(master, "apple\r", 6), 6);
    EXPECT_TRUE(waitForPrompt(2)) << shown;
    EXPECT_NE(shown.find(kOn + "apple" + kOff + " acid|苹果酸"), std::string::npos) << shown;
    ASSERT_EQ(write(master, "\x04", 1), 1);  // Ctrl-D; a program that stays is ended by the test's time limit
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << shown;
    EXPECT_NE(ReadFile(scratch / ".local/share/sorellan/find-history").find("apple"), std::string::npos);
}

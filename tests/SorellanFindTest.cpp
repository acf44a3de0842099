// The sorellan-find command-line lookup, run as a child process on tiny vocabularies with a
// home directory of its own.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>


#include "TestSupport.h"

namespace
{
using namespace std::string_literals;
using Lines = std::vector<std::string>;
using DirSetup = std::function<void(const std::string& dir)>;

// GBK: 苹果 apple, 凤梨 pineapple, 什么 what, 苹果酸 malic acid, 苯 benzene. 51 entries that
// hold "ion" only inside a word come before the one that holds it as a word. The entry with
// undecodable bytes has a lone lead byte before a lone CR and before its line end.
const std::string kGeneral = [] {
    std::string text = "fruit|apple|\xC6\xBB\xB9\xFB\npineapple|\xB7\xEF\xC0\xE6\nwhat?|\xCA\xB2\xC3\xB4\n";
    for (int i = 0; i < 51; ++i) text += "cations|" + std::to_string(i) + "\n";
    return text + "an ion|x\n";
}();
const std::string kTechnical = "apple acid|\xC6\xBB\xB9\xFB\xCB\xE1\nbenzene|\xB1\xBD\nbad\xFF byte\x81\rend\x81\nbyte two\n";

DirSetup Files(const std::string& general, const std::string& technical)
{
    return [=](const std::string& dir) {
        if (!general.empty()) WriteFile(dir + "/0.voca", Scramble(general, kGeneralKey));
        if (!technical.empty()) WriteFile(dir + "/17.voca", Scramble(technical, kTechnicalKey));
    };
}
const DirSetup kBoth = Files(kGeneral, kTechnical), kNone = Files("", "");

// Its lines sorted: the two loaders report side by side, in either order.
Lines SortedLines(const std::string& text)
{
    Lines lines;
    for (std::size_t pos = 0, end; (end = text.find('\n', pos)) != std::string::npos; pos = end + 1)
        lines.push_back(text.substr(pos, end - pos));
    return std::ranges::sort(lines), lines;
}

const std::string kLoaded = "读取词汇...\n词汇读取完成!\n", kNothing = "\nGeneral (0):\nTechnical (0):\n";
const std::string kGeneralGone = "文件0.voca不存在! (0.voca: No such file or directory)\n";
const std::string kTechnicalGone = "词汇文件不存在! (17.voca: No such file or directory)\n";
const std::string kUsage = "\nusage: sorellan-find [OPTION...] [--] [QUERY...]\nTry 'sorellan-find --help' for more.\n";
const std::string kApple = "Query: apple\nGeneral (2):\n  <精> fruit apple 苹果\n  <扩> pineapple 凤梨\n"
                           "Technical (1):\n  apple acid|苹果酸\n";
const std::string kOn = "\x1B[01;31m\x1B[K", kOff = "\x1B[m\x1B[K";
const std::string kBenzene = "Query: benzene\nGeneral (0):\nTechnical (1):\n  benzene|苯\n", kQqqq = "Query: qqqq" + kNothing;
}  // namespace

TEST(SorellanFindTest, EachRunGivesItsOutputMessagesAndExitStatus)
{
    // "~" in err, variable and loadedIn stands for the scratch directory; the tool runs in
    // ~/work with HOME ~/home, and no plain file ever stays there. An `out` ending in "…"
    // gives its beginning only.
    // `input` is standard input, `variable` one more environment variable, `szLoadedIn` where
    // the bundled vocabularies are copied for this user.
    const struct { Lines args; std::string out, err = kLoaded; int nExit = 0; DirSetup setup = kBoth;
                   std::string input = "", variable = "TERM=dumb"; const char* szLoadedIn = nullptr; } cases[] = {
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
        // A character whose trail byte is "|" (東) is found and shown whole.
        {{"\u6771"}, "Query: \u6771\nGeneral (0):\nTechnical (1):\n  \u4E1C \u6771 [d\u014Dng] east\n", kGeneralGone + kLoaded, 0,
         Files("", "\xB6\xAB \x96\x7C [d\xA8\xAD\x6Eg] east\n")},
        // Colour marks each keyword where it matched, never the tag; -i alone matches inside
        // words; no colour unless asked when output is no terminal.
        {{"--color=always", "-i", "PPLE 苹果"}, "Query: PPLE 苹果\nGeneral (1):\n  <扩> fruit a" + kOn + "pple" + kOff + " " +
             kOn + "苹果" + kOff + "\nTechnical (1):\n  a" + kOn + "pple" + kOff + " acid|" + kOn + "苹果" + kOff + "酸\n"},
        {{"--color", "benzene"}, kBenzene},
        // "--" ends the options; what GBK lacks, and bad UTF-8, match nothing.
        {{"--", "-i"}, "Query: -i" + kNothing},
        {{"what\U0001F600", "what\xFF"}, "Query: what\uFFFD" + kNothing + "\nQuery: what\uFFFD" + kNothing},
        // Queries a line from standard input, blank ones skipped; JSON, one object a query.
        {{}, kApple + "\nQuery: zzz" + kNothing, kLoaded, 0, kBoth, "apple\r\n \n , ;\n  zzz  \n"},
        {{"--json"},
         "{\"query\":\"apple\",\"exact\":[\"fruit apple 苹果\"],\"expanded\":[\"pineapple 凤梨\"],\"technical\":[\"apple acid|苹果酸\"]}\n"
         "{\"query\":\"苹果 酸\",\"exact\":[],\"expanded\":[],\"technical\":[\"apple acid|苹果酸\"]}\n"
         "{\"query\":\"\\\"\\\\\",\"exact\":[],\"expanded\":[],\"technical\":[]}\n", kLoaded, 0, kBoth, "apple\n苹果 酸\n\"\\\n"},
        // Where the vocabularies come from: here (every other row), --dir, else the per-user copies.
        {{"--dir", "../home", "-v", "benzene"}, kBenzene,
         kGeneralGone + "sorellan-find: loading the vocabularies in ~/home\n" + kLoaded, 0,
         [](const std::string& dir) { Files("", kTechnical)(dir + "/../home"); }},
        {{"-v", "qqqq"}, kQqqq, "sorellan-find: loading the vocabularies in ~/home/.local/share/sorellan\n" + kLoaded,
         0, kNone, "", "TERM=dumb", "home/.local/share/sorellan"},
        {{"-v", "qqqq"}, kQqqq, "sorellan-find: loading the vocabularies in ~/xdg/sorellan\n" + kLoaded,
         0, kNone, "", "XDG_DATA_HOME=~/xdg", "xdg/sorellan"},
        // One vocabulary is enough, and says why the other failed; neither is exit status 1.
        {{"benzene"}, kBenzene, kGeneralGone + kLoaded, 0, Files("", kTechnical)},
        {{"qqqq"}, kQqqq, kTechnicalGone, 0, Files(kGeneral, "")},
        {{"qqqq"}, kQqqq, "文件0.voca不存在! (0.voca: Is a directory)\n" + kLoaded, 0,
         [](const std::string& dir) { std::filesystem::create_directory(dir + "/0.voca"); Files("", kTechnical)(dir); }},
        {{"qqqq"}, kQqqq, "词汇文件不存在! (17.voca: not a regular file)\n", 0,
         [](const std::string& dir) { Files(kGeneral, "")(dir); mkfifo((dir + "/17.voca").c_str(), 0644); }},
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
    for (const auto& test : cases)
    {
        SCOPED_TRACE(testing::PrintToString(test.args));
        const TempDir scratch;
        const auto tilde = [&](std::string text) {
            for (std::size_t pos = 0; (pos = text.find('~', pos)) != std::string::npos; pos += scratch.Path().size())
                text.replace(pos, 1, scratch.Path());
            return text;
        };
        const std::string work = scratch / "work";
        for (const std::string& path : {work, scratch / "home"}) std::filesystem::create_directories(path);
        test.setup(work);
        const Lines environment{"HOME=" + scratch / "home", "PATH=/usr/bin:/bin", tilde(test.variable)};
        const RunResult run = RunProgram(SORELLAN_FIND_PATH, test.args, work, test.input, environment);
        const std::size_t nCompared = test.out.ends_with("…") ? test.out.size() - 3 : std::string::npos;
        EXPECT_EQ(std::pair(run.nExit, run.out.substr(0, nCompared)), std::pair(test.nExit, test.out.substr(0, nCompared)));
        EXPECT_EQ(SortedLines(run.err), SortedLines(tilde(test.err))) << run.err;
        for (const auto& [name, text] : ListDirectory(work)) EXPECT_TRUE(name.ends_with(".voca")) << name;
        for (const std::string name : {"/0.voca", "/17.voca"})
            EXPECT_TRUE(!test.szLoadedIn || ReadFile(scratch / test.szLoadedIn + name) == ReadFile(LEXIVANT2_DATA_DIR + name));
    }
}

// At a terminal: a prompt once the line editor has the terminal in raw mode (typing before
// that may be flushed), colour by itself, the history file, Ctrl-D ends with status 0.
TEST(SorellanFindTest, AtATerminalItPromptsColoursAndKeepsAHistory)
{
    const TempDir scratch;
    kBoth(scratch.Path());
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0)
    {
        std::string home = "HOME=" + scratch.Path();
        char* const argv[] = {const_cast<char*>(SORELLAN_FIND_PATH), nullptr};
        char* const envp[] = {home.data(), const_cast<char*>("TERM=xterm"), nullptr};
        if (chdir(scratch.Path().c_str()) == 0) execve(SORELLAN_FIND_PATH, argv, envp);
        _exit(127);
    }
    std::string shown;
    const auto waitFor = [&](const std::string& text, std::size_t nTimes) {  // up to 20 s
        const auto countShown = [&] {
            std::size_t n = 0;
            for (std::size_t pos = 0; (pos = shown.find(text, pos)) != std::string::npos; ++pos) ++n;
            return n;
        };
        termios mode{};
        for (int nPolls = 0; nPolls < 200; ++nPolls)
        {
            if (countShown() >= nTimes && tcgetattr(master, &mode) == 0 && !(mode.c_lflag & ICANON)) return true;
            char buffer[4096];
            pollfd fd{master, POLLIN, 0};
            const ssize_t n = poll(&fd, 1, 100) > 0 ? read(master, buffer, sizeof buffer) : 0;
            if (n > 0) shown.append(buffer, static_cast<std::size_t>(n));
        }
        return false;
    };
    EXPECT_TRUE(waitFor("sorellan> ", 1)) << shown;
    ASSERT_EQ(write(master, "apple\r", 6), 6);
    EXPECT_TRUE(waitFor(kOn + "apple" + kOff + " acid|苹果酸", 1)) << shown;
    EXPECT_TRUE(waitFor("sorellan> ", 2)) << shown;
    ASSERT_EQ(write(master, "\x04", 1), 1);  // Ctrl-D
    int status = -1;
    for (int nPolls = 0; nPolls < 200 && waitpid(pid, &status, WNOHANG) != pid; ++nPolls) usleep(100000);
    if (status == -1) kill(pid, SIGKILL), waitpid(pid, &status, 0);
    close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << shown;
    EXPECT_NE(ReadFile(scratch / ".local/share/sorellan/find-history").find("apple"), std::string::npos);
}

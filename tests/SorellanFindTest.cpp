// The sorellan-find command-line lookup, run as a child process on tiny vocabularies with a
// home directory of its own.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>


#include "TestSupport.h"
#include "desktop/SelectionText.h"

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
// Last the readings: 苹果酸 [píng guǒ suān], 绿 [lǜ], and 苹果 read in a cross-reference.
const std::string kTechnical = "apple acid|\xC6\xBB\xB9\xFB\xCB\xE1\nbenzene|\xB1\xBD\nbad\xFF byte\x81\rend\x81\nbyte two\n"
    "\xC6\xBB\xB9\xFB\xCB\xE1 [p\xA8\xAAng gu\xA8\xAF su\xA8\xA1n]\n\xC2\xCC [l\xA8\xB8] \xC6\xBB\xB9\xFB[p\xA8\xAAng gu\xA8\xAF]\n";

DirSetup Files(const std::string& general, const std::string& technical)
{
    return [=](const std::string& dir) {
        if (!general.empty()) WriteFile(dir + "/0.voca", Scramble(general, kGeneralKey));
        if (!technical.empty()) WriteFile(dir + "/17.voca", Scramble(technical, kTechnicalKey));
    };
}
const DirSetup kBoth = Files(kGeneral, kTechnical), kNone = Files("", "");
// An xclip in ~/bin that holds "apple" as the selection, the clipboard empty.
const DirSetup kSelected = [](const std::string& dir) {
    kBoth(dir);
    std::filesystem::create_directories(dir + "/../bin");
    WriteFile(dir + "/../bin/xclip", "#!/bin/sh\n[ \"$3\" = primary ] && printf '\\n \\tapple\\001 \\nsecond'\n");
    std::filesystem::permissions(dir + "/../bin/xclip", std::filesystem::perms::owner_all);
};

// The per-user copies as a first run made them, then changed in their directory.
DirSetup CopiedThen(const std::function<void(const std::string& copies)>& change)
{
    return [=](const std::string& dir) {
        RunProgram(SORELLAN_FIND_PATH, {"qqqq"}, dir, "", {"HOME=" + dir + "/../home", "PATH=/usr/bin:/bin"});
        change(dir + "/../home/.local/share/sorellan");
    };
}

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
        {{"  \xB1\xBD ", "--raw", "aple"}, "\0benzene|\xB1\xBD\n\r\n\0\0\0"s},  // no suggestion with --raw
        // Every query given gets its answer there, a blank one the window's: every entry.
        {{"--raw", " ", "x"}, [] {
             std::string out = "<\xC0\xA9> fruit apple \xC6\xBB\xB9\xFB\n\r\n<\xC0\xA9> pineapple \xB7\xEF\xC0\xE6\n\r\n"
                               "<\xC0\xA9> what? \xCA\xB2\xC3\xB4\n\r\n";
             for (int i = 0; i < 47; ++i) out += "<\xC0\xA9> cations " + std::to_string(i) + "\n\r\n";  // 50 at most
             for (std::size_t pos = 0, end; (end = kTechnical.find('\n', pos)) != std::string::npos; pos = end + 1)
                 out += (pos == 0 ? "\0"s : "") + kTechnical.substr(pos, end - pos) + "\n\r\n";
             return out + "\0<\xC0\xA9> an ion x\n\r\n\0\0"s; }()},
        // UTF-8, one entry a line; case matters unless -i; a blank argument is skipped.
        {{"apple", "", "Apple"}, kApple + "\nQuery: Apple" + kNothing, kLoaded + "sorellan-find: nothing found; near it: apple\n"},
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
        // Suggestions when nothing is found: a word one edit off, a headword one character off.
        {{"aple", "苹果碱"}, "Query: aple" + kNothing + "\nQuery: 苹果碱" + kNothing, kLoaded +
             "sorellan-find: nothing found; near it: apple\nsorellan-find: nothing found; near it: 苹果酸\n"},
        {{"-q", "aple"}, "Query: aple" + kNothing},
        // Readings: syllables in order from a syllable's start, tones where digits say;
        // a cross-reference is not the entry's reading.
        {{"-p", "guosuan", "ping2 guo3", "lü", "lv1", "pingguo"}, "Query: guosuan" + kNothing.substr(0, 14) + "Technical (1):\n  苹果酸 [píng guǒ suān]\n"
             "\nQuery: ping2 guo3" + kNothing.substr(0, 14) + "Technical (1):\n  苹果酸 [píng guǒ suān]\n"
             "\nQuery: lü" + kNothing.substr(0, 14) + "Technical (1):\n  绿 [lǜ] 苹果[píng guǒ]\n\nQuery: lv1" + kNothing +
             "\nQuery: pingguo" + kNothing.substr(0, 14) + "Technical (1):\n  苹果酸 [píng guǒ suān]\n"},
        // A hostile keyword is named by its first 40 bytes, one GBK lacks as U+FFFD.
        {{"-p", std::string(100000, 'x') + ",\xFF"}, "Query: xxx…", kLoaded + "sorellan-find: '" + std::string(40, 'x') +
             "…' is not pinyin: it matches nothing\nsorellan-find: '\uFFFD' is not pinyin: it matches nothing\n"},
        {{"-p", "--json", "xyz, pingguo"}, "{\"query\":\"xyz, pingguo\",\"exact\":[],\"expanded\":[],\"technical\":[],\"suggestions\":[]}\n",
         kLoaded + "sorellan-find: 'xyz' is not pinyin: it matches nothing\n"},
        {{"what\U0001F600", "what\xFF"}, "Query: what\uFFFD" + kNothing + "\nQuery: what\uFFFD" + kNothing},
        // Queries a line from standard input, blank ones skipped; JSON, one object a query, a
        // blank one too.
        {{}, kApple + "\nQuery: zzz" + kNothing, kLoaded, 0, kBoth, "apple\r\n \n , ;\n  zzz  \n"},
        {{"--json"},
         "{\"query\":\"apple\",\"exact\":[\"fruit apple 苹果\"],\"expanded\":[\"pineapple 凤梨\"],\"technical\":[\"apple acid|苹果酸\"],\"suggestions\":[]}\n"
         "{\"query\":\"苹果 酸\",\"exact\":[],\"expanded\":[],\"technical\":[\"apple acid|苹果酸\",\"苹果酸 [píng guǒ suān]\"],\"suggestions\":[]}\n"
         "{\"query\":\"\\\"\\\\\",\"exact\":[],\"expanded\":[],\"technical\":[],\"suggestions\":[]}\n"
         "{\"query\":\"aple\",\"exact\":[],\"expanded\":[],\"technical\":[],\"suggestions\":[\"apple\"]}\n"
         "{\"query\":\",\",\"exact\":[],\"expanded\":[\"fruit apple 苹果\",…", kLoaded, 0, kBoth, "apple\n苹果 酸\n\"\\\naple\n , \n"},
        // Where the vocabularies come from: here (every other row), --dir, else the per-user copies.
        {{"--dir", "../home", "-v", "benzene"}, kBenzene,
         kGeneralGone + "sorellan-find: loading the vocabularies in ~/home\n" + kLoaded, 0,
         [](const std::string& dir) { Files("", kTechnical)(dir + "/../home"); }},
        {{"-v", "qqqq"}, kQqqq, "sorellan-find: loading the vocabularies in ~/home/.local/share/sorellan\n" + kLoaded,
         0, kNone, "", "TERM=dumb", "home/.local/share/sorellan"},
        {{"-v", "qqqq"}, kQqqq, "sorellan-find: loading the vocabularies in ~/xdg/sorellan\n" + kLoaded,
         0, kNone, "", "XDG_DATA_HOME=~/xdg", "xdg/sorellan"},
        // Up to date by their recorded state, the copies are taken without the copying script,
        // which would fail on a record that is a directory; a copy changed since makes it look.
        {{"qqqq"}, kQqqq, kLoaded, 0, CopiedThen([](const std::string& copies) {
             std::filesystem::remove(copies + "/.installed-copies");
             std::filesystem::create_directory(copies + "/.installed-copies"); })},
        {{"qqqq"}, kQqqq, "sorellan: keeping ~/home/.local/share/sorellan/17.voca, which differs from every installed"
             " copy (changed by you?); remove it to use " LEXIVANT2_DATA_DIR "/17.voca\n" + kLoaded, 0,
         CopiedThen([](const std::string& copies) { WriteFile(copies + "/17.voca", Scramble(kTechnical, kTechnicalKey)); })},
        // One vocabulary is enough, and says why the other failed; neither is exit status 1.
        {{"benzene"}, kBenzene, kGeneralGone + kLoaded, 0, Files("", kTechnical)},
        {{"qqqq"}, kQqqq, kTechnicalGone, 0, Files(kGeneral, "")},
        {{"qqqq"}, kQqqq, "文件0.voca不存在! (0.voca: Is a directory)\n" + kLoaded, 0,
         [](const std::string& dir) { std::filesystem::create_directory(dir + "/0.voca"); Files("", kTechnical)(dir); }},
        {{"qqqq"}, kQqqq, "词汇文件不存在! (17.voca: not a regular file)\n", 0,
         [](const std::string& dir) { Files(kGeneral, "")(dir); mkfifo((dir + "/17.voca").c_str(), 0644); }},
        {{"qqqq"}, kQqqq, "文件0.voca不存在! (Temp_Test_Quillon0.pyq has other names; not touched)\n" + kLoaded, 0,
         [](const std::string& dir) { kBoth(dir); ::link((dir + "/0.voca").c_str(), (dir + "/Temp_Test_Quillon0.pyq").c_str()); }},
        {{"--dir", ".", "apple"}, "", kGeneralGone + kTechnicalGone, 1, kNone},
        {{"--dir", "missing", "apple"}, "", "sorellan-find: missing: No such file or directory\n", 1, kNone},
        // The selection's first line is one query more, after the arguments'.
        {{"--selection", "benzene"}, kBenzene + "\n" + kApple, kLoaded, 0, kSelected, "", "DISPLAY=:0"},
        {{"--clipboard"}, "", "sorellan-find: the clipboard holds no text\n", 1, kSelected, "", "DISPLAY=:0"},
        {{"--selection"}, "", "sorellan-find: cannot read the selection: no display, or no wl-paste (wl-clipboard) or xclip to read it with\n", 1},
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
        const auto before = ListDirectory(work);
        const Lines environment{"HOME=" + scratch / "home", tilde("PATH=~/bin:/usr/bin:/bin"), tilde(test.variable)};
        const RunResult run = RunProgram(SORELLAN_FIND_PATH, test.args, work, test.input, environment);
        const std::size_t nCompared = test.out.ends_with("…") ? test.out.size() - 3 : std::string::npos;
        EXPECT_EQ(std::pair(run.nExit, run.out.substr(0, nCompared)), std::pair(test.nExit, test.out.substr(0, nCompared)));
        EXPECT_EQ(SortedLines(run.err), SortedLines(tilde(test.err))) << run.err;
        for (const auto& [name, text] : ListDirectory(work)) EXPECT_TRUE(name.ends_with(".voca") || before.contains(name)) << name;
        for (const std::string name : {"/0.voca", "/17.voca"})
            EXPECT_TRUE(!test.szLoadedIn || ReadFile(scratch / test.szLoadedIn + name) == ReadFile(LEXIVANT2_DATA_DIR + name));
    }
}

TEST(SelectionText, IsTheFirstLineThatHoldsMoreThanBlanksFitForTheQueryBox)
{
    const std::string kAcids(300, 'a'), kSulfurs = [] { std::string s; for (int i = 0; i < 300; ++i) s += "硫"; return s; }();
    const struct { std::string text, query; std::size_t nMax = kSelectionQueryBytes; } cases[] = {
        {"\n \t\r\n  sulfuric\tacid  \nbase", "sulfuric acid"},
        {"\u3000\u00A0 硫酸 \u3000\u2028x", "硫酸"},
        // Control characters (C1 too) go; each byte that is not UTF-8 is one U+FFFD.
        {"a\0b\x01" "c\x7F\u0080d\ve"s, "abcd"},
        {"\xFF\xC0\xAFok\xED\xA0\x80 \U0001F600", "\uFFFD\uFFFD\uFFFDok\uFFFD\uFFFD\uFFFD \U0001F600"},
        {" \n\t\x01\r\n", ""},
        // Cut where the GBK form would pass 497 bytes, between characters.
        {kAcids + kAcids, kAcids + kAcids.substr(0, 197)},
        {"a" + kSulfurs, "a" + kSulfurs.substr(0, 248 * 3)},
        {"ab  cd", "ab", 4},
        {"ab  cd", "ab  cd", std::string::npos},
    };
    for (const auto& c : cases) EXPECT_EQ(QueryFromDesktopText(c.text, c.nMax), c.query) << c.text;
}

// At a terminal, under a shell that says how it ended: a prompt once the line editor has
// the terminal in raw mode (typing before that may be flushed), colour by itself, the history
// file, Ctrl-D ends with status 0. Results to a file: the prompt and its last line feed go to
// the terminal. A signal at the prompt ends only sorellan-find, and gives the terminal back.
TEST(SorellanFindTest, AtATerminalItPromptsColoursAndKeepsAHistory)
{
    struct Row { std::string command, resultShown, outFile; int nSignal; std::string ended; };
    for (const Row& row : {Row{"\"$0\"", kOn + "apple" + kOff + " acid|苹果酸", "", 0, "ended 0"},
                           Row{"\"$0\" >out", "sorellan> ", kApple, 0, "ended 0"},
                           Row{"\"$0\"", kOn + "apple" + kOff + " acid|苹果酸", "", SIGTERM, "ended 143"}})
    {
        const TempDir scratch;
        kBoth(scratch.Path());
        // An old history someone could read, and opened while it was so: new queries stay unseen.
        std::filesystem::create_directories(scratch / ".local/share/sorellan");
        const std::string history = scratch / ".local/share/sorellan/find-history";
        WriteFile(history, "_HiStOrY_V2_\nold\n");
        chmod(history.c_str(), 0644);
        const int fdReader = open(history.c_str(), O_RDONLY | O_CLOEXEC);
        int master = -1;
        const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
        ASSERT_GE(pid, 0);
        if (pid == 0)
        {
            std::string home = "HOME=" + scratch.Path(), command = row.command + "; echo ended $?";
            char* const argv[] = {const_cast<char*>("/bin/sh"), const_cast<char*>("-c"), command.data(),
                                  const_cast<char*>(SORELLAN_FIND_PATH), nullptr};
            char* const envp[] = {home.data(), const_cast<char*>("TERM=xterm"), nullptr};
            if (chdir(scratch.Path().c_str()) == 0) execve("/bin/sh", argv, envp);
            _exit(127);
        }
        std::string shown;
        const auto waitFor = [&](const std::string& text, std::size_t nTimes, bool bRaw = true) {  // up to 20 s
            const auto countShown = [&] {
                std::size_t n = 0;
                for (std::size_t pos = 0; (pos = shown.find(text, pos)) != std::string::npos; ++pos) ++n;
                return n;
            };
            termios mode{};
            for (int nPolls = 0; nPolls < 200; ++nPolls)
            {
                if (countShown() >= nTimes && tcgetattr(master, &mode) == 0 && !(mode.c_lflag & ICANON) == bRaw) return true;
                char buffer[4096];
                pollfd fd{master, POLLIN, 0};
                const ssize_t n = poll(&fd, 1, 100) > 0 ? read(master, buffer, sizeof buffer) : 0;
                if (n > 0) shown.append(buffer, static_cast<std::size_t>(n));
            }
            return false;
        };
        EXPECT_TRUE(waitFor("sorellan> ", 1)) << shown;
        ASSERT_EQ(write(master, "apple\r", 6), 6);
        EXPECT_TRUE(waitFor(row.resultShown, row.outFile.empty() ? 1 : 2)) << shown;
        EXPECT_TRUE(waitFor("sorellan> ", 2)) << shown;
        if (row.nSignal == 0)
            ASSERT_EQ(write(master, "\x04", 1), 1);  // Ctrl-D
        else  // to sorellan-find, the shell's child
        {
            std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
            pid_t child = 0;
            if (children >> child) kill(child, row.nSignal);
            ASSERT_EQ(write(master, " ", 1), 1);  // ThreadSanitizer holds a signal back until a read returns
        }
        EXPECT_TRUE(waitFor(row.ended, 1, false)) << shown;  // in canonical mode again
        int status = -1;
        for (int nPolls = 0; nPolls < 200 && waitpid(pid, &status, WNOHANG) != pid; ++nPolls) usleep(100000);
        if (status == -1) kill(pid, SIGKILL), waitpid(pid, &status, 0);
        close(master);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << shown;
        EXPECT_EQ(row.outFile.empty() ? "" : ReadFile(scratch / "out"), row.outFile);
        struct stat info{};
        char seen[256] = {};
        EXPECT_TRUE(stat(history.c_str(), &info) == 0 && (info.st_mode & 0777) == 0600) << std::oct << info.st_mode;
        EXPECT_EQ(read(fdReader, seen, sizeof seen - 1), 17);
        EXPECT_EQ(std::string(seen), "_HiStOrY_V2_\nold\n");
        close(fdReader);
        EXPECT_NE(ReadFile(history).find("apple"), std::string::npos);
    }
}

// The sorellan-find command-line lookup, run as a child process in a directory of tiny
// vocabularies.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace
{
using namespace std::string_literals;

struct FindRun : RunResult
{
    std::vector<std::string> leftInDir;  // sorted
};

// Runs the tool in a fresh directory holding the given plain texts as 0.voca and 17.voca
// (none for an empty text).
FindRun RunFind(const std::string& general, const std::string& technical,
                const std::vector<std::string>& args, const std::string& input)
{
    const TempDir dir;
    if (!general.empty())
        WriteFile(dir / "0.voca", Scramble(general, kGeneralKey));
    if (!technical.empty())
        WriteFile(dir / "17.voca", Scramble(technical, kTechnicalKey));
    FindRun result;
    static_cast<RunResult&>(result) = RunProgram(SORELLAN_FIND_PATH, args, dir.Path(), input);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        result.leftInDir.push_back(entry.path().filename().string());
    std::sort(result.leftInDir.begin(), result.leftInDir.end());
    return result;
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

// GBK: 苹果 apple, 凤梨 pineapple, 什么 what, 苹果酸 malic acid, 苯 benzene.
const std::string kGeneral = "fruit|apple|\xC6\xBB\xB9\xFB\n"
                             "pineapple|\xB7\xEF\xC0\xE6\n"
                             "what?|\xCA\xB2\xC3\xB4\n";
const std::string kTechnical = "apple acid|\xC6\xBB\xB9\xFB\xCB\xE1\n"
                               "benzene|\xB1\xBD\n"
                               "bad\xFF byte\rend\n";
const std::string kAppleGeneral = "General (2):\n  <精> fruit apple 苹果\n  <扩> pineapple 凤梨\n";
const std::string kApple = "Query: apple\n" + kAppleGeneral + "Technical (1):\n  apple acid|苹果酸\n";
const std::string kNone = "\nGeneral (0):\nTechnical (0):\n";
const std::vector<std::string> kVocabularyFiles{"0.voca", "17.voca"};

}  // namespace

TEST(SorellanFindTest, PrintsWhatTheSearchFindsForEachQuery)
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
        {{"  \xB1\xBD ", "--raw", "zzz"}, "", "\0benzene|\xB1\xBD\n\r\n\0\0\0"s},
        {{"--raw"}, "\xB1\xBD\r\nzzz", "\0benzene|\xB1\xBD\n\r\n\0\0\0"s},
        // UTF-8, one entry a line, no CR.
        {{"apple"}, "", kApple},
        {{"苹果 酸"}, "", "Query: 苹果 酸\nGeneral (0):\nTechnical (1):\n  apple acid|苹果酸\n"},
        {{"byte"}, "", "Query: byte\nGeneral (0):\nTechnical (1):\n  bad\uFFFD byte end\n"},
        {{}, "apple\r\n  zzz  \n", kApple + "\nQuery: zzz" + kNone},
        {{"--", "--raw"}, "", "Query: --raw" + kNone},
        // What GBK lacks and bad UTF-8 match nothing, where "?" or dropping them would.
        {{"what?"}, "", "Query: what?\nGeneral (1):\n  <扩> what? 什么\nTechnical (0):\n"},
        {{"what\U0001F600", "what\xFF", "what\xE4\xB8"}, "",
         "Query: what\uFFFD" + kNone + "\nQuery: what\uFFFD" + kNone +
             "\nQuery: what\uFFFD\uFFFD" + kNone},
        {{"apple \U0001F600"}, "", "Query: apple \uFFFD" + kNone},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(testing::PrintToString(test.args) + " " + test.input);
        const FindRun run = RunFind(kGeneral, kTechnical, test.args, test.input);
        EXPECT_EQ(run.nExit, 0);
        EXPECT_EQ(run.out, test.out);
        EXPECT_EQ(SortedLines(run.err), SortedLines("读取词汇...\n词汇读取完成!\n"));
        EXPECT_EQ(run.leftInDir, kVocabularyFiles);  // no plain file left behind
    }
}

TEST(SorellanFindTest, MissingVocabulariesAndBadOptionsShowOnStandardError)
{
    const std::string kUsage = "usage: sorellan-find [--raw] [--] [QUERY...]  (no QUERY: one "
                               "query a line from standard input)\n";
    const struct
    {
        std::string general;
        std::string technical;
        std::vector<std::string> args;
        int nExit;
        std::string err;
        std::string out;
    } cases[] = {
        {"", kTechnical, {"benzene"}, 0, "文件0.voca不存在!\n读取词汇...\n词汇读取完成!\n",
         "Query: benzene\nGeneral (0):\nTechnical (1):\n  benzene|苯\n"},
        {kGeneral, "", {"apple"}, 0, "词汇文件不存在!\n",
         "Query: apple\n" + kAppleGeneral + "Technical (0):\n"},
        {"", "", {"apple"}, 1, "文件0.voca不存在!\n词汇文件不存在!\n", ""},
        // Usage errors come before any load.
        {kGeneral, kTechnical, {"--bogus"}, 2, kUsage, ""},
        {kGeneral, kTechnical, {"apple", "--rawer"}, 2, kUsage, ""},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(testing::PrintToString(test.args) + " " + test.err);
        const FindRun run = RunFind(test.general, test.technical, test.args, "");
        EXPECT_EQ(run.nExit, test.nExit);
        EXPECT_EQ(run.out, test.out);
        EXPECT_EQ(SortedLines(run.err), SortedLines(test.err)) << run.err;
        if (test.nExit == 2)
        {
            EXPECT_EQ(run.leftInDir, kVocabularyFiles);
        }
    }
}

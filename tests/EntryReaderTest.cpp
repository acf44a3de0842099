#include <gtest/gtest.h>

#include <fcntl.h>

#include "Reference.h"
#include "TestSupport.h"
#include "vocabulary/EntryReader.h"
#include "vocabulary/FileHandle.h"

using namespace std::string_literals;

namespace
{
using Entries = std::vector<std::string>;

std::pair<Entries, ReadResult> ReadThroughFile(const std::string& plain, int nCapacity = 100000)
{
    TempDir dir;
    WriteFile(dir / "plain", plain);
    FileHandle file(::open((dir / "plain").c_str(), O_RDONLY));
    VocabularyTable table(nCapacity);
    const ReadResult result = ReadEntries(file.Get(), table);
    return {EntriesOf(table), result};
}
}  // namespace

TEST(ReadEntries, CutsLinesAndAppliesTextModeRulesUpToTheCapacity)
{
    const std::string s253(253, 'a'), s254(254, 'b'), z254(254, 'z');
    constexpr ReadResult kDone = ReadResult::kDone, kFull = ReadResult::kTableFull;
    struct Case { const char* name; std::string plain; Entries expected; int nCapacity = 100000; ReadResult result = kDone; };
    const Case cases[] = {
        {"lines with LF; the last without, up to a NUL", "one|1\n\ntw\0o"s, {"one|1\n", "\n", "tw"}},
        {"253 bytes and LF", s253 + "\n", {s253 + "\n"}},
        {"254 bytes and LF", s254 + "\n", {s254, "\n"}},
        {"600 bytes and LF", std::string(600, 'c') + "\n", {std::string(254, 'c'), std::string(254, 'c'), std::string(92, 'c') + "\n"}},
        {"508 bytes without LF", std::string(508, 'd'), {std::string(254, 'd'), std::string(254, 'd')}},
        {"CR LF reads as LF", "one\r\ntwo\r\n", {"one\n", "two\n"}},
        {"lone CR stays, CR CR LF keeps the first", "a\rb\n\r\r\n\r", {"a\rb\n", "\r\n", "\r"}},
        {"CR LF counts as one byte for the cut", s253 + "\r\n", {s253 + "\n"}},
        {"0x1A ends the text", "one\ntw\x1Ao\nthree\n", {"one\n", "tw"}},
        {"CR before 0x1A stays", "a\r\x1A\n", {"a\r"}},
        {"NUL cuts its entry; NUL first gives an empty one", "ab\0cd\n\0xyz\nq\n"s, {"ab", "", "q\n"}},
        {"NUL in a cut piece loses the rest of that piece only", "x\0"s + std::string(300, 'y') + "\n", {"x", std::string(48, 'y') + "\n"}},
        {"GBK bytes pass unchanged", "\xC1\xF2\xCB\xE1|acid\n", {"\xC1\xF2\xCB\xE1|acid\n"}},
        {"exactly full", "a\nb\nc\n", {"a\n", "b\n", "c\n"}, 3},
        {"one line too many", "a\nb\nc\nd\n", {"a\n", "b\n", "c\n"}, 3, kFull},
        {"last line without LF too many", "a\nb\nc\nd", {"a\n", "b\n", "c\n"}, 3, kFull},
        {"a long line's pieces count", std::string(600, 'z'), {z254, z254}, 2, kFull},
        {"a table without room, text", "\r\n", {}, 0, kFull},
        {"a table without room, no text", "\x1A" "a\n", {}, 0},
    };
    for (const auto& c : cases)  // where the table holds all, the reference agrees
        EXPECT_EQ(std::pair(ReadThroughFile(c.plain, c.nCapacity), c.nCapacity > 3 ? ReferenceEntries(c.plain) : c.expected),
                  std::pair(std::pair(c.expected, c.result), c.expected)) << c.name;
    // A directory reads with EISDIR: an error, not an end.
    FileHandle directory(::open("/", O_RDONLY | O_DIRECTORY));
    VocabularyTable table(10);
    const std::atomic<bool> stop{true};
    EXPECT_EQ(ReadEntries(directory.Get(), table), ReadResult::kReadError);
    EXPECT_EQ(ReadEntries(directory.Get(), table, &stop), ReadResult::kStopped);
}

TEST(ReadEntries, MatchesTheByteByByteRulesAcrossBlockBoundaries)
{
    // Lines of 300 bytes, cut into pieces that straddle the reader's 64 KiB blocks, and each
    // rule's bytes split by a block boundary; the blocks around it with CR LF lines or with
    // none of the rules' bytes.
    for (const char* szEnd : {"\r\n", "\n"})
    {
        std::string lines;
        for (int i = 0; i < 700; ++i) lines += std::string(299, char('a' + i % 26)) + (i % 3 ? "\n" : szEnd);
        for (const std::string& across : {"\r\n"s, "\r\r"s, "\rx"s, "\r\x1A"s, "\0x"s, "x\0"s, "\n\n"s})
            for (std::size_t nBoundary : {65536u, 131072u})
            {
                const std::string plain = std::string(lines).replace(nBoundary - 1, 2, across);
                EXPECT_EQ(ReadThroughFile(plain).first, ReferenceEntries(plain)) << testing::PrintToString(across) << nBoundary << szEnd;
            }
    }
}

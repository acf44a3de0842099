// The voca command-line tool, run as a child process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace
{

RunResult RunVoca(const std::vector<std::string>& args)
{
    return RunProgram(VOCA_TOOL_PATH, args);
}

struct VocabularyCase
{
    const char* szName;
    ScrambleKey key;
    unsigned char unrepresentable[2];
    int nCapacity;
};

const VocabularyCase kVocabularies[] = {
    {"general", kGeneralKey, {0x1E, 0x1F}, 120000},
    {"technical", kTechnicalKey, {0x1C, 0x1D}, 300000},
};

// Whether `text` holds `line` as a whole line.
bool HasLine(const std::string& text, const std::string& line)
{
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

}  // namespace

TEST(VocaToolTest, ScrambleAndUnscrambleRoundTripEveryRepresentableByte)
{
    for (const VocabularyCase& vocabulary : kVocabularies)
    {
        SCOPED_TRACE(vocabulary.szName);
        TempDir dir;
        // Several blocks' worth, so that block boundaries are crossed.
        std::string plain;
        for (int round = 0; round < 1000; ++round)
            for (int b = 0; b < 256; ++b)
                if (b != vocabulary.unrepresentable[0] && b != vocabulary.unrepresentable[1])
                    plain += static_cast<char>(b);
        WriteFile(dir / "plain", plain);

        const RunResult scramble =
            RunVoca({"scramble", vocabulary.szName, dir / "plain", dir / "scrambled"});
        ASSERT_EQ(scramble.nExit, 0) << scramble.err;
        const std::string scrambled = ReadFile(dir / "scrambled");
        EXPECT_TRUE(scrambled == Scramble(plain, vocabulary.key));

        // Bytes 0x00 and 0xFF in a scrambled file are dropped, as the loader drops them.
        // Every byte is no text: --force.
        WriteFile(dir / "padded", std::string(1, '\0') + scrambled.substr(0, 70000) +
                                      std::string("\xFF\0", 2) + scrambled.substr(70000) + "\xFF");
        const RunResult unscramble =
            RunVoca({"unscramble", "--force", vocabulary.szName, dir / "padded", dir / "back"});
        ASSERT_EQ(unscramble.nExit, 0) << unscramble.err;
        EXPECT_TRUE(ReadFile(dir / "back") == plain);
    }
}

TEST(VocaToolTest, ScrambleRefusesAnUnrepresentableByteAndLeavesTheOutputAlone)
{
    for (const VocabularyCase& vocabulary : kVocabularies)
        for (const unsigned char byte : vocabulary.unrepresentable)
            for (const bool bOutExists : {false, true})
            {
                SCOPED_TRACE(std::string(vocabulary.szName) + " " + std::to_string(byte) +
                             (bOutExists ? " over an existing file" : ""));
                TempDir dir;
                // Past the first block, so the offset must count the blocks before.
                WriteFile(dir / "plain", std::string(70000, 'a') + static_cast<char>(byte) + "z");
                if (bOutExists)
                    WriteFile(dir / "out", "previous");

                const RunResult run =
                    RunVoca({"scramble", vocabulary.szName, dir / "plain", dir / "out"});
                EXPECT_NE(run.nExit, 0);
                char szByte[8];
                std::snprintf(szByte, sizeof szByte, "0x%02X", byte);
                EXPECT_NE(run.err.find(szByte), std::string::npos) << run.err;
                EXPECT_NE(run.err.find("70000"), std::string::npos) << run.err;
                if (bOutExists)
                {
                    EXPECT_EQ(ReadFile(dir / "out"), "previous");
                }
                // Nothing else left behind: no output, no temporary file.
                std::vector<std::string> names;
                for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
                    names.push_back(entry.path().filename().string());
                std::sort(names.begin(), names.end());
                EXPECT_EQ(names, (bOutExists ? std::vector<std::string>{"out", "plain"}
                                             : std::vector<std::string>{"plain"}));
            }
}

TEST(VocaToolTest, EntriesListsEachEntryOnALineWithEveryByteVisible)
{
    // Control bytes are no text: --force.
    TempDir dir;
    WriteFile(dir / "file.voca", Scramble("back\\slash\ttab\x01\x7F\xC4\xE3 gbk\rcr\nnext", kGeneralKey));
    const RunResult run = RunVoca({"entries", "general", dir / "file.voca", "--force"});
    ASSERT_EQ(run.nExit, 0) << run.err;
    EXPECT_EQ(run.out, "back\\\\slash\\x09tab\\x01\\x7F\xC4\xE3 gbk\\rcr\\n\nnext\n");
    EXPECT_TRUE(HasLine(run.err, "2 entries")) << run.err;
}

TEST(VocaToolTest, EntriesStopsAtTheCapacityOfThatVocabularyAndWarns)
{
    for (const VocabularyCase& vocabulary : kVocabularies)
    {
        SCOPED_TRACE(vocabulary.szName);
        TempDir dir;
        std::string plain;
        for (int i = 0; i <= vocabulary.nCapacity; ++i)
            plain += "w\n";
        WriteFile(dir / "file.voca", Scramble(plain, vocabulary.key));
        const RunResult run = RunVoca({"entries", vocabulary.szName, dir / "file.voca"});
        ASSERT_EQ(run.nExit, 0) << run.err;
        EXPECT_EQ(run.out.size(), 4 * static_cast<std::size_t>(vocabulary.nCapacity));
        EXPECT_TRUE(HasLine(run.err, std::to_string(vocabulary.nCapacity) + " entries"))
            << run.err;
        EXPECT_NE(run.err.find("warning"), std::string::npos) << run.err;
    }
}

TEST(VocaToolTest, BadArgumentsWrongKindsAndFileErrorsAreRefused)
{
    TempDir dir;
    WriteFile(dir / "plain", "text\n");
    const std::string missing = dir / "missing";
    const std::string general = LEXIVANT2_DATA_DIR "/0.voca";
    const std::string technical = LEXIVANT2_DATA_DIR "/17.voca";
    const std::string kKinds = "general (0.voca) or technical (17.voca)";
    const struct
    {
        std::vector<std::string> args;
        int nExit;
        std::string errHolds;
    } cases[] = {
        {{}, 2, kKinds},
        {{"scramble", "general", "a"}, 2, kKinds},
        {{"entries", "general", "a", "b"}, 2, kKinds},
        {{"shuffle", "general", "a", "b"}, 2, kKinds},
        {{"scramble", "medical", "a", "b"}, 2, "'medical' is no vocabulary kind"},
        {{"unscramble", "general", missing, dir / "out"}, 1, missing},
        {{"entries", "technical", missing}, 1, missing},
        {{"scramble", "general", dir / "plain", missing + "/out"}, 1, missing + "/out"},
        // The other kind's constants make no text of a vocabulary: refused, nothing written.
        {{"unscramble", "technical", general, dir / "out"}, 1,
         general + " is not a technical vocabulary: with its constants the text is not GBK text"
                   " in lines (it reads as a general vocabulary); --force to go on anyway"},
        {{"entries", "general", technical}, 1, technical + " is not a general vocabulary"},
        {{"unscramble", "technical", technical, dir / "out"}, 0, ""},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(testing::PrintToString(test.args));
        std::filesystem::remove(dir / "out");
        const RunResult run = RunVoca(test.args);
        EXPECT_EQ(run.nExit, test.nExit);
        EXPECT_NE(run.err.find(test.errHolds), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(FileExists(dir / "out"), test.nExit == 0);
    }
}

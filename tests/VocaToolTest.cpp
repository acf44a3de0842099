// The voca command-line tool, run as a child process.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace
{
const struct
{
    const char* szName;
    ScrambleKey key;
    unsigned char unrepresentable[2];
} kKinds[] = {{"general", kGeneralKey, {0x1E, 0x1F}}, {"technical", kTechnicalKey, {0x1C, 0x1D}}};

std::string Repeat(const std::string& text, int nTimes)
{
    std::string out;
    for (int i = 0; i < nTimes; ++i)
        out += text;
    return out;
}
}  // namespace

TEST(VocaToolTest, ScrambleAndUnscrambleRoundTripEveryRepresentableByte)
{
    for (const auto& kind : kKinds)
    {
        SCOPED_TRACE(kind.szName);
        const TempDir dir;
        std::string plain;  // several blocks' worth
        for (int round = 0; round < 1000; ++round)
            for (int b = 0; b < 256; ++b)
                if (b != kind.unrepresentable[0] && b != kind.unrepresentable[1])
                    plain += static_cast<char>(b);
        WriteFile(dir / "plain", plain);
        ASSERT_EQ(RunProgram(VOCA_TOOL_PATH, {"scramble", kind.szName, dir / "plain", dir / "scrambled"}).nExit, 0);
        const std::string scrambled = ReadFile(dir / "scrambled");
        EXPECT_TRUE(scrambled == Scramble(plain, kind.key));
        // 0x00 and 0xFF in a scrambled file are dropped, as the loader drops them. Every byte
        // is no text: --force.
        WriteFile(dir / "padded", std::string(1, '\0') + scrambled.substr(0, 70000) + std::string("\xFF\0", 2) + scrambled.substr(70000));
        ASSERT_EQ(RunProgram(VOCA_TOOL_PATH, {"unscramble", "--force", kind.szName, dir / "padded", dir / "back"}).nExit, 0);
        EXPECT_TRUE(ReadFile(dir / "back") == plain);
    }
}

TEST(VocaToolTest, EachCommandGivesItsOutputOrRefusesWritingNothing)
{
    // "~" in args and err stands for the scratch directory. Every run finds ~/out holding
    // "previous": a refused run leaves it so and no temporary file beside it.
    const TempDir dir;
    const std::string general = LEXIVANT2_DATA_DIR "/0.voca", technical = LEXIVANT2_DATA_DIR "/17.voca";
    WriteFile(dir / "plain", "text\n");
    WriteFile(dir / "odd.voca", Scramble("back\\slash\ttab\x01\x7F\xC4\xE3 gbk\rcr\nnext", kGeneralKey));
    WriteFile(dir / "full0.voca", Scramble(Repeat("w\n", kGeneralCapacity + 1), kGeneralKey));
    WriteFile(dir / "full17.voca", Scramble(Repeat("w\n", kTechnicalCapacity + 1), kTechnicalKey));
    for (const auto& kind : kKinds)  // past the first block, so the offset counts the blocks before
        WriteFile(dir / kind.szName, std::string(70000, 'a') + static_cast<char>(kind.unrepresentable[1]) + "z");
    const std::string kKindsText = "general (0.voca) or technical (17.voca)";
    const struct
    {
        std::vector<std::string> args;
        int nExit;
        std::string out, errHolds;
    } cases[] = {
        // entries: one a line, every byte visible (control bytes are no text: --force); as
        // many as that kind's table holds, with a warning.
        {{"entries", "general", "~/odd.voca", "--force"}, 0, "back\\\\slash\\x09tab\\x01\\x7F\xC4\xE3 gbk\\rcr\\n\nnext\n", "2 entries\n"},
        {{"entries", "general", "~/full0.voca"}, 0, Repeat("w\\n\n", kGeneralCapacity), "120000 entries\nvoca: warning"},
        {{"entries", "technical", "~/full17.voca"}, 0, Repeat("w\\n\n", kTechnicalCapacity), "300000 entries\nvoca: warning"},
        {{"unscramble", "technical", technical, "~/out"}, 0, "", ""},
        {{"scramble", "general", "~/general", "~/out"}, 1, "", "byte 0x1F at offset 70000 has no scrambled form with the general"},
        {{"scramble", "technical", "~/technical", "~/out"}, 1, "", "byte 0x1D at offset 70000 has no scrambled form with the technical"},
        // The other kind's constants make no text of a vocabulary.
        {{"unscramble", "technical", general, "~/out"}, 1, "",
         general + " is not a technical vocabulary: with its constants the text is not GBK text"
                   " in lines (it reads as a general vocabulary); --force to go on anyway"},
        {{"entries", "general", technical}, 1, "", technical + " is not a general vocabulary"},
        {{}, 2, "", kKindsText},
        {{"scramble", "general", "a"}, 2, "", kKindsText},
        {{"entries", "general", "a", "b"}, 2, "", kKindsText},
        {{"shuffle", "general", "a", "b"}, 2, "", kKindsText},
        {{"scramble", "general", "a", "b", "--force"}, 2, "", kKindsText},
        {{"scramble", "medical", "a", "b"}, 2, "", "'medical' is no vocabulary kind"},
        {{"unscramble", "general", "~/missing", "~/out"}, 1, "", "~/missing: No such file"},
        {{"entries", "technical", "~/missing"}, 1, "", "~/missing: No such file"},
        {{"scramble", "general", "~/plain", "~/missing/out"}, 1, "", "~/missing/out"},
    };
    const auto tilde = [&](std::string text) {
        return text.starts_with("~") ? dir.Path() + text.substr(1) : text;
    };
    const auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    WriteFile(dir / "out", "previous");
    const std::vector<std::string> before = listing();
    for (const auto& test : cases)
    {
        SCOPED_TRACE(testing::PrintToString(test.args));
        WriteFile(dir / "out", "previous");
        std::vector<std::string> args;
        for (const std::string& arg : test.args)
            args.push_back(tilde(arg));
        const RunResult run = RunProgram(VOCA_TOOL_PATH, args);
        EXPECT_EQ(run.nExit, test.nExit);
        EXPECT_TRUE(run.out == test.out) << run.out.substr(0, 200);
        EXPECT_NE(run.err.find(tilde(test.errHolds)), std::string::npos) << run.err;
        const bool bWrites = test.nExit == 0 && test.args[0] == "unscramble";
        EXPECT_EQ(ReadFile(dir / "out") == "previous", !bWrites);
        EXPECT_EQ(listing(), before);
    }
}

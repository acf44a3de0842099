// The voca command-line tool, run as a child process.
#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace std::string_literals;

TEST(VocaToolTest, EachCommandGivesItsOutputOrRefusesWritingNothing)
{
    // "~" in args and err stands for the scratch directory. Every run finds ~/out holding
    // "previous": it holds `written` after, and nothing else there changes, no temporary file.
    const TempDir dir;
    const std::string general = LEXIVANT2_DATA_DIR "/0.voca", technical = LEXIVANT2_DATA_DIR "/17.voca";
    const auto repeat = [](const std::string& text, int n) { std::string out; while (n-- > 0) out += text; return out; };
    const std::string kinds[] = {"general", "technical"};
    const ScrambleKey keys[] = {kGeneralKey, kTechnicalKey};
    std::string plain[2];  // every byte the kind can scramble (not 0x1E, 0x1F; 0x1C, 0x1D), several blocks' worth
    for (const int k : {0, 1})
    {
        for (int b = 0; b < 256000; ++b)
            if ((b & 0xFE) % 256 != (k == 0 ? 0x1E : 0x1C)) plain[k] += static_cast<char>(b);
        WriteFile(dir / ("plain-" + kinds[k]), plain[k]);
        // 0x00 and 0xFF in a scrambled file are dropped, as the loader drops them.
        const std::string scrambled = Scramble(plain[k], keys[k]);
        WriteFile(dir / ("padded-" + kinds[k]), "\0"s + scrambled.substr(0, 70000) + "\xFF\0"s + scrambled.substr(70000));
        // Past the first block, so the offset counts the blocks before.
        WriteFile(dir / kinds[k], std::string(70000, 'a') + static_cast<char>(k == 0 ? 0x1F : 0x1D) + "z");
    }
    WriteFile(dir / "small17.voca", Scramble("benzene|\xB1\xBD\n", kTechnicalKey));
    WriteFile(dir / "odd.voca", Scramble("back\\slash\ttab\x01\x7F\xC4\xE3 gbk\rcr\nnext", kGeneralKey));
    WriteFile(dir / "full0.voca", Scramble(repeat("w\n", kGeneralCapacity + 1), kGeneralKey));
    WriteFile(dir / "full17.voca", Scramble(repeat("w\n", kTechnicalCapacity + 1), kTechnicalKey));
    const std::string kKindsText = "general (0.voca) or technical (17.voca)";
    const struct { std::vector<std::string> args; int nExit; std::string out, errHolds, written = "previous"; } cases[] = {
        // Every byte goes through and back (every byte is no text: --force).
        {{"scramble", "general", "~/plain-general", "~/out"}, 0, "", "", Scramble(plain[0], kGeneralKey)},
        {{"scramble", "technical", "~/plain-technical", "~/out"}, 0, "", "", Scramble(plain[1], kTechnicalKey)},
        {{"unscramble", "--force", "general", "~/padded-general", "~/out"}, 0, "", "", plain[0]},
        {{"unscramble", "--force", "technical", "~/padded-technical", "~/out"}, 0, "", "", plain[1]},
        {{"unscramble", "technical", "~/small17.voca", "~/out"}, 0, "", "", "benzene|\xB1\xBD\n"},
        // "<" before a file: it comes through a pipe, the kind checked all the same.
        {{"unscramble", "technical", "<~/small17.voca", "~/out"}, 0, "", "", "benzene|\xB1\xBD\n"},
        {{"unscramble", "--force", "general", "<~/padded-general", "~/out"}, 0, "", "", plain[0]},
        {{"entries", "technical", "<~/small17.voca"}, 0, "benzene|\xB1\xBD\\n\n", "1 entries\n"},
        // entries: one a line, every byte visible (control bytes are no text: --force); as
        // many as that kind's table holds, with a warning.
        {{"entries", "general", "~/odd.voca", "--force"}, 0, "back\\\\slash\\x09tab\\x01\\x7F\xC4\xE3 gbk\\rcr\\n\nnext\n", "2 entries\n"},
        {{"entries", "general", "~/full0.voca"}, 0, repeat("w\\n\n", kGeneralCapacity), "120000 entries\nvoca: warning"},
        {{"entries", "technical", "~/full17.voca"}, 0, repeat("w\\n\n", kTechnicalCapacity), "300000 entries\nvoca: warning"},
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
        {{"scramble", "general", "~/small17.voca", "~/missing/out"}, 1, "", "~/missing/out"},
    };
    const auto tilde = [&](const std::string& text) { return text.starts_with("~") ? dir.Path() + text.substr(1) : text; };
    WriteFile(dir / "out", "previous");
    const auto before = ListDirectory(dir.Path());
    for (const auto& test : cases)
    {
        SCOPED_TRACE(testing::PrintToString(test.args));
        WriteFile(dir / "out", "previous");
        std::vector<std::string> args{"-c", "cat \"$0\" | \"$@\"", "/dev/null", VOCA_TOOL_PATH};
        for (const std::string& arg : test.args)
            args.push_back(arg.starts_with("<") ? (args[2] = tilde(arg.substr(1)), "/dev/stdin") : tilde(arg));
        const RunResult run = RunProgram("/bin/sh", args);
        EXPECT_TRUE(run.nExit == test.nExit && run.out == test.out) << run.nExit << ": " << run.out.substr(0, 200);
        EXPECT_NE(run.err.find(tilde(test.errHolds)), std::string::npos) << run.err;
        auto after = ListDirectory(dir.Path());
        EXPECT_TRUE(std::exchange(after["out"], "previous") == test.written && after == before);
    }
}

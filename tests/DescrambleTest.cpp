#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <string>

#include "TestSupport.h"
#include "vocabulary/Descramble.h"
#include "vocabulary/FileHandle.h"

TEST(Descramble, ByteFollowsTheFourStepsAndEachKeyLosesOnlyTwoControlBytes)
{
    // complement, subtract, complement, add; modulo 256 (worked by hand)
    EXPECT_EQ(DescrambleByte(0x10, 0x05, 0x20), 0x35);  // ~10=EF, -05=EA, ~=15, +20=35
    EXPECT_EQ(DescrambleByte(0x80, 0x90, 0x00), 0x10);  // ~80=7F, -90=EF (wraps), ~=10
    EXPECT_EQ(DescrambleByte(0x01, 0x00, 0xFF), 0x00);  // wraps on the addition
    struct Case { ScrambleKey key; int lost1, lost2; };
    for (const Case c : {Case{kGeneralKey, 0x1E, 0x1F}, Case{kTechnicalKey, 0x1C, 0x1D}})
        for (int p = 0; p < 256; ++p)
        {
            const auto scrambled = ScrambleByte(static_cast<std::uint8_t>(p), c.key);
            ASSERT_EQ(!scrambled, p == c.lost1 || p == c.lost2) << p;
            EXPECT_TRUE(!scrambled || (*scrambled != 0x00 && *scrambled != 0xFF &&
                                       DescrambleByte(*scrambled, c.key.subtrahend, c.key.addend) == p)) << p;
        }
    EXPECT_NE(ScrambleByte('a', kGeneralKey), ScrambleByte('a', kTechnicalKey));  // and neither is 'a'
    EXPECT_NE(*ScrambleByte('a', kGeneralKey), 'a');
}

TEST(Descramble, FileMatchesTheByteTransformDropsNulAndFFAndReportsErrors)
{
    std::mt19937 random(7);
    std::string every, big(200000, '\0');
    for (int i = 0; i < 256; ++i)
        every.push_back(static_cast<char>(i));
    // Crosses several blocks; the first holds no dropped byte (the word-wise path), the others many.
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i >= 70000 && random() % 7 == 0 ? (random() % 2 ? 0x00 : 0xFF) : 1 + random() % 254);
    TempDir dir;
    for (ScrambleKey key : {kGeneralKey, kTechnicalKey, ScrambleKey{0xFF, 0x80}})
        for (const std::string& in : {std::string(), std::string(3, '\0'), std::string("ab\xFF" "cd"), every, every.substr(1, 254), big})
        {
            std::string expected;
            for (const char c : in)
                if (c != '\0' && c != '\xFF')
                    expected.push_back(static_cast<char>(DescrambleByte(static_cast<std::uint8_t>(c), key.subtrahend, key.addend)));
            WriteFile(dir / "in", in);
            FileHandle inFd(::open((dir / "in").c_str(), O_RDONLY)), out(::open((dir / "out").c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600));
            EXPECT_EQ(DescrambleFile(inFd.Get(), out.Get(), key.subtrahend, key.addend), CopyResult::kDone);
            EXPECT_TRUE(ReadFile(dir / "out") == expected) << in.size();
        }
    // A directory reads with EISDIR: an error, not an end. A read-only descriptor takes no write.
    FileHandle directory(::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY)), in(::open((dir / "in").c_str(), O_RDONLY));
    FileHandle readOnly(::open((dir / "in").c_str(), O_RDONLY)), out(::open((dir / "out").c_str(), O_RDWR));
    EXPECT_EQ(DescrambleFile(directory.Get(), out.Get(), 1, 2), CopyResult::kReadError);
    EXPECT_EQ(DescrambleFile(in.Get(), readOnly.Get(), 1, 2), CopyResult::kWriteError);
    const std::atomic<bool> stop{true};
    EXPECT_EQ(DescrambleFile(in.Get(), out.Get(), 1, 2, &stop), CopyResult::kStopped);
}

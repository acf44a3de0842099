#include <gtest/gtest.h>

#include <fcntl.h>
#include <numeric>
#include <random>

#include "TestSupport.h"
#include "vocabulary/FileHandle.h"

TEST(Descramble, ByteFollowsTheFourStepsAndEachKeyLosesOnlyTwoControlBytes)
{
    // complement, subtract, complement, add; modulo 256 (worked by hand)
    // ~10=EF, -05=EA, ~=15, +20=35; ~80=7F, -90=EF (wraps), ~=10; 01 wraps on the addition
    EXPECT_EQ((std::array{DescrambleByte(0x10, 0x05, 0x20), DescrambleByte(0x80, 0x90, 0x00),
                          DescrambleByte(0x01, 0x00, 0xFF)}), (std::array<std::uint8_t, 3>{0x35, 0x10, 0x00}));
    // Every byte but two scrambles to neither 0x00 nor 0xFF, and back.
    for (const auto& [key, nLost] : {std::pair{kGeneralKey, 0x1E}, {kTechnicalKey, 0x1C}})
        for (int p = 0; p < 256; ++p)
        {
            const auto s = ScrambleByte(static_cast<std::uint8_t>(p), key);
            EXPECT_EQ(s && *s != 0x00 && *s != 0xFF && DescrambleByte(*s, key.subtrahend, key.addend) == p, p != nLost && p != nLost + 1) << p;
        }
}

TEST(Descramble, FileMatchesTheByteTransformDropsNulAndFFAndReportsErrors)
{
    std::mt19937 random(7);
    std::string every(256, '\0'), big(200000, '\0');
    std::iota(every.begin(), every.end(), '\0');
    // Crosses several blocks; the first holds no dropped byte (the fast path), the others many.
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i >= 70000 && random() % 7 == 0 ? (random() % 2 ? 0x00 : 0xFF) : 1 + random() % 254);
    TempDir dir;
    for (ScrambleKey key : {kGeneralKey, kTechnicalKey, ScrambleKey{0xFF, 0x80}})
        for (const std::string& in : {std::string(), std::string(3, '\0'), std::string("ab\xFF" "cd"), every, std::string(every.rbegin(), every.rend()), every.substr(1, 254), big})
        {
            std::string expected;
            for (const char c : in)
                if (c != '\0' && c != '\xFF')
                    expected.push_back(static_cast<char>(DescrambleByte(static_cast<std::uint8_t>(c), key.subtrahend, key.addend)));
            WriteFile(dir / "in", in);
            FileHandle inFd(::open((dir / "in").c_str(), O_RDONLY)), out(::open((dir / "out").c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600));
            const CopyResult result = DescrambleFile(inFd.Get(), out.Get(), key.subtrahend, key.addend);
            EXPECT_TRUE(result == CopyResult::kDone && ReadFile(dir / "out") == expected) << in.size();
        }
    // A directory reads with EISDIR: an error, not an end. A read-only descriptor takes no write.
    FileHandle directory(::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY)), in(::open((dir / "in").c_str(), O_RDONLY));
    FileHandle out(::open((dir / "out").c_str(), O_RDWR));
    const std::atomic<bool> stop{true};
    EXPECT_EQ(DescrambleFile(directory.Get(), out.Get(), 1, 2), CopyResult::kReadError);
    EXPECT_EQ(DescrambleFile(in.Get(), in.Get(), 1, 2), CopyResult::kWriteError);
    EXPECT_EQ(DescrambleFile(in.Get(), out.Get(), 1, 2, &stop), CopyResult::kStopped);
}

#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <string>
#include <unistd.h>

#include "TestSupport.h"
#include "vocabulary/Descramble.h"
#include "vocabulary/FileHandle.h"

namespace
{
// What the copy must produce: 0x00 and 0xFF dropped, every other byte through DescrambleByte.
std::string ExpectedPlain(const std::string& scrambled, ScrambleKey key)
{
    std::string plain;
    for (char c : scrambled)
    {
        auto b = static_cast<std::uint8_t>(c);
        if (b != 0x00 && b != 0xFF)
            plain.push_back(static_cast<char>(DescrambleByte(b, key.subtrahend, key.addend)));
    }
    return plain;
}

std::string CopyThroughFiles(const std::string& scrambled, ScrambleKey key, CopyResult* pResult)
{
    TempDir dir;
    WriteFile(dir / "in", scrambled);
    FileHandle in(::open((dir / "in").c_str(), O_RDONLY));
    FileHandle out(::open((dir / "out").c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600));
    *pResult = DescrambleFile(in.Get(), out.Get(), key.subtrahend, key.addend);
    return ReadFile(dir / "out");
}
}  // namespace

TEST(DescrambleByte, FollowsTheFourSteps)
{
    // complement, subtract, complement, add; all modulo 256 (worked by hand)
    struct Case { std::uint8_t value, subtrahend, addend, plain; };
    const Case cases[] = {
        {0x10, 0x05, 0x20, 0x35},  // ~10=EF, -05=EA, ~=15, +20=35
        {0xFE, 0x01, 0x00, 0xFF},  // ~FE=01, -01=00, ~=FF
        {0x01, 0x00, 0xFF, 0x00},  // wraps on the addition
        {0x80, 0x90, 0x00, 0x10},  // ~80=7F, -90=EF (wraps), ~=10
        {0x41, 0x00, 0x00, 0x41},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescrambleByte(c.value, c.subtrahend, c.addend), c.plain)
            << std::hex << int(c.value) << " " << int(c.subtrahend) << " " << int(c.addend);
}

TEST(ScrambleKeys, LeaveOnlyTwoControlBytesUnrepresentable)
{
    struct Case { const char* name; ScrambleKey key; std::uint8_t lost1, lost2; };
    const Case cases[] = {{"general", kGeneralKey, 0x1E, 0x1F},
                          {"technical", kTechnicalKey, 0x1C, 0x1D}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        for (int p = 0; p < 256; ++p)
        {
            auto plain = static_cast<std::uint8_t>(p);
            auto scrambled = ScrambleByte(plain, c.key);
            if (plain == c.lost1 || plain == c.lost2)
            {
                EXPECT_FALSE(scrambled) << p;
                continue;
            }
            ASSERT_TRUE(scrambled) << p;
            EXPECT_NE(*scrambled, 0x00);
            EXPECT_NE(*scrambled, 0xFF);
            EXPECT_EQ(DescrambleByte(*scrambled, c.key.subtrahend, c.key.addend), plain);
        }
        // A scrambled file must not read as its text.
        EXPECT_NE(*ScrambleByte('a', c.key), 'a');
    }
    EXPECT_NE(ScrambleByte('a', kGeneralKey), ScrambleByte('a', kTechnicalKey));
}

TEST(DescrambleFile, MatchesTheByteTransformAndDropsNullAndFF)
{
    std::mt19937 random(7);
    std::string everyByte;
    for (int i = 0; i < 256; ++i)
        everyByte.push_back(static_cast<char>(i));
    // Crosses several blocks; the first holds no dropped byte, the others many.
    std::string big(200000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i >= 70000 && random() % 7 == 0 ? (random() % 2 ? 0x00 : 0xFF)
                                                                    : 1 + random() % 254);

    struct Case { const char* name; std::string scrambled; };
    const Case cases[] = {
        {"empty", ""},
        {"only dropped bytes, 0x00", std::string(3, '\0')},
        {"0xFF among kept bytes", "ab\xFF" "cd"},
        {"every byte", everyByte},
        {"every byte but the dropped ones, not whole words", everyByte.substr(1, 254)},
        {"random, several blocks", big},
    };
    for (ScrambleKey key : {kGeneralKey, kTechnicalKey, ScrambleKey{0, 0}, ScrambleKey{0xFF, 0x80}})
        for (const auto& c : cases)
        {
            SCOPED_TRACE(c.name);
            CopyResult result{};
            EXPECT_EQ(CopyThroughFiles(c.scrambled, key, &result), ExpectedPlain(c.scrambled, key));
            EXPECT_EQ(result, CopyResult::kDone);
        }
}

TEST(DescrambleFile, ReportsReadErrorsWriteErrorsAndStops)
{
    TempDir dir;
    WriteFile(dir / "in", std::string(1000, 'x'));
    FileHandle directory(::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY));
    FileHandle in(::open((dir / "in").c_str(), O_RDONLY));
    FileHandle readOnlyOut(::open((dir / "in").c_str(), O_RDONLY));
    FileHandle out(::open((dir / "out").c_str(), O_RDWR | O_CREAT, 0600));

    // Reading a directory fails with EISDIR: an error, not an end, so no endless loop.
    EXPECT_EQ(DescrambleFile(directory.Get(), out.Get(), 1, 2), CopyResult::kReadError);
    EXPECT_EQ(DescrambleFile(in.Get(), readOnlyOut.Get(), 1, 2), CopyResult::kWriteError);
    std::atomic<bool> stop{true};
    EXPECT_EQ(DescrambleFile(in.Get(), out.Get(), 1, 2, &stop), CopyResult::kStopped);
}

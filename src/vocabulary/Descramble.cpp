#include "vocabulary/Descramble.h"

#include <cstring>
#include <span>

#include "vocabulary/FileHandle.h"

namespace
{
// Without a buffer of the caller's, one on the stack: no heap memory to fail on.
constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7FULL;

// Adds the same byte to each of the eight bytes of a word, each wrapping on its own.
std::uint64_t AddBytewise(std::uint64_t w, std::uint64_t k)
{
    return ((w & kLows) + (k & kLows)) ^ ((w ^ k) & kHighs);
}

// Descrambles n bytes in place, dropping 0x00 and 0xFF; returns the bytes kept. The
// transform of a byte works out as adding one constant modulo 256. A block without the
// two dropped bytes, as every block of a real file is, takes that addition eight bytes at
// a time (a third of the time of a byte loop); any other block goes byte by byte.
std::size_t DescrambleBlock(std::uint8_t* p, std::size_t n, std::uint8_t shift)
{
    std::size_t nOut = 0;
    if (std::memchr(p, 0x00, n) || std::memchr(p, 0xFF, n))
    {
        for (std::size_t i = 0; i < n; ++i)
        {
            const std::uint8_t value = p[i];
            p[nOut] = static_cast<std::uint8_t>(value + shift);
            nOut += (value != 0x00 && value != 0xFF);
        }
        return nOut;
    }
    const std::uint64_t k = kOnes * shift;
    for (; nOut + 8 <= n; nOut += 8)
    {
        std::uint64_t w;
        std::memcpy(&w, p + nOut, 8);
        w = AddBytewise(w, k);
        std::memcpy(p + nOut, &w, 8);
    }
    for (; nOut < n; ++nOut)
        p[nOut] = static_cast<std::uint8_t>(p[nOut] + shift);
    return nOut;
}
}  // namespace

std::uint8_t DescrambleByte(std::uint8_t value, std::uint8_t subtrahend, std::uint8_t addend)
{
    std::uint8_t b = static_cast<std::uint8_t>(~value);
    b = static_cast<std::uint8_t>(b - subtrahend);
    b = static_cast<std::uint8_t>(~b);
    return static_cast<std::uint8_t>(b + addend);
}

std::optional<std::uint8_t> ScrambleByte(std::uint8_t plain, ScrambleKey key)
{
    // DescrambleByte(v) is v + subtrahend + addend, so the inverse subtracts both.
    auto scrambled = static_cast<std::uint8_t>(plain - key.subtrahend - key.addend);
    if (scrambled == 0x00 || scrambled == 0xFF)
        return std::nullopt;
    return scrambled;
}

CopyResult DescrambleFile(int scrambledFd, int plainFd, std::uint8_t subtrahend,
                          std::uint8_t addend, const std::atomic<bool>* pStop)
{
    std::uint8_t buffer[kBlockBytes];
    return DescrambleFile(scrambledFd, plainFd, subtrahend, addend, pStop,
                          std::span<char>(reinterpret_cast<char*>(buffer), kBlockBytes));
}

CopyResult DescrambleFile(int scrambledFd, int plainFd, std::uint8_t subtrahend,
                          std::uint8_t addend, const std::atomic<bool>* pStop,
                          std::span<char> work)
{
    const std::uint8_t shift = DescrambleByte(0, subtrahend, addend);
    auto* p = reinterpret_cast<std::uint8_t*>(work.data());
    for (;;)
    {
        if (pStop && pStop->load(std::memory_order_relaxed))
            return CopyResult::kStopped;
        ssize_t n = ReadSome(scrambledFd, p, work.size());
        if (n < 0)
            return CopyResult::kReadError;
        if (n == 0)
            return CopyResult::kDone;
        std::size_t nOut = DescrambleBlock(p, static_cast<std::size_t>(n), shift);
        if (!WriteAll(plainFd, p, nOut))
            return CopyResult::kWriteError;
    }
}

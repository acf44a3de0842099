#include "vocabulary/Descramble.h"

#include <cstring>

#include "vocabulary/FileHandle.h"

namespace
{
// Buffers live on the loader's stack: a load needs no heap memory to fail on.
constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7FULL;

// Adds the same byte to each of the eight bytes of a word, each wrapping on its own.
std::uint64_t AddBytewise(std::uint64_t w, std::uint64_t k)
{
    return ((w & kLows) + (k & kLows)) ^ ((w ^ k) & kHighs);
}

// Descrambles n bytes into pOut, dropping 0x00 and 0xFF; returns the bytes written. The
// transform of a byte works out as adding one constant modulo 256. A block without the
// two dropped bytes, as every block of a real file is, takes that addition eight bytes at
// a time (a third of the time of a byte loop); any other block goes byte by byte.
std::size_t DescrambleBlock(const std::uint8_t* pIn, std::size_t n, std::uint8_t shift,
                            std::uint8_t* pOut)
{
    std::size_t nOut = 0;
    if (std::memchr(pIn, 0x00, n) || std::memchr(pIn, 0xFF, n))
    {
        for (std::size_t i = 0; i < n; ++i)
        {
            pOut[nOut] = static_cast<std::uint8_t>(pIn[i] + shift);
            nOut += (pIn[i] != 0x00 && pIn[i] != 0xFF);
        }
        return nOut;
    }
    const std::uint64_t k = kOnes * shift;
    for (; nOut + 8 <= n; nOut += 8)
    {
        std::uint64_t w;
        std::memcpy(&w, pIn + nOut, 8);
        w = AddBytewise(w, k);
        std::memcpy(pOut + nOut, &w, 8);
    }
    for (; nOut < n; ++nOut)
        pOut[nOut] = static_cast<std::uint8_t>(pIn[nOut] + shift);
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
    const std::uint8_t shift = DescrambleByte(0, subtrahend, addend);
    std::uint8_t in[kBlockBytes];
    std::uint8_t out[kBlockBytes];
    for (;;)
    {
        if (pStop && pStop->load(std::memory_order_relaxed))
            return CopyResult::kStopped;
        ssize_t n = ReadSome(scrambledFd, in, kBlockBytes);
        if (n < 0)
            return CopyResult::kReadError;
        if (n == 0)
            return CopyResult::kDone;
        std::size_t nOut = DescrambleBlock(in, static_cast<std::size_t>(n), shift, out);
        if (!WriteAll(plainFd, out, nOut))
            return CopyResult::kWriteError;
    }
}

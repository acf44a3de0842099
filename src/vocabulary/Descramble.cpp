#include "vocabulary/Descramble.h"

#include <cstring>
#include <span>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "vocabulary/FileHandle.h"

namespace
{
// Without a buffer of the caller's, one on the stack: no heap memory to fail on.
constexpr std::size_t kBlockBytes = 64 * 1024;
#if !defined(__SSE2__)
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7FULL;

// Adds the same byte to each of the eight bytes of a word, each wrapping on its own.
std::uint64_t AddBytewise(std::uint64_t w, std::uint64_t k)
{
    return ((w & kLows) + (k & kLows)) ^ ((w ^ k) & kHighs);
}
#endif

// Descrambles the bytes at p in place up to the first 0x00 or 0xFF, or near the end, in
// one pass that both looks for them and adds; returns how far it got. The transform of a
// byte works out as adding one constant modulo 256.
std::size_t DescrambleUpToDropped(std::uint8_t* p, std::size_t n, std::uint8_t shift)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i k = _mm_set1_epi8(static_cast<char>(shift));
    const __m128i zero = _mm_setzero_si128();
    const __m128i ones = _mm_set1_epi8(-1);
    for (; i + 16 <= n; i += 16)
    {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if (_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, zero), _mm_cmpeq_epi8(v, ones))) != 0)
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), _mm_add_epi8(v, k));
    }
#else
    if (std::memchr(p, 0x00, n) || std::memchr(p, 0xFF, n))
        return 0;
    const std::uint64_t k = kOnes * shift;
    for (; i + 8 <= n; i += 8)
    {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        w = AddBytewise(w, k);
        std::memcpy(p + i, &w, 8);
    }
#endif
    return i;
}

// Descrambles n bytes in place, dropping 0x00 and 0xFF; returns the bytes kept. Every
// block of a real file is free of the two, and takes the fast pass whole (a tenth of the
// time of a byte loop); the rest goes byte by byte.
std::size_t DescrambleBlock(std::uint8_t* p, std::size_t n, std::uint8_t shift)
{
    std::size_t nOut = DescrambleUpToDropped(p, n, shift);
    for (std::size_t i = nOut; i < n; ++i)
    {
        const std::uint8_t value = p[i];
        p[nOut] = static_cast<std::uint8_t>(value + shift);
        nOut += (value != 0x00 && value != 0xFF);
    }
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

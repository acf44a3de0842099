#include "search/FramedFinder.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define LEXIVANT2_X86 1
#endif

namespace
{
constexpr std::size_t npos = std::string_view::npos;

#ifdef LEXIVANT2_X86
// The different bytes on one side of the frames, the last repeated to fill the four; false
// when there are more than four.
bool FillSet(char (&set)[4], std::span<const FramedFinder::Frame> frames, std::size_t side)
{
    std::string bytes;
    for (const auto& frame : frames)
        if (bytes.find(frame[side]) == npos)
            bytes += frame[side];
    for (std::size_t i = 0; i < 4; ++i)
        set[i] = bytes.empty() ? '\0' : bytes[std::min(i, bytes.size() - 1)];
    return bytes.size() <= 4;
}

__attribute__((target("avx2"))) inline __m256i AnyOf(__m256i block, const char (&set)[4])
{
    const __m256i a = _mm256_or_si256(_mm256_cmpeq_epi8(block, _mm256_set1_epi8(set[0])),
                                      _mm256_cmpeq_epi8(block, _mm256_set1_epi8(set[1])));
    const __m256i b = _mm256_or_si256(_mm256_cmpeq_epi8(block, _mm256_set1_epi8(set[2])),
                                      _mm256_cmpeq_epi8(block, _mm256_set1_epi8(set[3])));
    return _mm256_or_si256(a, b);
}

__attribute__((target("avx2"))) inline __m256i Load(const char* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Positions i from `start` (at least 1) whose needle and frame all lie in s[0, n), 32 at a
// time; returns where it stopped in `next` so that the caller finishes the rest.
__attribute__((target("avx2"))) std::size_t FindFramedAvx2(const char* s, std::size_t n, std::size_t start,
                                                            std::string_view needle, const char (&before)[4],
                                                            const char (&after)[4], std::size_t& next)
{
    const std::size_t k = needle.size();
    const __m256i first = _mm256_set1_epi8(needle.front());
    const __m256i last = _mm256_set1_epi8(needle.back());
    std::size_t i = start;
    for (; i + k + 32 <= n; i += 32)
    {
        const __m256i candidates = _mm256_and_si256(
            _mm256_and_si256(AnyOf(Load(s + i - 1), before), AnyOf(Load(s + i + k), after)),
            _mm256_and_si256(_mm256_cmpeq_epi8(Load(s + i), first), _mm256_cmpeq_epi8(Load(s + i + k - 1), last)));
        for (auto mask = static_cast<unsigned>(_mm256_movemask_epi8(candidates)); mask; mask &= mask - 1)
        {
            const std::size_t pos = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (std::memcmp(s + pos, needle.data(), k) == 0)
                return pos;
        }
    }
    next = i;
    return npos;
}
#endif
}  // namespace

FramedFinder::FramedFinder(std::string_view needle, std::span<const Frame> frames, SubstringFinder::Method method)
    : m_needle(needle), m_frames(frames.begin(), frames.end()), m_plain(needle, method)
{
#ifdef LEXIVANT2_X86
    // The vector path only where each side's bytes fill its set.
    m_bVector = !needle.empty() && FillSet(m_before, frames, 0) && FillSet(m_after, frames, 1) &&
                (method == SubstringFinder::Method::kBest || method == SubstringFinder::Method::kAvx2) &&
                SubstringFinder::Supported(SubstringFinder::Method::kAvx2);
#else
    m_bVector = false;
#endif
}

bool FramedFinder::Framed(std::string_view haystack, std::size_t pos) const
{
    const std::size_t end = pos + m_needle.size();
    return pos > 0 && end < haystack.size() &&
           std::ranges::find(m_frames, Frame{haystack[pos - 1], haystack[end]}) != m_frames.end();
}

std::size_t FramedFinder::Find(std::string_view haystack, std::size_t from) const
{
    std::size_t pos = std::max<std::size_t>(from, 1);
#ifdef LEXIVANT2_X86
    // Its candidates have bytes of the two sides around them, not yet those of one frame.
    for (std::size_t found; m_bVector && pos < haystack.size() &&
                            (found = FindFramedAvx2(haystack.data(), haystack.size(), pos, m_needle,
                                                    m_before, m_after, pos)) != npos;
         pos = found + 1)
        if (Framed(haystack, found))
            return found;
#endif
    // The rest (or all, without the vector path): occurrence by occurrence.
    for (; (pos = m_plain.Find(haystack, pos)) != npos; ++pos)
        if (Framed(haystack, pos))
            return pos;
    return npos;
}

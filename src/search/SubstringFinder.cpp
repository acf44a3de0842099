#include "search/SubstringFinder.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define LEXIVANT2_X86 1
#endif

namespace
{
constexpr std::size_t npos = SubstringFinder::npos;

std::size_t FindPortable(const char* s, std::size_t n, const char* needle, std::size_t k)
{
    const void* p = ::memmem(s, n, needle, k);
    return p ? static_cast<std::size_t>(static_cast<const char*>(p) - s) : npos;
}

#ifdef LEXIVANT2_X86
// Both vector paths compare the needle's first and last byte at every position of a block
// at once and check the middle only where both agree.
// Where in the 32 positions from s + i the needle's first and last byte both stand.
__attribute__((target("avx2"))) inline unsigned CandidatesAvx2(const char* s, std::size_t i,
                                                                std::size_t k, char cFirst, char cLast)
{
    const __m256i blockFirst = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i blockLast = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + k - 1));
    return static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_set1_epi8(cFirst), blockFirst),
                         _mm256_cmpeq_epi8(_mm256_set1_epi8(cLast), blockLast))));
}

std::size_t CheckCandidates(const char* s, std::size_t i, unsigned mask, const char* needle, std::size_t k)
{
    for (; mask; mask &= mask - 1)
    {
        const auto bit = static_cast<std::size_t>(__builtin_ctz(mask));
        if (std::memcmp(s + i + bit + 1, needle + 1, k - 2) == 0)
            return i + bit;
    }
    return npos;
}

__attribute__((target("avx2"))) std::size_t FindAvx2(const char* s, std::size_t n,
                                                      const char* needle, std::size_t k)
{
    const char cFirst = needle[0], cLast = needle[k - 1];
    std::size_t i = 0;
    // Two blocks a round, one branch for both: most rounds find no candidate at all.
    for (; i + k - 1 + 64 <= n; i += 64)
    {
        const unsigned low = CandidatesAvx2(s, i, k, cFirst, cLast);
        const unsigned high = CandidatesAvx2(s, i + 32, k, cFirst, cLast);
        if ((low | high) == 0)
            continue;
        if (std::size_t found = CheckCandidates(s, i, low, needle, k); found != npos)
            return found;
        if (std::size_t found = CheckCandidates(s, i + 32, high, needle, k); found != npos)
            return found;
    }
    for (; i + k - 1 + 32 <= n; i += 32)
        if (std::size_t found = CheckCandidates(s, i, CandidatesAvx2(s, i, k, cFirst, cLast), needle, k);
            found != npos)
            return found;
    const std::size_t rest = FindPortable(s + i, n - i, needle, k);
    return rest == npos ? npos : i + rest;
}

__attribute__((target("sse2"))) std::size_t FindSse2(const char* s, std::size_t n,
                                                      const char* needle, std::size_t k)
{
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[k - 1]);
    std::size_t i = 0;
    for (; i + k - 1 + 16 <= n; i += 16)
    {
        const __m128i blockFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i blockLast = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + k - 1));
        const auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(first, blockFirst), _mm_cmpeq_epi8(last, blockLast))));
        if (std::size_t found = CheckCandidates(s, i, mask, needle, k); found != npos)
            return found;
    }
    const std::size_t rest = FindPortable(s + i, n - i, needle, k);
    return rest == npos ? npos : i + rest;
}
#endif

SubstringFinder::Method BestMethod()
{
#ifdef LEXIVANT2_X86
    if (__builtin_cpu_supports("avx2"))
        return SubstringFinder::Method::kAvx2;
    if (__builtin_cpu_supports("sse2"))
        return SubstringFinder::Method::kSse2;
#endif
    return SubstringFinder::Method::kPortable;
}
}  // namespace

bool SubstringFinder::Supported(Method method)
{
#ifdef LEXIVANT2_X86
    if (method == Method::kAvx2)
        return __builtin_cpu_supports("avx2");
    if (method == Method::kSse2)
        return __builtin_cpu_supports("sse2");
    return true;
#else
    return method == Method::kBest || method == Method::kPortable;
#endif
}

SubstringFinder::SubstringFinder(std::string_view needle, Method method)
    : m_needle(needle), m_method(method == Method::kBest || !Supported(method) ? BestMethod() : method)
{
}

std::size_t SubstringFinder::Find(std::string_view haystack, std::size_t from) const
{
    if (from > haystack.size())
        return npos;
    const char* s = haystack.data() + from;
    const std::size_t n = haystack.size() - from;
    const std::size_t k = m_needle.size();
    if (k == 0)
        return from;
    if (k > n)
        return npos;
    std::size_t found;
    if (k == 1)
    {
        const void* p = std::memchr(s, m_needle[0], n);
        found = p ? static_cast<std::size_t>(static_cast<const char*>(p) - s) : npos;
    }
#ifdef LEXIVANT2_X86
    else if (m_method == Method::kAvx2)
        found = FindAvx2(s, n, m_needle.data(), k);
    else if (m_method == Method::kSse2)
        found = FindSse2(s, n, m_needle.data(), k);
#endif
    else
        found = FindPortable(s, n, m_needle.data(), k);
    return found == npos ? npos : from + found;
}

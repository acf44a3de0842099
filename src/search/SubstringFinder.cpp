#include "search/SubstringFinder.h"

#include <algorithm>
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
// Both vector paths compare two bytes of the needle, at offsets o1 < o2, at every position of
// a block at once and check the whole needle only where both agree.
struct Pivots
{
    std::size_t o1, o2;
    char c1, c2;
};

std::size_t CheckCandidates(const char* s, std::size_t i, unsigned mask, const char* needle, std::size_t k)
{
    for (; mask; mask &= mask - 1)
    {
        const auto bit = static_cast<std::size_t>(__builtin_ctz(mask));
        if (std::memcmp(s + i + bit, needle, k) == 0)
            return i + bit;
    }
    return npos;
}

// Where in the 32 positions from s + i both pivot bytes stand, as bytes of 0xFF.
__attribute__((target("avx2"))) inline __m256i CandidatesAvx2(const char* s, std::size_t i, const Pivots& p)
{
    const __m256i block1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + p.o1));
    const __m256i block2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + p.o2));
    return _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_set1_epi8(p.c1), block1),
                            _mm256_cmpeq_epi8(_mm256_set1_epi8(p.c2), block2));
}

__attribute__((target("avx2"))) inline unsigned MaskAvx2(__m256i candidates)
{
    return static_cast<unsigned>(_mm256_movemask_epi8(candidates));
}

__attribute__((target("avx2"))) std::size_t FindAvx2(const char* s, std::size_t n, const char* needle,
                                                      std::size_t k, const Pivots& p)
{
    std::size_t i = 0;
    // Four blocks a round and one test for all: most rounds find no candidate at all.
    for (; i + k - 1 + 128 <= n; i += 128)
    {
        const __m256i blocks[] = {CandidatesAvx2(s, i, p), CandidatesAvx2(s, i + 32, p),
                                  CandidatesAvx2(s, i + 64, p), CandidatesAvx2(s, i + 96, p)};
        const __m256i any = _mm256_or_si256(_mm256_or_si256(blocks[0], blocks[1]),
                                            _mm256_or_si256(blocks[2], blocks[3]));
        if (_mm256_testz_si256(any, any))
            continue;
        for (std::size_t j = 0; j < 4; ++j)
            if (std::size_t found = CheckCandidates(s, i + 32 * j, MaskAvx2(blocks[j]), needle, k); found != npos)
                return found;
    }
    for (; i + k - 1 + 32 <= n; i += 32)
        if (std::size_t found = CheckCandidates(s, i, MaskAvx2(CandidatesAvx2(s, i, p)), needle, k); found != npos)
            return found;
    const std::size_t rest = FindPortable(s + i, n - i, needle, k);
    return rest == npos ? npos : i + rest;
}

__attribute__((target("sse2"))) std::size_t FindSse2(const char* s, std::size_t n, const char* needle,
                                                      std::size_t k, const Pivots& p)
{
    const __m128i pivot1 = _mm_set1_epi8(p.c1);
    const __m128i pivot2 = _mm_set1_epi8(p.c2);
    std::size_t i = 0;
    for (; i + k - 1 + 16 <= n; i += 16)
    {
        const __m128i block1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + p.o1));
        const __m128i block2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + p.o2));
        const auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(pivot1, block1), _mm_cmpeq_epi8(pivot2, block2))));
        if (std::size_t found = CheckCandidates(s, i, mask, needle, k); found != npos)
            return found;
    }
    const std::size_t rest = FindPortable(s + i, n - i, needle, k);
    return rest == npos ? npos : i + rest;
}
#endif

// How common a byte is in the vocabularies, higher for more common: blanks, bars, commas and
// the English letters by their usual frequency; any other byte, the bytes of GBK characters
// included (each spread over many characters), counts as rare.
int Commonness(char c)
{
    static constexpr std::string_view kByFrequency = "zqjxkvbpygfwm;ucl,drhsnioat|e ";
    const std::size_t rank = kByFrequency.find(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    return rank == std::string_view::npos ? 0 : static_cast<int>(rank) + 1;
}

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
    // The rarest byte, and the end of the needle farther from it: bytes close together in a
    // word go together too often ("ion" in every "-tion") to tell much more than one of them.
    if (m_needle.size() < 2)
        return;
    const std::size_t nLast = m_needle.size() - 1;
    m_nRare1 = nLast;
    for (std::size_t i = 0; i < nLast; ++i)
        if (Commonness(m_needle[i]) < Commonness(m_needle[m_nRare1]))
            m_nRare1 = i;
    m_nRare2 = m_nRare1 > nLast - m_nRare1 ? 0 : nLast;
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
    else if (m_method == Method::kAvx2 || m_method == Method::kSse2)
    {
        const std::size_t o1 = std::min(m_nRare1, m_nRare2), o2 = std::max(m_nRare1, m_nRare2);
        const Pivots pivots{o1, o2, m_needle[o1], m_needle[o2]};
        found = m_method == Method::kAvx2 ? FindAvx2(s, n, m_needle.data(), k, pivots)
                                          : FindSse2(s, n, m_needle.data(), k, pivots);
    }
#endif
    else
        found = FindPortable(s, n, m_needle.data(), k);
    return found == npos ? npos : from + found;
}

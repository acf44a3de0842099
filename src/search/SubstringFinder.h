// Finds one byte string in others, fast: the scans look for a keyword across whole runs of
// entries rather than entry by entry.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class SubstringFinder
{
public:
    // How candidates are found: 32 or 16 bytes at a time where the processor has the
    // instructions, the C library's memmem elsewhere. Chosen at run time unless forced. On
    // the synthetic vocabularies a vector pass takes about a fifth of memmem's time and a
    // seventh of std::string_view::find's (bench/run's finder lines).
    enum class Method { kBest, kAvx2, kSse2, kPortable };

    explicit SubstringFinder(std::string_view needle = {}, Method method = Method::kBest);

    // Offset of the first occurrence at or after `from`, or npos. An empty needle is
    // found at `from`.
    std::size_t Find(std::string_view haystack, std::size_t from = 0) const;

    std::size_t Size() const { return m_needle.size(); }
    static bool Supported(Method method);

    static constexpr std::size_t npos = std::string_view::npos;

private:
    std::string m_needle;
    Method m_method;
    // The vector paths compare two bytes of the needle at every position at once, the one
    // that dictionary text holds least often and an end of the needle, and check the rest
    // only where both agree.
    std::size_t m_nRare1 = 0;
    std::size_t m_nRare2 = 0;
};

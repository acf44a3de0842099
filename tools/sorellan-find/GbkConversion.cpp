#include "GbkConversion.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>

#include "search/KeywordMatch.h"

namespace
{

class Converter
{
public:
    Converter(const char* szTo, const char* szFrom) : m_cd(iconv_open(szTo, szFrom))
    {
        if (m_cd == kFailed)
            throw std::runtime_error("iconv cannot convert between GBK and UTF-8");
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    static bool CanOpen(const char* szTo, const char* szFrom)
    {
        const iconv_t cd = iconv_open(szTo, szFrom);
        if (cd == kFailed)
            return false;
        iconv_close(cd);
        return true;
    }

    // Converts from `p` on and appends the result. Returns true when the input is used up;
    // false with `p` at the bytes iconv refused.
    bool Convert(const char*& p, const char* pEnd, std::string& out)
    {
        char buffer[4096];
        while (p < pEnd)
        {
            char* pIn = const_cast<char*>(p);  // iconv's signature only; it does not write
            std::size_t nIn = static_cast<std::size_t>(pEnd - p);
            char* pOut = buffer;
            std::size_t nOut = sizeof buffer;
            const bool bFailed =
                iconv(m_cd, &pIn, &nIn, &pOut, &nOut) == static_cast<std::size_t>(-1);
            const int error = errno;
            out.append(buffer, static_cast<std::size_t>(pOut - buffer));
            p = pIn;
            if (bFailed && error != E2BIG)
                return false;
        }
        return true;
    }

private:
    static inline const iconv_t kFailed = reinterpret_cast<iconv_t>(-1);
    iconv_t m_cd;
};

// The length of the well-formed UTF-8 character at the start of `s`, or 0 when its first
// byte does not begin one.
std::size_t Utf8CharLength(std::string_view s)
{
    // The least code point of each length; a smaller one is an overlong form.
    static constexpr std::uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    const auto b0 = static_cast<std::uint8_t>(s[0]);
    std::size_t nLength = 0;
    if (b0 < 0x80)
        return 1;
    if ((b0 & 0xE0) == 0xC0)
        nLength = 2;
    else if ((b0 & 0xF0) == 0xE0)
        nLength = 3;
    else if ((b0 & 0xF8) == 0xF0)
        nLength = 4;
    else
        return 0;
    std::uint32_t codePoint = b0 & (0x7Fu >> nLength);
    if (s.size() < nLength)
        return 0;
    for (std::size_t i = 1; i < nLength; ++i)
    {
        const auto b = static_cast<std::uint8_t>(s[i]);
        if ((b & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (b & 0x3Fu);
    }
    const bool bSurrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < kMinimum[nLength] || codePoint > 0x10FFFF || bSurrogate)
        return 0;
    return nLength;
}

}  // namespace

bool GbkConversionAvailable()
{
    return Converter::CanOpen("GBK", "UTF-8") && Converter::CanOpen("UTF-8", "GBK");
}

std::string Utf8ToGbk(std::string_view utf8)
{
    Converter converter("GBK", "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    const char* p = utf8.data();
    const char* const pEnd = p + utf8.size();
    while (!converter.Convert(p, pEnd, out))
    {
        // A whole character GBK lacks, or one byte of something that is not UTF-8.
        const std::size_t nLength = Utf8CharLength({p, static_cast<std::size_t>(pEnd - p)});
        p += nLength == 0 ? 1 : nLength;
        out += '\0';
    }
    return out;
}

std::string GbkToUtf8(std::string_view gbk)
{
    Converter converter("UTF-8", "GBK");
    std::string out;
    out.reserve(gbk.size() * 3 / 2);
    const char* p = gbk.data();
    const char* const pEnd = p + gbk.size();
    while (!converter.Convert(p, pEnd, out))
    {
        // A byte that cannot trail (a line end, say) is never swallowed with its lead.
        p += pEnd - p >= 2 && IsDoubleByte(p[0], p[1]) ? 2 : 1;
        out += "\xEF\xBF\xBD";
    }
    return out;
}

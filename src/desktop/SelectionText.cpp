#include "desktop/SelectionText.h"

namespace
{
constexpr char32_t kReplacement = 0xFFFD;

// The code point at text[pos], advancing pos; a byte that starts no valid UTF-8 sequence
// (overlong, surrogate, beyond U+10FFFF, cut short) is U+FFFD and advances by one.
char32_t NextCodePoint(std::string_view text, std::size_t& pos)
{
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80)
        return lead;
    const int nTrail = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (nTrail == 0 || lead > 0xF4 || pos + static_cast<std::size_t>(nTrail) > text.size())
        return kReplacement;
    char32_t cp = lead & (0x3Fu >> nTrail);
    for (int i = 0; i < nTrail; ++i)
    {
        const auto trail = static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]);
        if ((trail & 0xC0) != 0x80)
            return kReplacement;
        cp = (cp << 6) | (trail & 0x3Fu);
    }
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[nTrail] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return kReplacement;
    pos += static_cast<std::size_t>(nTrail);
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80)
        out += static_cast<char>(cp);
    else
    {
        const int nTrail = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
        constexpr unsigned char kLeadMarks[] = {0, 0xC0, 0xE0, 0xF0};
        out += static_cast<char>(kLeadMarks[nTrail] | (cp >> (6 * nTrail)));
        for (int i = nTrail - 1; i >= 0; --i)
            out += static_cast<char>(0x80 | ((cp >> (6 * i)) & 0x3F));
    }
}

bool IsLineBreak(char32_t cp)
{
    return cp == '\n' || cp == '\r' || cp == 0x0B || cp == 0x0C || cp == 0x85 || cp == 0x2028 || cp == 0x2029;
}

bool IsBlank(char32_t cp)
{
    return cp == ' ' || cp == '\t' || cp == 0xA0 || cp == 0x3000;
}

bool IsDropped(char32_t cp)
{
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}
}  // namespace

std::string QueryFromDesktopText(std::string_view text, std::size_t nMaxGbkBytes)
{
    std::string out;
    std::size_t nGbk = 0, nKept = 0;  // the GBK size, and the UTF-8 size up to the last non-blank
    for (std::size_t pos = 0; pos < text.size();)
    {
        char32_t cp = NextCodePoint(text, pos);
        if (IsLineBreak(cp))
        {
            if (nKept > 0)
                break;
            continue;
        }
        if (cp == '\t')
            cp = ' ';
        if (IsDropped(cp) || (nKept == 0 && IsBlank(cp)))
            continue;
        nGbk += cp < 0x80 ? 1 : 2;
        if (nGbk > nMaxGbkBytes)
            break;
        AppendUtf8(out, cp);
        if (!IsBlank(cp))
            nKept = out.size();
    }
    out.resize(nKept);
    return out;
}

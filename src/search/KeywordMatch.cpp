#include "search/KeywordMatch.h"

namespace
{
constexpr std::size_t npos = std::string_view::npos;

bool IsLeadByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

bool IsTrailByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

bool IsAsciiLetterOrDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char FoldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsDoubleByteAt(std::string_view text, std::size_t i)
{
    return i + 1 < text.size() && IsLeadByte(text[i]) && IsTrailByte(text[i + 1]);
}

// True when the keyword stands at `pos` with its single-byte ASCII letters in any case. A
// trail byte that looks like a letter is part of its character and compares exactly; an
// occurrence that begins on a character of the entry has the keyword's characters.
bool EqualsIgnoringCase(std::string_view entry, std::size_t pos, std::string_view keyword)
{
    for (std::size_t i = 0; i < keyword.size(); ++i)
    {
        if (IsDoubleByteAt(keyword, i))
        {
            if (entry[pos + i] != keyword[i] || entry[pos + i + 1] != keyword[i + 1])
                return false;
            ++i;
        }
        else if (FoldAscii(entry[pos + i]) != FoldAscii(keyword[i]))
            return false;
    }
    return true;
}

// The byte occurrence at or after `from`, ASCII letters folded when the rule says so.
std::size_t FindBytes(std::string_view entry, std::string_view keyword, std::size_t from, bool bIgnoreCase)
{
    if (!bIgnoreCase)
        return entry.find(keyword, from);
    for (std::size_t pos = from; pos + keyword.size() <= entry.size(); ++pos)
        if (EqualsIgnoringCase(entry, pos, keyword))
            return pos;
    return npos;
}

// StartsCharacter, given that a character begins at `known` (known <= pos). A byte outside
// 0x81-0xFE always ends a character, so the lead bytes in a row before `pos` pair up from the
// first of them, or from `known`: the look back never passes it.
bool StartsCharacterAfter(std::string_view text, std::size_t known, std::size_t pos)
{
    std::size_t nLeads = 0;
    while (pos - nLeads > known && IsLeadByte(text[pos - 1 - nLeads]))
        ++nLeads;
    return nLeads % 2 == 0 || pos >= text.size() || !IsTrailByte(text[pos]);
}

// The character before the occurrence at `pos` and the one after it are no ASCII letters or
// digits, where the keyword's own first or last character is one.
bool StandsAsWord(std::string_view entry, std::size_t pos, std::string_view keyword)
{
    if (IsAsciiLetterOrDigit(keyword.front()) && pos > 0 && IsAsciiLetterOrDigit(entry[pos - 1]) &&
        StartsCharacter(entry, pos - 1))
        return false;
    const std::size_t end = pos + keyword.size();
    // The occurrence begins on a character, so where the keyword ends in a single-byte
    // character the entry's next character begins at `end`.
    return !(IsAsciiLetterOrDigit(keyword.back()) && StartsCharacter(keyword, keyword.size() - 1) &&
             end < entry.size() && IsAsciiLetterOrDigit(entry[end]));
}
}  // namespace

bool StartsCharacter(std::string_view text, std::size_t pos)
{
    return StartsCharacterAfter(text, 0, pos);
}

std::size_t FindKeyword(std::string_view entry, std::string_view keyword, std::size_t from, const MatchRule& rule)
{
    if (from > entry.size())
        return npos;
    if (keyword.empty())
        return from;
    // Where a character is known to begin: each occurrence tells, so that the look back for
    // the next one stops there and even a long run of lead bytes is walked once.
    std::size_t known = 0;
    for (std::size_t pos = from;; ++pos)
    {
        pos = FindBytes(entry, keyword, pos, rule.bIgnoreCase);
        if (pos == npos)
            return npos;
        const bool bStarts = StartsCharacterAfter(entry, known, pos);
        if (bStarts && (!rule.bWholeWord || StandsAsWord(entry, pos, keyword)))
            return pos;
        known = bStarts ? pos : pos - 1;  // not a start: its character began the byte before
    }
}

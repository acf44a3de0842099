// Where a keyword stands in an entry. GBK text is counted in characters from the entry's
// first byte, so a keyword is found only where it begins on a character: 茶 (B2 E8) is not
// in 璨璨 (E8 B2 E8 B2), and "A" is not the trail byte of a Chinese character.
#pragma once

#include <cstddef>
#include <string_view>

// How a keyword must stand in an entry. The window always uses the default rule; the
// command line offers the others.
struct MatchRule
{
    bool bIgnoreCase = false;  // ASCII letters compare without regard to case; other bytes exactly
    bool bWholeWord = false;   // where a keyword begins (ends) with an ASCII letter or digit, the
                               // entry's character before (after) the occurrence is not one
};

// True when the two bytes are one double-byte character: a lead byte 0x81-0xFE and a trail
// byte 0x40-0xFE other than 0x7F.
inline bool IsDoubleByte(char lead, char trail)
{
    const auto l = static_cast<unsigned char>(lead), t = static_cast<unsigned char>(trail);
    return l >= 0x81 && l <= 0xFE && t >= 0x40 && t <= 0xFE && t != 0x7F;
}

// True when a character of `text` begins at `pos` (pos <= text.size()). A byte 0x81-0xFE
// followed by a byte 0x40-0xFE other than 0x7F is one double-byte character; every other
// byte, a lead byte without a valid trail byte included, is a character of its own.
bool StartsCharacter(std::string_view text, std::size_t pos);

// Offset of the first occurrence of `keyword` in `entry` at or after `from` that begins on a
// character of the entry (characters counted from entry[0]) and obeys `rule`; npos when
// there is none. An empty keyword is found at `from`.
std::size_t FindKeyword(std::string_view entry, std::string_view keyword, std::size_t from = 0,
                        const MatchRule& rule = {});

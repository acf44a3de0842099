// A reading typed in plain letters, as the pinyin search takes it: "huaxue", "hua xue",
// "lv4", "lu:4", "hua4xue2". GBK bytes; ü may also be typed as itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A run of letters the typist closed with a blank, a tone digit or the keyword's end. Its
// letters are lower case with ü as 'v'; it stands for one or more whole syllables.
struct PinyinGroup
{
    std::string letters;
    int nTone = 0;  // 1-5 (5 the neutral tone) for its last syllable, 0 for any
    bool operator==(const PinyinGroup&) const = default;
};

using PinyinKeyword = std::vector<PinyinGroup>;

// The groups of a typed keyword, or nullopt when it is not pinyin: letters that no run of
// syllables spells, a digit other than 1-5 or one behind no letter, or any other character.
std::optional<PinyinKeyword> ParsePinyinKeyword(std::string_view typed);

// True when `letters` (lower case, ü as 'v') is one or more whole pinyin syllables.
bool SpellsSyllables(std::string_view letters);

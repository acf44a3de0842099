// Whether an entry's reading (its bracketed pinyin, tone marks or digits) holds a typed
// pinyin keyword: its syllables in order, one after another, starting on a syllable.
#pragma once

#include <string_view>
#include <vector>

#include "search/PinyinKeyword.h"

enum class PinyinFit
{
    kNone,
    kPart,   // some run of a reading's syllables
    kWhole,  // every syllable of one reading, nothing more
};

// The best fit of the keyword in any reading of the GBK entry: a bracketed text at its
// start or after a blank or "|". Tones count only
// where the keyword gives a digit; neutral syllables (no mark) are tone 5.
PinyinFit FitPinyin(std::string_view entry, const PinyinKeyword& keyword);

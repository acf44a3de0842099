#include "search/PinyinMatch.h"

#include <string>

#include "search/KeywordMatch.h"

namespace
{
struct Syllable
{
    std::string_view letters;  // into the reading's letter buffer
    int nTone;
};

// GBK A8 A1 - A8 BA: ā á ǎ à ē é ě è ī í ǐ ì ō ó ǒ ò ū ú ǔ ù ǖ ǘ ǚ ǜ, then ü and ê.
bool ToneVowel(char lead, char trail, char& vowel, int& nTone)
{
    const auto t = static_cast<unsigned char>(trail);
    if (static_cast<unsigned char>(lead) != 0xA8 || t < 0xA1 || t > 0xBA)
        return false;
    const int n = t - 0xA1;
    if (n >= 24)
    {
        vowel = n == 24 ? 'v' : 'e';
        nTone = 0;
        return true;
    }
    vowel = "aeiouv"[n / 4];
    nTone = n % 4 + 1;
    return true;
}

// The syllables of the reading text between '[' and ']'. Letters go to `buffer`, which must
// not grow while the syllables are used: it is reserved for the whole text up front.
void ReadSyllables(std::string_view reading, std::string& buffer, std::vector<Syllable>& syllables)
{
    buffer.clear();
    buffer.reserve(reading.size());
    syllables.clear();
    std::size_t nStart = 0;
    int nTone = 0;
    auto end = [&](int nDigit) {
        if (buffer.size() > nStart)
            syllables.push_back({std::string_view(buffer).substr(nStart), nDigit ? nDigit : nTone ? nTone : 5});
        nStart = buffer.size();
        nTone = 0;
    };
    for (std::size_t i = 0; i < reading.size(); ++i)
    {
        const char c = reading[i];
        char vowel = 0;
        int nMarked = 0;
        if (i + 1 < reading.size() && IsDoubleByte(c, reading[i + 1]))
        {
            if (ToneVowel(c, reading[++i], vowel, nMarked))
            {
                buffer += vowel;
                nTone = nMarked ? nMarked : nTone;
            }
            else
                end(0);
        }
        else if (c >= 'A' && c <= 'Z')
            buffer += static_cast<char>(c - 'A' + 'a');
        else if (c == 'u' && i + 1 < reading.size() && reading[i + 1] == ':')
            buffer += 'v', ++i;
        else if (c >= 'a' && c <= 'z')
            buffer += c;
        else
            end(c >= '1' && c <= '5' ? c - '0' : 0);
    }
    end(0);
}

// True when the groups take syllables `from` on, each group whole syllables; `nEnd` is where
// the last one ended.
bool FitsFrom(const std::vector<Syllable>& syllables, std::size_t from, const PinyinKeyword& keyword,
              std::size_t& nEnd)
{
    std::size_t s = from;
    for (const PinyinGroup& group : keyword)
    {
        std::string_view rest = group.letters;
        while (!rest.empty())
        {
            if (s == syllables.size() || !rest.starts_with(syllables[s].letters))
                return false;
            rest.remove_prefix(syllables[s++].letters.size());
        }
        if (group.nTone != 0 && syllables[s - 1].nTone != group.nTone)
            return false;
    }
    nEnd = s;
    return true;
}
}  // namespace

PinyinFit FitPinyin(std::string_view entry, const PinyinKeyword& keyword)
{
    thread_local std::string buffer;
    thread_local std::vector<Syllable> syllables;
    PinyinFit best = PinyinFit::kNone;
    for (std::size_t i = 0; i < entry.size(); ++i)
    {
        if (IsDoubleByte(entry[i], i + 1 < entry.size() ? entry[i + 1] : '\0'))
        {
            ++i;
            continue;
        }
        // A reading stands after a blank or "|"; one right behind Chinese characters reads
        // those (a cross-reference such as 化学[huà xué] in a definition), not the entry.
        if (entry[i] != '[' || (i > 0 && entry[i - 1] != ' ' && entry[i - 1] != '|'))
            continue;
        std::size_t close = i + 1;
        while (close < entry.size() && entry[close] != ']')
            close += close + 1 < entry.size() && IsDoubleByte(entry[close], entry[close + 1]) ? 2u : 1u;
        ReadSyllables(entry.substr(i + 1, close - i - 1), buffer, syllables);
        for (std::size_t from = 0, nEnd = 0; from < syllables.size(); ++from)
            if (FitsFrom(syllables, from, keyword, nEnd))
            {
                if (from == 0 && nEnd == syllables.size())
                    return PinyinFit::kWhole;
                best = PinyinFit::kPart;
            }
        i = close;
    }
    return best;
}

#include "Reference.h"

#include <algorithm>

#include "search/SearchTexts.h"

using Entries = std::vector<std::string>;

std::string ReferenceTextMode(const std::string& plain)
{
    std::string text;
    for (std::size_t i = 0; i < plain.size(); ++i)
    {
        if (plain[i] == '\x1A')
            break;
        if (plain[i] == '\r' && i + 1 < plain.size() && plain[i + 1] == '\n')
            continue;
        text.push_back(plain[i]);
    }
    return text;
}

Entries ReferenceEntries(const std::string& plain)
{
    const std::string text = ReferenceTextMode(plain);
    Entries entries;
    std::size_t pos = 0;
    while (pos < text.size())
    {
        std::string line;
        while (pos < text.size() && line.size() < 254)
        {
            line.push_back(text[pos++]);
            if (line.back() == '\n')
                break;
        }
        entries.push_back(line.substr(0, line.find('\0')));
    }
    return entries;
}

std::vector<std::size_t> Reference::CharacterStarts(const std::string& entry)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < entry.size(); ++i)
    {
        starts.push_back(i);
        const auto lead = static_cast<unsigned char>(entry[i]);
        const auto trail = static_cast<unsigned char>(i + 1 < entry.size() ? entry[i + 1] : 0);
        if (lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F)
            ++i;
    }
    return starts;
}

bool Reference::HoldsAtCharacter(const std::string& entry, const std::string& text, const MatchRule& rule)
{
    if (text.empty())
        return true;
    auto fold = [&](char c) { return rule.bIgnoreCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    auto alnum = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    const std::vector<std::size_t> starts = CharacterStarts(entry);
    const std::vector<std::size_t> textStarts = CharacterStarts(text);
    // Whether the character beginning at `start` is a single ASCII letter or digit.
    auto alnumAt = [&](const std::vector<std::size_t>& in, const std::string& s, std::size_t start) {
        const auto it = std::find(in.begin(), in.end(), start);
        if (it == in.end())
            return false;
        const std::size_t next = it + 1 == in.end() ? s.size() : *(it + 1);
        return next == start + 1 && alnum(s[start]);
    };
    std::vector<bool> bSingle(text.size(), false);
    for (std::size_t i = 0; i < textStarts.size(); ++i)
        bSingle[textStarts[i]] = i + 1 == textStarts.size() ? textStarts[i] + 1 == text.size()
                                                            : textStarts[i + 1] == textStarts[i] + 1;
    for (std::size_t i = 0; i < starts.size(); ++i)
    {
        const std::size_t start = starts[i];
        if (start + text.size() > entry.size())
            break;
        // Case is ignored only for the text's single-byte characters.
        bool bSame = true;
        for (std::size_t j = 0; j < text.size(); ++j)
            bSame = bSame && (bSingle[j] ? fold(entry[start + j]) == fold(text[j]) : entry[start + j] == text[j]);
        if (!bSame)
            continue;
        if (rule.bWholeWord && alnumAt(textStarts, text, 0) && i > 0 && alnumAt(starts, entry, starts[i - 1]))
            continue;
        if (rule.bWholeWord && alnumAt(textStarts, text, textStarts.back()) &&
            alnumAt(starts, entry, start + text.size()))
            continue;
        return true;
    }
    return false;
}

bool Reference::Append(std::string& text, bool& bFull, const std::string& line)
{
    if (bFull || text.size() + line.size() > kMaxText)
        bFull = true;
    else
        text += line;
    return !bFull;
}

FindResults Reference::Find(std::string query, const Entries& general, const Entries& technical,
                            Listed* pListed, const MatchRule& rule)
{
    const std::string kExact = kszExactTag;
    const std::string kExpanded = kszExpandedTag;
    while (!query.empty() && query.front() == ' ')
        query.erase(0, 1);
    while (!query.empty() && query.back() == ' ')
        query.pop_back();
    std::vector<std::string> keywords;
    std::string word;
    for (char c : query + " ")
        if (c == ' ' || c == ',' || c == ';')
        {
            if (!word.empty())
                keywords.push_back(word);
            word.clear();
        }
        else
            word += c;
    keywords.resize(std::min<std::size_t>(keywords.size(), 6));
    auto matches = [&](const std::string& entry) {
        for (const auto& k : keywords)
            if (!HoldsAtCharacter(entry, k, rule))
                return false;
        return true;
    };
    auto exact = [&](const std::string& entry) {
        for (const char* around : {"||", " \n", " ,", ",\n", ", ", "  ", ",,"})
            if (HoldsAtCharacter(entry, around[0] + query + around[1], {rule.bIgnoreCase, false}))
                return true;
        return false;
    };
    auto display = [](std::string entry) {
        for (const std::size_t start : CharacterStarts(entry))
            if (entry[start] == '|')
                entry[start] = ' ';
        return entry;
    };

    Listed listed;
    FindResults results;
    bool bFull = false;
    int nExact = 0;
    Entries expanded;
    for (const auto& entry : general)
    {
        if (matches(entry))
        {
            if (exact(entry))
            {
                ++nExact;
                listed.nExact += Append(results.general, bFull, kExact + display(entry) + "\r\n");
            }
            else if (expanded.size() < 50)
                expanded.push_back(display(entry));
        }
        if (nExact > 200)
            break;
    }
    for (const auto& entry : expanded)
        listed.nExpanded += Append(results.general, bFull, kExpanded + entry + "\r\n");
    bFull = false;
    int nTechnical = 0;
    for (const auto& entry : technical)
    {
        if (matches(entry))
        {
            ++nTechnical;
            listed.nTechnical += Append(results.technical, bFull, entry + "\r\n");
        }
        if (nTechnical > 200)
            break;
    }
    if (pListed)
        *pListed = listed;
    return results;
}

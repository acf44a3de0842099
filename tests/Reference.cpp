#include "Reference.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "search/SearchTexts.h"

using Entries = std::vector<std::string>;

Entries ReferenceEntries(const std::string& plain)
{
    std::string text;
    for (std::size_t i = 0; i < plain.size() && plain[i] != '\x1A'; ++i)
        if (plain[i] != '\r' || i + 1 == plain.size() || plain[i + 1] != '\n') text.push_back(plain[i]);
    Entries entries;
    for (std::size_t pos = 0; pos < text.size();)  // up to and with an LF, at most 254 bytes
    {
        std::string line;
        while (pos < text.size() && line.size() < 254 && (line.empty() || line.back() != '\n'))
            line.push_back(text[pos++]);
        entries.push_back(line.substr(0, line.find('\0')));
    }
    return entries;
}

namespace
{
// starts[i]: a character of s begins at byte i (or i is s.size()). A byte 0x81-0xFE with a
// byte 0x40-0xFE other than 0x7F after it is one character, every other byte one of its own.
std::vector<bool> Starts(const std::string& s)
{
    std::vector<bool> starts(s.size() + 1, true);
    for (std::size_t i = 0; i + 1 < s.size(); ++i)
    {
        const auto lead = static_cast<unsigned char>(s[i]), trail = static_cast<unsigned char>(s[i + 1]);
        if (lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F) starts[++i] = false;
    }
    return starts;
}

// Whether `text` stands in `entry` beginning on a character, under the rule. Case is ignored
// only for the text's single-byte characters; a whole word has no ASCII letter or digit as
// a character of its own just before or after it, where its own end is one.
bool Holds(const std::string& entry, const std::string& text, const MatchRule& rule)
{
    const std::vector<bool> es = Starts(entry), ts = Starts(text);
    auto fold = [&](char c) { return rule.bIgnoreCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    auto word = [](const std::string& s, const std::vector<bool>& starts, std::size_t p) {
        return p < s.size() && starts[p] && starts[p + 1] && std::isalnum(static_cast<unsigned char>(s[p]));
    };
    for (std::size_t at = 0; at + text.size() <= entry.size(); ++at)
    {
        bool bSame = es[at];
        for (std::size_t j = 0; bSame && j < text.size(); ++j)
            bSame = ts[j] && ts[j + 1] ? fold(entry[at + j]) == fold(text[j]) : entry[at + j] == text[j];
        if (bSame && (!rule.bWholeWord || text.empty() ||
                      ((!word(text, ts, 0) || at == 0 || !word(entry, es, at - 1)) &&
                       (!word(text, ts, text.size() - 1) || !word(entry, es, at + text.size()))))) return true;
    }
    return false;
}
}  // namespace

FindResults Reference::Find(std::string query, const Entries& general, const Entries& technical, const MatchRule& rule)
{
    query.erase(0, query.find_first_not_of(' ')).erase(query.find_last_not_of(' ') + 1);  // the blanks at both ends
    Entries keywords, exact, expanded, technicalLines;
    std::string word;
    for (char c : query + " ")
        if (c != ' ' && c != ',' && c != ';') word += c;
        else if (!word.empty()) keywords.push_back(std::exchange(word, ""));
    keywords.resize(std::min<std::size_t>(keywords.size(), 6));
    auto matches = [&](const std::string& entry) {
        return std::ranges::all_of(keywords, [&](const std::string& k) { return Holds(entry, k, rule); }); };
    auto isExact = [&](const std::string& entry) {
        for (const char* around : {"||", " \n", " ,", ",\n", ", ", "  ", ",,"})
            if (Holds(entry, around[0] + query + around[1], {rule.bIgnoreCase, false})) return true;
        return false;
    };
    auto display = [](std::string entry) {  // each "|" that is a character of its own as a blank
        const std::vector<bool> starts = Starts(entry);
        for (std::size_t i = 0; i < entry.size(); ++i) entry[i] = starts[i] && entry[i] == '|' ? ' ' : entry[i];
        return entry;
    };
    // Lines go in while they fit in 51,199 bytes; after the first that does not, none.
    auto join = [](const Entries& lines) {
        std::string text;
        for (std::size_t i = 0; i < lines.size() && text.size() + lines[i].size() <= 51199; ++i) text += lines[i];
        return text;
    };
    // The general scan ends with the 201st exact match, the technical one with its 201st hit.
    for (std::size_t i = 0; i < general.size() && exact.size() < 201; ++i)
        if (matches(general[i])) (isExact(general[i]) ? exact : expanded).push_back(general[i]);
    expanded.resize(std::min<std::size_t>(expanded.size(), 50));
    for (std::size_t i = 0; i < technical.size() && technicalLines.size() < 201; ++i)
        if (matches(technical[i])) technicalLines.push_back(technical[i] + "\r\n");
    for (auto& line : exact) line = kszExactTag + display(line) + "\r\n";
    for (auto& line : expanded) line = kszExpandedTag + display(line) + "\r\n";
    exact.insert(exact.end(), expanded.begin(), expanded.end());
    return {join(exact), join(technicalLines)};
}

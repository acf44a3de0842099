#include "search/ResultText.h"

#include <cstring>

#include "search/KeywordMatch.h"

void ReplaceChar(char* sz, char from, char to)
{
    // Character by character from the first byte: a lead byte takes its trail byte along.
    for (; *sz; ++sz)
    {
        if (IsDoubleByte(sz[0], sz[1]))
            ++sz;
        else if (*sz == from)
            *sz = to;
    }
}

char* ResultText::Store(std::string_view tag, std::string_view entry)
{
    const std::size_t nAdded = tag.size() + entry.size() + 2;
    if (m_bFull || nAdded > kMaxBytes - m_nLength)
    {
        m_bFull = true;
        return nullptr;
    }
    char* p = m_text + m_nLength;
    // An empty view may have no bytes behind it at all: copy only what there is.
    if (!tag.empty())
        std::memcpy(p, tag.data(), tag.size());
    if (!entry.empty())
        std::memcpy(p + tag.size(), entry.data(), entry.size());
    std::memcpy(p + tag.size() + entry.size(), "\r\n", 3);
    m_nLength += nAdded;
    return p + tag.size();
}

void ResultText::AppendShowingBarsAsBlanks(std::string_view tag, std::string_view entry)
{
    // The "\r\n" behind the entry holds no "|" and no trail byte: it changes nothing.
    if (char* pEntry = Store(tag, entry))
        ReplaceChar(pEntry, '|', ' ');
}

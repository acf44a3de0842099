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

void ResultText::Append(std::string_view tag, std::string_view entry, bool bShowBars)
{
    const std::size_t nAdded = tag.size() + entry.size() + 2;
    if (m_bFull || nAdded > kMaxBytes - m_nLength)
    {
        m_bFull = true;
        return;
    }
    char* p = m_text + m_nLength;
    // An empty view may have no bytes behind it at all: copy only what there is.
    if (!tag.empty())
        std::memcpy(p, tag.data(), tag.size());
    if (!entry.empty())
        std::memcpy(p + tag.size(), entry.data(), entry.size());
    p[tag.size() + entry.size()] = '\0';
    if (!bShowBars)
        ReplaceChar(p + tag.size(), '|', ' ');
    std::memcpy(p + tag.size() + entry.size(), "\r\n", 3);
    m_nLength += nAdded;
}

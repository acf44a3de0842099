// A result box's text: listed entries appended behind each other, each with its tag and
// "\r\n", never more than kMaxBytes bytes.
#pragma once

#include <cstddef>
#include <string_view>

// Replaces by `to`, in place, every byte `from` of the NUL-terminated GBK string that is a
// character of its own, never the trail byte of a double-byte character ("|" is one).
void ReplaceChar(char* sz, char from, char to);

class ResultText
{
public:
    static constexpr std::size_t kMaxBytes = 51199;

    ResultText() { m_text[0] = '\0'; }

    // Appends tag, entry and "\r\n". An entry that would not fit is dropped whole, and so
    // is every entry after it, so the list never skips one and never ends in half a
    // character.
    void Append(std::string_view tag, std::string_view entry) { Store(tag, entry); }
    // The same with every "|" character of the entry shown as a blank.
    void AppendShowingBarsAsBlanks(std::string_view tag, std::string_view entry);

    std::string_view View() const { return {m_text, m_nLength}; }

private:
    // Appends as Append does; returns the entry's copy, NUL-terminated behind its "\r\n", or
    // nullptr when the entry was dropped.
    char* Store(std::string_view tag, std::string_view entry);

    char m_text[kMaxBytes + 1];
    std::size_t m_nLength = 0;
    bool m_bFull = false;
};

#include "vocabulary/EntryReader.h"

#include <cstring>
#include <string_view>

#include "vocabulary/FileHandle.h"
#include "vocabulary/VocabularyTable.h"

namespace
{
constexpr std::size_t kBlockBytes = 64 * 1024;  // on the loader's stack
constexpr char kEndOfText = 0x1A;

// Cuts the delivered text into entries: a line with its LF, or kMaxEntryBytes bytes of a
// longer line, each ending at its first NUL. A piece that spans two blocks waits in a
// line buffer; every other piece goes to the table straight from the block.
class EntrySplitter
{
public:
    explicit EntrySplitter(VocabularyTable& table) : m_table(table) {}

    // False when the table is full.
    bool Feed(const char* p, std::size_t n, bool bMayHoldNul)
    {
        while (n > 0)
        {
            const std::size_t nRoom = kMaxEntryBytes - m_nLine;
            const std::size_t nTake = n < nRoom ? n : nRoom;
            const void* pLf = std::memchr(p, '\n', nTake);
            std::size_t nPiece;
            if (pLf)
                nPiece = static_cast<std::size_t>(static_cast<const char*>(pLf) - p) + 1;
            else if (nTake == nRoom)
                nPiece = nTake;
            else
            {
                std::memcpy(m_line + m_nLine, p, nTake);
                m_nLine += nTake;
                return true;
            }
            bool bStored;
            if (m_nLine == 0)
                bStored = Store(p, nPiece, bMayHoldNul);
            else
            {
                std::memcpy(m_line + m_nLine, p, nPiece);
                bStored = Store(m_line, m_nLine + nPiece, true);
                m_nLine = 0;
            }
            if (!bStored)
                return false;
            p += nPiece;
            n -= nPiece;
        }
        return true;
    }

    // The text ended: a last line without LF is an entry of its own.
    bool Finish()
    {
        if (m_nLine == 0)
            return true;
        std::size_t n = m_nLine;
        m_nLine = 0;
        return Store(m_line, n, true);
    }

private:
    bool Store(const char* p, std::size_t n, bool bMayHoldNul)
    {
        if (bMayHoldNul)
        {
            if (const void* pNul = std::memchr(p, '\0', n))
                n = static_cast<std::size_t>(static_cast<const char*>(pNul) - p);
        }
        return m_table.Add(std::string_view(p, n));
    }

    VocabularyTable& m_table;
    char m_line[kMaxEntryBytes];
    std::size_t m_nLine = 0;
};

// Applies the text-mode rules to one block in place and returns its delivered length.
// A CR at the end of the block is held back until the next byte shows whether an LF
// follows; *pbEnded is set when a 0x1A byte ends the text inside this block.
std::size_t DeliverTextMode(char* p, std::size_t n, bool& bHeldCr, bool* pbEnded)
{
    if (const void* pEnd = std::memchr(p, kEndOfText, n))
    {
        n = static_cast<std::size_t>(static_cast<const char*>(pEnd) - p);
        *pbEnded = true;
    }
    const void* pCr = std::memchr(p, '\r', n);
    if (!pCr)
        return n;
    std::size_t nOut = static_cast<std::size_t>(static_cast<const char*>(pCr) - p);
    for (std::size_t i = nOut; i < n; ++i)
    {
        if (p[i] == '\r')
        {
            if (i + 1 < n)
            {
                if (p[i + 1] == '\n')
                    continue;  // CR LF reads as LF
            }
            else if (!*pbEnded)
            {
                bHeldCr = true;  // decided by the next block
                continue;
            }
        }
        p[nOut++] = p[i];
    }
    return nOut;
}
}  // namespace

ReadResult ReadEntries(int plainFd, VocabularyTable& table, const std::atomic<bool>* pStop)
{
    char block[kBlockBytes];
    EntrySplitter splitter(table);
    bool bHeldCr = false;
    bool bEnded = false;
    while (!bEnded)
    {
        if (pStop && pStop->load(std::memory_order_relaxed))
            return ReadResult::kStopped;
        ssize_t nRead = ReadSome(plainFd, block, kBlockBytes);
        if (nRead < 0)
            return ReadResult::kReadError;
        if (nRead == 0)
            break;
        char* p = block;
        auto n = static_cast<std::size_t>(nRead);
        if (bHeldCr)
        {
            bHeldCr = false;
            // A CR before an LF vanishes; before anything else (0x1A included) it stays.
            if (p[0] != '\n' && !splitter.Feed("\r", 1, false))
                return ReadResult::kTableFull;
        }
        n = DeliverTextMode(p, n, bHeldCr, &bEnded);
        const bool bMayHoldNul = std::memchr(p, '\0', n) != nullptr;
        if (!splitter.Feed(p, n, bMayHoldNul))
            return ReadResult::kTableFull;
    }
    if (bHeldCr && !splitter.Feed("\r", 1, false))
        return ReadResult::kTableFull;
    return splitter.Finish() ? ReadResult::kDone : ReadResult::kTableFull;
}

#include "vocabulary/EntryReader.h"

#include <cstring>
#include <span>

#include "vocabulary/FileHandle.h"
#include "vocabulary/VocabularyTable.h"

namespace
{
// One read: the table keeps room for it behind its free slots (kStagingBytes).
constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr char kEndOfText = 0x1A;
static_assert(kBlockBytes + kMaxEntryBytes + 1 <= kStagingBytes);

// Applies the text-mode rules to one block in place and returns its delivered length.
// A CR at the end of the block is held back, right behind the delivered bytes, until the
// next byte shows whether an LF follows; *pbEnded is set when a 0x1A byte ends the text
// inside this block.
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
                bHeldCr = true;  // decided by the next block; kept behind the delivered bytes
                p[nOut] = '\r';
                return nOut;
            }
        }
        p[nOut++] = p[i];
    }
    return nOut;
}

// Publishes the entries among the n delivered bytes at the start of the table's free text:
// a line with its LF, or kMaxEntryBytes bytes of a longer line, each ending at its first
// NUL. The bytes a NUL cuts off are closed up, so that every entry starts where the table
// expects the next one. The unfinished rest (and a held CR behind it) moves up likewise and
// waits at the start of the free text; *pnPending is its length. False when the table is full.
bool PublishEntries(VocabularyTable& table, char* pText, std::size_t n, bool bHeldCr,
                    std::size_t* pnPending)
{
    const bool bMayHoldNul = std::memchr(pText, '\0', n) != nullptr;
    char* pOut = pText;
    const char* p = pText;
    const char* const pEnd = pText + n;
    for (;;)
    {
        const auto nLeft = static_cast<std::size_t>(pEnd - p);
        const std::size_t nTake = nLeft < kMaxEntryBytes ? nLeft : kMaxEntryBytes;
        const void* pLf = std::memchr(p, '\n', nTake);
        std::size_t nPiece;
        if (pLf)
            nPiece = static_cast<std::size_t>(static_cast<const char*>(pLf) - p) + 1;
        else if (nTake == kMaxEntryBytes)
            nPiece = nTake;
        else
            break;
        std::size_t nEntry = nPiece;
        if (bMayHoldNul)
        {
            if (const void* pNul = std::memchr(p, '\0', nPiece))
                nEntry = static_cast<std::size_t>(static_cast<const char*>(pNul) - p);
        }
        if (pOut != p)
            std::memmove(pOut, p, nEntry);
        if (!table.AddInPlace(nEntry))
            return false;
        pOut += nEntry;
        p += nPiece;
    }
    *pnPending = static_cast<std::size_t>(pEnd - p);
    if (pOut != p)
        std::memmove(pOut, p, *pnPending + (bHeldCr ? 1 : 0));
    return true;
}

// The last entry: an unfinished line the text ended in, at the start of the free text.
bool PublishLast(VocabularyTable& table, std::size_t nPending)
{
    if (nPending == 0)
        return true;
    const char* p = table.GetFreeText(nPending).data();
    if (const void* pNul = std::memchr(p, '\0', nPending))
        nPending = static_cast<std::size_t>(static_cast<const char*>(pNul) - p);
    return table.AddInPlace(nPending);
}

// A table without memory takes no entry: the text must only show whether it holds one,
// which any first byte but 0x1A does.
ReadResult ReadIntoNoRoom(int plainFd)
{
    char c = 0;
    const ssize_t nRead = ReadSome(plainFd, &c, 1);
    if (nRead < 0)
        return ReadResult::kReadError;
    return nRead == 0 || c == kEndOfText ? ReadResult::kDone : ReadResult::kTableFull;
}
}  // namespace

// The text is read straight into the table's free text and its entries are published where
// they lie: no copy of the text besides the one out of the file.
ReadResult ReadEntries(int plainFd, VocabularyTable& table, const std::atomic<bool>* pStop)
{
    std::size_t nPending = 0;  // delivered bytes of an unfinished entry
    bool bHeldCr = false;      // and a CR behind them that the next byte decides
    bool bEnded = false;
    while (!bEnded)
    {
        if (pStop && pStop->load(std::memory_order_relaxed))
            return ReadResult::kStopped;
        const std::size_t nKept = nPending + (bHeldCr ? 1 : 0);
        const std::span<char> free = table.GetFreeText(nKept + kBlockBytes);
        if (free.size() < nKept + kBlockBytes)
            return ReadIntoNoRoom(plainFd);
        ssize_t nRead = ReadSome(plainFd, free.data() + nKept, kBlockBytes);
        if (nRead < 0)
            return ReadResult::kReadError;
        if (nRead == 0)
            break;
        // The held CR is read again with the new bytes, which show whether an LF follows.
        char* p = free.data() + nPending;
        const std::size_t nNew = nKept - nPending + static_cast<std::size_t>(nRead);
        bHeldCr = false;
        const std::size_t nDelivered = DeliverTextMode(p, nNew, bHeldCr, &bEnded);
        if (!PublishEntries(table, free.data(), nPending + nDelivered, bHeldCr, &nPending))
            return ReadResult::kTableFull;
    }
    // A CR the text ended behind stays.
    return PublishLast(table, nPending + (bHeldCr ? 1 : 0)) ? ReadResult::kDone
                                                             : ReadResult::kTableFull;
}

#include "vocabulary/EntryReader.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// True when the n bytes at p hold no CR, NUL or 0x1A, as nearly every block of a real file:
// such a block needs none of the text-mode and NUL rules. One pass instead of a search for
// each of the three bytes.
bool HoldsOnlyPlainBytes(const char* p, std::size_t n)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i end = _mm_set1_epi8(kEndOfText);
    const __m128i zero = _mm_setzero_si128();
    for (; i + 64 <= n; i += 64)
    {
        __m128i found = zero;
        for (int k = 0; k < 4; ++k)
        {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16 * k));
            found = _mm_or_si128(found, _mm_or_si128(_mm_cmpeq_epi8(bytes, cr),
                                                     _mm_or_si128(_mm_cmpeq_epi8(bytes, end),
                                                                  _mm_cmpeq_epi8(bytes, zero))));
        }
        if (_mm_movemask_epi8(found) != 0)
            return false;
    }
#endif
    for (; i < n; ++i)
        if (p[i] == '\r' || p[i] == kEndOfText || p[i] == '\0')
            return false;
    return true;
}

// The line feeds among the 64 bytes at p: bit i for byte i.
std::uint64_t LineFeeds(const char* p)
{
    std::uint64_t mask = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    for (int k = 0; k < 4; ++k)
    {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        const auto bits = static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf)));
        mask |= std::uint64_t{bits} << (16 * k);
    }
#else
    for (int k = 0; k < 64; ++k)
        mask |= std::uint64_t{p[k] == '\n'} << k;
#endif
    return mask;
}

// Publishes the entries among the n delivered bytes at the start of the table's free text,
// which hold no NUL: a line with its LF, or kMaxEntryBytes bytes of a longer line. Each lies
// where the table expects it, so nothing moves; the unfinished rest (and a held CR behind
// it) waits at the start of the free text, *pnPending long. False when the table is full.
// Line feeds are found 64 bytes at a time: a search per line costs twice as much.
bool PublishWholeLines(VocabularyTable& table, const char* pText, std::size_t n,
                       std::size_t* pnPending)
{
    std::size_t nStart = 0;  // of the entry being cut
    auto publishUpTo = [&](std::size_t nEnd) {
        for (; nEnd - nStart > kMaxEntryBytes; nStart += kMaxEntryBytes)
            if (!table.AddInPlace(kMaxEntryBytes))
                return false;
        const bool bStored = table.AddInPlace(nEnd - nStart);
        nStart = nEnd;
        return bStored;
    };
    std::size_t i = 0;
    for (; i + 64 <= n; i += 64)
        for (std::uint64_t mask = LineFeeds(pText + i); mask != 0; mask &= mask - 1)
            if (!publishUpTo(i + static_cast<std::size_t>(std::countr_zero(mask)) + 1))
                return false;
    for (; i < n; ++i)
        if (pText[i] == '\n' && !publishUpTo(i + 1))
            return false;
    for (; n - nStart >= kMaxEntryBytes; nStart += kMaxEntryBytes)
        if (!table.AddInPlace(kMaxEntryBytes))
            return false;
    *pnPending = n - nStart;
    return true;
}

// As PublishWholeLines for text that holds a NUL, where each entry ends at its first NUL.
// The bytes a NUL cuts off are closed up, so that every entry starts where the table
// expects the next one; the unfinished rest and a held CR move up likewise.
bool PublishCutLines(VocabularyTable& table, char* pText, std::size_t n, bool bHeldCr,
                     std::size_t* pnPending)
{
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
        if (const void* pNul = std::memchr(p, '\0', nPiece))
            nEntry = static_cast<std::size_t>(static_cast<const char*>(pNul) - p);
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
        // The unfinished entry may hold a NUL (PublishCutLines leaves it in place).
        const bool bPlain =
            HoldsOnlyPlainBytes(p, nNew) && !std::memchr(free.data(), '\0', nPending);
        const std::size_t nDelivered = bPlain ? nNew : DeliverTextMode(p, nNew, bHeldCr, &bEnded);
        const std::size_t nText = nPending + nDelivered;
        const bool bPublished =
            !bPlain && std::memchr(free.data(), '\0', nText)
                ? PublishCutLines(table, free.data(), nText, bHeldCr, &nPending)
                : PublishWholeLines(table, free.data(), nText, &nPending);
        if (!bPublished)
            return ReadResult::kTableFull;
    }
    // A CR the text ended behind stays.
    return PublishLast(table, nPending + (bHeldCr ? 1 : 0)) ? ReadResult::kDone
                                                             : ReadResult::kTableFull;
}

#include "vocabulary/VocabularyTable.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <sys/mman.h>
#include <unistd.h>

#include "vocabulary/EntryReader.h"

namespace
{
std::size_t PageSize()
{
    static const std::size_t nPage = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    return nPage;
}

std::size_t RoundToPages(std::size_t n)
{
    const std::size_t nPage = PageSize();
    return (n + nPage - 1) / nPage * nPage;
}

// Address space only: the kernel commits a page when it is first written.
void* Reserve(std::size_t nBytes)
{
    void* p = ::mmap(nullptr, nBytes, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}

constexpr std::size_t kHugePageBytes = 2 * 1024 * 1024;

// As Reserve, for the text: aligned to huge pages and asking for them. A load commits
// megabytes in one go, and a page at a time the kernel's work per page (the faults, the
// page tables, their teardown at exit) costs more than clearing the memory does.
void* ReserveHuge(std::size_t nBytes)
{
    auto* p = static_cast<char*>(Reserve(nBytes + kHugePageBytes));
    if (!p)
        return nullptr;
    const auto nAddress = reinterpret_cast<std::uintptr_t>(p);
    const std::size_t nHead = (kHugePageBytes - nAddress % kHugePageBytes) % kHugePageBytes;
    if (nHead)
        ::munmap(p, nHead);
    ::munmap(p + nHead + nBytes, kHugePageBytes - nHead);
#ifdef MADV_HUGEPAGE
    ::madvise(p + nHead, nBytes, MADV_HUGEPAGE);
#endif
    return p + nHead;
}

template <typename T>
void Unreserve(T*& p, std::size_t nBytes)
{
    if (p)
        ::munmap(p, nBytes);
    p = nullptr;
}

// Commits the pages of [0, nNeeded) of a reservation ahead of the writer, a step at a time:
// one call that fills a step's pages costs half of taking a page fault for each of them.
// Where the kernel cannot (before Linux 5.14), the pages still come with the first write.
void CommitAhead(void* pBase, std::size_t nReserved, std::atomic<std::size_t>& nCommitted,
                 std::size_t nNeeded, std::size_t nStep)
{
    const std::size_t nFrom = nCommitted.load(std::memory_order_relaxed);
    if (nNeeded <= nFrom)
        return;
    const std::size_t nTo = std::min(nReserved, (nNeeded + nStep - 1) / nStep * nStep);
#ifdef MADV_POPULATE_WRITE
    ::madvise(static_cast<char*>(pBase) + nFrom, nTo - nFrom, MADV_POPULATE_WRITE);
#endif
    nCommitted.store(nTo, std::memory_order_relaxed);
}

// A huge page: committing part of one commits all of it.
constexpr std::size_t kTextCommitStep = kHugePageBytes;
constexpr std::size_t kEndsCommitStep = 64 * 1024;
}  // namespace

VocabularyTable g_generalVocabulary(kGeneralCapacity);
VocabularyTable g_technicalVocabulary(kTechnicalCapacity);

VocabularyTable::VocabularyTable(int nCapacity)
{
    // Offsets are 32-bit: keep the text of a full table addressable by them.
    constexpr int kMaxCapacity =
        static_cast<int>(std::numeric_limits<std::uint32_t>::max() / kMaxEntryBytes);
    if (nCapacity <= 0 || nCapacity > kMaxCapacity)
        return;
    const auto nSlots = static_cast<std::size_t>(nCapacity);
    const std::size_t nText = nSlots * kMaxEntryBytes + kStagingBytes;
    m_nTextReserved = (nText + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    m_nEndsReserved = RoundToPages(nSlots * sizeof(std::uint32_t));
    m_pText = static_cast<char*>(ReserveHuge(m_nTextReserved));
    m_pEnds = static_cast<std::uint32_t*>(Reserve(m_nEndsReserved));
    if (!m_pText || !m_pEnds)
    {
        // Without memory the table holds nothing: every Add reports it full.
        Unreserve(m_pText, m_nTextReserved);
        Unreserve(m_pEnds, m_nEndsReserved);
        return;
    }
    m_nCapacity = nCapacity;
}

VocabularyTable::~VocabularyTable()
{
    Unreserve(m_pText, m_nTextReserved);
    Unreserve(m_pEnds, m_nEndsReserved);
}

bool VocabularyTable::Add(std::string_view text)
{
    if (m_nCount.load(std::memory_order_relaxed) >= m_nCapacity || text.size() > kMaxEntryBytes)
        return false;
    std::memcpy(GetFreeText(text.size()).data(), text.data(), text.size());
    return AddInPlace(text.size());
}

std::span<char> VocabularyTable::GetFreeText(std::size_t nCommit)
{
    if (!m_pText)
        return {};
    CommitAhead(m_pText, m_nTextReserved, m_nTextCommitted, m_nUsed + nCommit, kTextCommitStep);
    return {m_pText + m_nUsed, m_nTextReserved - m_nUsed};
}

void VocabularyTable::CommitEnds(std::size_t nEntries)
{
    CommitAhead(m_pEnds, m_nEndsReserved, m_nEndsCommitted, nEntries * sizeof(std::uint32_t),
                kEndsCommitStep);
}

std::string_view VocabularyTable::GetAt(int i) const
{
    if (i < 0 || i >= GetCount())
        return {};
    const auto nIndex = static_cast<std::size_t>(i);
    const std::uint32_t nBegin = nIndex == 0 ? 0 : m_pEnds[nIndex - 1];
    return {m_pText + nBegin, m_pEnds[nIndex] - nBegin};
}

std::string_view VocabularyTable::GetRun(int nFirst, int nEnd) const
{
    if (nFirst < 0 || nEnd <= nFirst || nEnd > GetCount())
        return {};
    const std::uint32_t nBegin = nFirst == 0 ? 0 : m_pEnds[nFirst - 1];
    return {m_pText + nBegin, m_pEnds[nEnd - 1] - nBegin};
}

int VocabularyTable::GetIndexInRun(int nFirst, int nEnd, std::size_t offset) const
{
    if (nFirst < 0 || nEnd <= nFirst || nEnd > GetCount())
        return nEnd;
    const std::uint32_t nBegin = nFirst == 0 ? 0 : m_pEnds[nFirst - 1];
    // The first entry that ends after the byte holds it.
    const std::uint32_t* pEnd = std::upper_bound(m_pEnds + nFirst, m_pEnds + nEnd,
                                                 static_cast<std::uint32_t>(nBegin + offset));
    return static_cast<int>(pEnd - m_pEnds);
}

std::size_t VocabularyTable::GetBytesHeld() const
{
    return m_nTextCommitted.load(std::memory_order_relaxed) +
           m_nEndsCommitted.load(std::memory_order_relaxed);
}

std::size_t VocabularyTable::GetEntryBytes() const
{
    const int nCount = GetCount();
    return nCount == 0 ? 0 : m_pEnds[nCount - 1];
}

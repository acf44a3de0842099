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

template <typename T>
void Unreserve(T*& p, std::size_t nBytes)
{
    if (p)
        ::munmap(p, nBytes);
    p = nullptr;
}
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
    m_nTextReserved = RoundToPages(nSlots * kMaxEntryBytes);
    m_nEndsReserved = RoundToPages(nSlots * sizeof(std::uint32_t));
    m_pText = static_cast<char*>(Reserve(m_nTextReserved));
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
    const int nCount = m_nCount.load(std::memory_order_relaxed);
    if (nCount >= m_nCapacity || text.size() > kMaxEntryBytes)
        return false;
    std::memcpy(m_pText + m_nUsed, text.data(), text.size());
    m_nUsed += text.size();
    m_pEnds[nCount] = static_cast<std::uint32_t>(m_nUsed);
    m_nCount.store(nCount + 1, std::memory_order_release);
    return true;
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
    const auto nCount = static_cast<std::size_t>(GetCount());
    if (nCount == 0)
        return 0;
    return RoundToPages(m_pEnds[nCount - 1]) + RoundToPages(nCount * sizeof(std::uint32_t));
}

std::size_t VocabularyTable::GetEntryBytes() const
{
    const int nCount = GetCount();
    return nCount == 0 ? 0 : m_pEnds[nCount - 1];
}

// A table of vocabulary entries with a fixed capacity, filled by one loader thread while
// other threads read it without a lock.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "vocabulary/EntryReader.h"  // kMaxEntryBytes

class VocabularyTable
{
public:
    explicit VocabularyTable(int nCapacity);
    ~VocabularyTable();
    VocabularyTable(const VocabularyTable&) = delete;
    VocabularyTable& operator=(const VocabularyTable&) = delete;

    // Loader thread only. Stores the entry (at most kMaxEntryBytes bytes) behind the last
    // one, then publishes the raised count with release ordering. Returns false, storing
    // nothing, when the table is full or the entry is longer than an entry can be.
    bool Add(std::string_view text);

    // Loader thread only, for a reader that puts the text of the next entries in place
    // and then publishes them with AddInPlace: the unused text behind the last entry, with
    // its first nCommit bytes committed. It is always kStagingBytes longer than the entries
    // the free slots can still take.
    std::span<char> GetFreeText(std::size_t nCommit);
    // Loader thread only: publishes the first n bytes of the free text as the next entry,
    // as Add does but without a copy.
    bool AddInPlace(std::size_t n);

    // Any thread: the number of published entries, read with acquire ordering.
    int GetCount() const { return m_nCount.load(std::memory_order_acquire); }

    // Any thread: entry i, for an i below a count obtained from GetCount. A published
    // entry never moves and never changes. Out of range gives the empty entry.
    std::string_view GetAt(int i) const;

    int GetCapacity() const { return m_nCapacity; }

    // Entries are stored back to back: for nFirst <= nEnd <= a count obtained from
    // GetCount, the bytes of entries nFirst to nEnd - 1 as one run, and the index of the
    // entry of that range which holds the byte at `offset` into the run.
    std::string_view GetRun(int nFirst, int nEnd) const;
    int GetIndexInRun(int nFirst, int nEnd, std::size_t offset) const;

    // Memory the table has committed for its entries and slot ends (whole pages), some of
    // it ahead of the writer.
    std::size_t GetBytesHeld() const;
    // Bytes of the entries themselves.
    std::size_t GetEntryBytes() const;

private:
    // Entries lie back to back in address space reserved once for the capacity, committed
    // a step ahead of the writer as it fills; slot i ends at m_pEnds[i].
    int m_nCapacity = 0;
    char* m_pText = nullptr;
    std::uint32_t* m_pEnds = nullptr;
    std::size_t m_nTextReserved = 0;
    std::size_t m_nEndsReserved = 0;
    std::size_t m_nUsed = 0;  // writer only
    std::atomic<std::size_t> m_nTextCommitted{0};  // written by the writer only
    std::atomic<std::size_t> m_nEndsCommitted{0};
    std::atomic<int> m_nCount{0};

    void CommitEnds(std::size_t nEntries);
};

// Inline: it runs once per entry of a load.
inline bool VocabularyTable::AddInPlace(std::size_t n)
{
    const int nCount = m_nCount.load(std::memory_order_relaxed);
    // Below the capacity the entries so far take at most nCount * kMaxEntryBytes bytes, so
    // this one lies within the reservation.
    if (nCount >= m_nCapacity || n > kMaxEntryBytes)
        return false;
    const auto nIndex = static_cast<std::size_t>(nCount);
    if ((nIndex + 1) * sizeof(std::uint32_t) > m_nEndsCommitted.load(std::memory_order_relaxed))
        CommitEnds(nIndex + 1);
    m_nUsed += n;
    m_pEnds[nIndex] = static_cast<std::uint32_t>(m_nUsed);
    m_nCount.store(nCount + 1, std::memory_order_release);
    return true;
}

// Room behind the entries of a full table for text not yet published: one read of the
// entry reader and the unfinished entry before it.
inline constexpr std::size_t kStagingBytes = 64 * 1024 + 256;

inline constexpr int kGeneralCapacity = 120000;
inline constexpr int kTechnicalCapacity = 300000;

extern VocabularyTable g_generalVocabulary;    // kGeneralCapacity slots, "0.voca"
extern VocabularyTable g_technicalVocabulary;  // kTechnicalCapacity slots, "17.voca"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "vocabulary/VocabularyTable.h"

namespace
{
// Entry i of the concurrency test: its length and bytes both depend on i, so a reader
// that saw a half-written slot or a stale end would notice.
std::string EntryFor(int i)
{
    return std::string(static_cast<std::size_t>(1 + i % 250), static_cast<char>('A' + i % 26)) + "\n";
}
}  // namespace

TEST(VocabularyTable, StoresEntriesInOrderUpToItsCapacity)
{
    VocabularyTable table(3);
    EXPECT_EQ(table.GetCount(), 0);
    EXPECT_TRUE(table.Add("one\n"));
    EXPECT_TRUE(table.Add(""));
    EXPECT_TRUE(table.Add(std::string(254, 'x')));
    EXPECT_FALSE(table.Add("four\n"));  // full: nothing stored, nothing moved
    EXPECT_EQ(table.GetCount(), 3);
    EXPECT_EQ(table.GetAt(0), "one\n");
    EXPECT_EQ(table.GetAt(1), "");
    EXPECT_EQ(table.GetAt(2), std::string(254, 'x'));
    EXPECT_EQ(table.GetAt(3), "");   // beyond the count
    EXPECT_EQ(table.GetAt(-1), "");
    EXPECT_EQ(table.GetEntryBytes(), 258u);
}

TEST(VocabularyTable, RefusesWhatCannotBeAnEntryOrAnUnusableCapacity)
{
    VocabularyTable table(5);
    EXPECT_FALSE(table.Add(std::string(255, 'x')));
    EXPECT_EQ(table.GetCount(), 0);
    for (int nCapacity : {0, -1})
    {
        VocabularyTable empty(nCapacity);
        EXPECT_FALSE(empty.Add("a"));
        EXPECT_EQ(empty.GetCount(), 0);
    }
}

TEST(VocabularyTable, ReaderSeesOnlyWholePublishedEntriesWhileTheWriterFills)
{
    constexpr int kEntries = 200000;
    VocabularyTable table(kEntries);
    std::thread writer([&] {
        for (int i = 0; i < kEntries; ++i)
            table.Add(EntryFor(i));
    });
    // Scan the way a search does: the count taken afresh before every entry.
    int nChecked = 0;
    while (nChecked < kEntries)
    {
        for (int i = nChecked; i < table.GetCount(); ++i)
        {
            ASSERT_EQ(table.GetAt(i), EntryFor(i)) << i;
            nChecked = i + 1;
        }
    }
    writer.join();
    EXPECT_EQ(table.GetCount(), kEntries);
}

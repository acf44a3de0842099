#include <gtest/gtest.h>

#include <thread>

#include "TestSupport.h"

TEST(VocabularyTable, StoresEntriesInOrderUpToItsCapacityAndRefusesWhatCannotBeOne)
{
    VocabularyTable table(3), none(0), negative(-1);
    const std::vector<std::string> entries{"one\n", "", std::string(254, 'x')};
    for (const std::string& entry : {std::string(255, 'x'), entries[0], entries[1], entries[2], std::string("four\n")})
        EXPECT_EQ(table.Add(entry), entry.size() < 255 && entry != "four\n") << entry;  // full: nothing stored
    EXPECT_FALSE(none.Add("a") || negative.Add("a") || none.GetCount() || negative.GetCount());
    EXPECT_EQ(EntriesOf(table), entries);
    EXPECT_TRUE(table.GetAt(3).empty() && table.GetAt(-1).empty());  // beyond the count
    EXPECT_EQ(table.GetEntryBytes(), 258u);
}

// The count is published with release ordering and read with acquire: the ThreadSanitizer
// build reports a reader that sees a slot before its bytes.
TEST(VocabularyTable, ReaderSeesOnlyWholePublishedEntriesWhileTheWriterFills)
{
    constexpr int kEntries = 200000;
    // Length and bytes both depend on i, so a half-written slot or a stale end shows.
    auto entry = [](int i) { return std::string(static_cast<std::size_t>(1 + i % 250), static_cast<char>('A' + i % 26)) + "\n"; };
    VocabularyTable table(kEntries);
    const std::jthread writer([&] { for (int i = 0; i < kEntries; ++i) table.Add(entry(i)); });
    for (int nChecked = 0; nChecked < kEntries;)  // the count taken afresh, as a search does
        for (int i = nChecked; i < table.GetCount(); nChecked = ++i) ASSERT_EQ(table.GetAt(i), entry(i)) << i;
}

// An arbitrary small pair of tables and an arbitrary query through FindInVocabularies, with
// the window's match rule or a command-line one, checked against the plain reference search
// (which has the caps and the size limit of its own), and every SubstringFinder method
// against std::string::find.
//
// Input (read with FuzzedDataProvider): the query, then entries of at most 254 bytes and no
// NUL, each going to the general or the technical table; the last byte repeats the list up to
// 256 times, so that few input bytes can reach the caps and the size limit of a result, and the
// byte before it picks the rule.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Reference.h"
#include "search/SubstringFinder.h"
#include "vocabulary/EntryReader.h"

namespace
{
using Entries = std::vector<std::string>;
constexpr std::size_t kMaxEntries = 4096;  // per table, repeats included

void Check(bool bHolds, const char* szWhat)
{
    if (!bHolds)
    {
        std::fprintf(stderr, "fuzz_search: %s\n", szWhat);
        std::abort();
    }
}

// Repeats the entries up to nTimes over and puts them in the table.
void Fill(VocabularyTable& table, Entries& entries, int nTimes)
{
    for (std::size_t nOnce = entries.size(), i = 1; i < std::size_t(nTimes) && entries.size() + nOnce <= kMaxEntries; ++i)
        entries.insert(entries.end(), entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(nOnce));
    for (const std::string& entry : entries)
        Check(table.Add(entry), "a table refused an entry");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    FuzzedDataProvider input(pData, nSize);
    const int nRepeats = input.ConsumeIntegralInRange<int>(1, 256);
    // The window's rule most of the time, the command line's others now and then.
    const auto nRule = input.ConsumeIntegral<std::uint8_t>();
    const MatchRule rule{nRule % 8 == 1, nRule % 8 == 2 || nRule % 8 == 3};
    const std::string query = input.ConsumeRandomLengthString(nSize);
    Entries general, technical;
    while (input.remaining_bytes() > 0)
    {
        Entries& entries = input.ConsumeBool() ? technical : general;
        std::string entry = input.ConsumeRandomLengthString(kMaxEntryBytes);
        if (entries.size() < kMaxEntries)  // as a loader stores it: cut at its first NUL
            entries.push_back(entry.substr(0, entry.find('\0')));
    }
    VocabularyTable generalTable(static_cast<int>(kMaxEntries) + 1), technicalTable(static_cast<int>(kMaxEntries) + 1);
    Fill(generalTable, general, nRepeats);
    Fill(technicalTable, technical, nRepeats);

    std::string searched = query;
    const FindResults results = FindInVocabularies(searched, generalTable, technicalTable, rule);
    Check(results == Reference::Find(query, general, technical, rule), "the result differs from the reference");

    std::string haystack;
    for (const std::string& entry : general)
        haystack += entry;
    using Method = SubstringFinder::Method;
    for (const Method method : {Method::kAvx2, Method::kSse2, Method::kPortable})
        for (const std::size_t from : {std::size_t{0}, haystack.size() / 2, haystack.size()})
            Check(!SubstringFinder::Supported(method) ||
                      SubstringFinder(query, method).Find(haystack, from) == haystack.find(query, from),
                  "SubstringFinder differs from std::string::find");
    return 0;
}

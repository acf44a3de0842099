// An arbitrary small pair of tables and an arbitrary query through FindInVocabularies, with
// the window's match rule or a command-line one, checked against the plain reference search,
// with the size limit and the caps.
//
// Input (read with FuzzedDataProvider): the query, then entries of at most 254 bytes and no
// NUL, each going to the general or the technical table; the last byte repeats the list up to
// 256 times, so that few input bytes can reach the caps and the size limit of a result, and the
// byte before it picks the rule.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Reference.h"
#include "search/Find.h"
#include "search/SubstringFinder.h"
#include "search/VocabularySearch.h"
#include "vocabulary/EntryReader.h"
#include "vocabulary/VocabularyTable.h"

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

void Repeat(Entries& entries, int nTimes)
{
    const std::size_t nOnce = entries.size();
    for (int i = 1; i < nTimes && entries.size() + nOnce <= kMaxEntries; ++i)
        entries.insert(entries.end(), entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(nOnce));
}

void Fill(VocabularyTable& table, const Entries& entries)
{
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
        Entries& table = input.ConsumeBool() ? technical : general;
        std::string entry = input.ConsumeRandomLengthString(kMaxEntryBytes);
        // As a loader stores them: the reader cuts every entry at its first NUL.
        entry.erase(std::min(entry.find('\0'), entry.size()));
        if (table.size() < kMaxEntries)
            table.push_back(entry);
    }
    Repeat(general, nRepeats);
    Repeat(technical, nRepeats);

    VocabularyTable generalTable(static_cast<int>(general.size()) + 1);
    VocabularyTable technicalTable(static_cast<int>(technical.size()) + 1);
    Fill(generalTable, general);
    Fill(technicalTable, technical);

    std::string searched = query;
    const FindResults results = FindInVocabularies(searched, generalTable, technicalTable, rule);
    Reference::Listed listed;
    const FindResults expected = Reference::Find(query, general, technical, &listed, rule);
    Check(results.general == expected.general, "the general result differs from the reference");
    Check(results.technical == expected.technical, "the technical result differs from the reference");
    Check(results.general.size() <= 51199 && results.technical.size() <= 51199,
          "a result is longer than 51,199 bytes");
    Check(listed.nExact <= kMaxExactListed, "more exact lines than the cap");
    Check(listed.nExpanded <= kMaxExpandedListed, "more expanded lines than the cap");
    Check(listed.nTechnical <= kMaxTechnicalListed, "more technical lines than the cap");

    // Every way of finding a keyword agrees with std::string::find on the joined entries.
    std::string haystack;
    for (const std::string& entry : general)
        haystack += entry;
    using Method = SubstringFinder::Method;
    for (const Method method : {Method::kAvx2, Method::kSse2, Method::kPortable})
    {
        if (!SubstringFinder::Supported(method))
            continue;
        const SubstringFinder finder(query, method);
        for (const std::size_t from : {std::size_t{0}, haystack.size() / 2, haystack.size()})
            Check(finder.Find(haystack, from) == haystack.find(query, from),
                  "SubstringFinder differs from std::string::find");
    }
    return 0;
}

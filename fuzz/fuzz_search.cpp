// An arbitrary small pair of tables and an arbitrary query through FindInVocabularies, with
// the window's match rule or a command-line one, checked against the plain reference search
// (which has the caps and the size limit of its own), and every SubstringFinder method
// against std::string::find. A difference aborts.
//
// Input (read with FuzzedDataProvider): the query, then entries of at most 254 bytes and no
// NUL, each going to the general or the technical table; the last byte repeats the list up to
// 256 times, so that few input bytes can reach the caps and the size limit of a result, and the
// byte before it picks the rule.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <algorithm>
#include <cstdlib>

#include "Reference.h"
#include "search/SubstringFinder.h"
#include "vocabulary/EntryReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    constexpr std::size_t kMaxEntries = 4096;  // per table, repeats included
    FuzzedDataProvider input(pData, nSize);
    const int nRepeats = input.ConsumeIntegralInRange<int>(1, 256);
    const int nRule = input.ConsumeIntegral<std::uint8_t>() % 8;  // mostly the window's rule
    std::string query = input.ConsumeRandomLengthString(nSize);
    std::vector<std::string> entries[2];  // general, technical
    while (input.remaining_bytes() > 0)
    {
        std::vector<std::string>& table = entries[input.ConsumeBool()];
        const std::string entry = input.ConsumeRandomLengthString(kMaxEntryBytes);
        // As a loader stores it: cut at its first NUL.
        if (table.size() < kMaxEntries) table.push_back(entry.substr(0, entry.find('\0')));
    }
    VocabularyTable tables[2] = {VocabularyTable(int{kMaxEntries}), VocabularyTable(int{kMaxEntries})};
    for (int t = 0; t < 2; ++t)
    {
        const std::size_t nAll = std::min(entries[t].size() * std::size_t(nRepeats), kMaxEntries);
        for (std::size_t i = 0; entries[t].size() < nAll; ++i) entries[t].push_back(entries[t][i]);
        for (const std::string& entry : entries[t]) tables[t].Add(entry);
    }
    const MatchRule rule{nRule == 1, nRule == 2 || nRule == 3};
    // The search trims the query in place; the reference trims its own copy the same way.
    if (FindInVocabularies(query, tables[0], tables[1], rule) != Reference::Find(query, entries[0], entries[1], rule))
        std::abort();
    std::string haystack;
    for (const std::string& entry : entries[0]) haystack += entry;
    using Method = SubstringFinder::Method;
    for (const Method method : {Method::kAvx2, Method::kSse2, Method::kPortable})
        for (const std::size_t from : {std::size_t{0}, haystack.size() / 2, haystack.size()})
            if (SubstringFinder::Supported(method) &&
                SubstringFinder(query, method).Find(haystack, from) != haystack.find(query, from)) std::abort();
    return 0;
}

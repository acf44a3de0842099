// One search of both full vocabularies as the Find button runs it, against one memchr pass
// over the same bytes: the bandwidth ceiling of any scan of them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "SyntheticVocabulary.h"
#include "search/ExactPatterns.h"
#include "search/Find.h"
#include "search/KeywordQuery.h"
#include "search/SubstringFinder.h"
#include "search/SuggestionIndex.h"
#include "search/VocabularySearch.h"
#include "vocabulary/VocabularyTable.h"

namespace
{
// In neither synthetic vocabulary; its first and last bytes are common letters, so the
// vector scans meet candidates about as often as with an everyday word (about one per KB).
constexpr char kMissQuery[] = "solvent";
// In about 1% of the lines of both vocabularies, and nearly always inside a longer word, so
// that few general hits are exact (60 of about 1100).
constexpr char kOnePercentQuery[] = "tation";
// In nearly nine entries of ten: the general scan fills its expanded list at once and then
// looks only for exact matches (about 80), the technical scan stops after a few hundred lines.
constexpr char kDenseQuery[] = "e";
// The most common character of the synthetic texts (GBK B0 BA), in about 3% of the lines;
// its bytes also stand across many pairs of neighbouring characters.
constexpr char kChineseQuery[] = "\xB0\xBA";
// Three keywords that about 1% of the lines hold together; "ment", the longest, is looked for.
constexpr char kThreeKeywordQuery[] = "de ex ment";

// Both full vocabularies, filled once: tables cannot be cleared and searches only read.
struct Tables
{
    Tables() : general(kGeneralCapacity), technical(kTechnicalCapacity)
    {
        bFilled = SyntheticGeneral().FillTable(general) && SyntheticTechnical().FillTable(technical);
    }

    std::size_t Bytes() const { return general.GetEntryBytes() + technical.GetEntryBytes(); }

    VocabularyTable general;
    VocabularyTable technical;
    bool bFilled = false;
};

const Tables* PrepareTables(benchmark::State& state)
{
    static const Tables tables;
    if (!tables.bFilled)
    {
        state.SkipWithError("the synthetic vocabularies do not fit their tables");
        return nullptr;
    }
    return &tables;
}

std::string_view WholeRun(const VocabularyTable& table)
{
    return table.GetRun(0, table.GetCount());
}

std::size_t CountLines(const std::string& result)
{
    std::size_t nLines = 0;
    for (std::size_t pos = 0; (pos = result.find("\r\n", pos)) != std::string::npos; pos += 2)
        ++nLines;
    return nLines;
}

// What a search for `query` does, worked out entry by entry: how many entries pass the
// keyword test, how far each scan gets before its cap stops it, and the result lines.
struct SearchShape
{
    int nGeneralHits = 0;
    int nTechnicalHits = 0;
    int nGeneralScanned = 0;  // entries up to and including the one that ends the scan
    int nTechnicalScanned = 0;
    std::size_t nBytesScanned = 0;
    std::size_t nGeneralLines = 0;
    std::size_t nTechnicalLines = 0;
};

SearchShape ShapeOf(const Tables& tables, std::string query)
{
    KeywordTable keywords;
    TrimQuery(query);
    SplitKeywords(query, keywords);
    const ExactPatterns exact(query);
    SearchShape shape;
    int nExact = 0;
    int nExpandedListed = 0;
    shape.nGeneralScanned = tables.general.GetCount();
    for (int i = 0; i < tables.general.GetCount(); ++i)
    {
        const std::string_view entry = tables.general.GetAt(i);
        if (!MatchesKeywords(keywords, entry))
            continue;
        ++shape.nGeneralHits;
        if (exact.Matches(entry))
        {
            if (++nExact == kMaxExactListed && shape.nGeneralScanned == tables.general.GetCount())
                shape.nGeneralScanned = i + 1;
        }
        else if (nExact < kMaxExactListed && nExpandedListed < kMaxExpandedListed)
        {
            ++nExpandedListed;
        }
    }
    shape.nTechnicalScanned = tables.technical.GetCount();
    for (int i = 0; i < tables.technical.GetCount(); ++i)
    {
        if (!MatchesKeywords(keywords, tables.technical.GetAt(i)))
            continue;
        if (++shape.nTechnicalHits == kMaxTechnicalListed &&
            shape.nTechnicalScanned == tables.technical.GetCount())
            shape.nTechnicalScanned = i + 1;
    }
    shape.nBytesScanned = tables.general.GetRun(0, shape.nGeneralScanned).size() +
                          tables.technical.GetRun(0, shape.nTechnicalScanned).size();
    shape.nGeneralLines = static_cast<std::size_t>(std::min(nExact, kMaxExactListed) + nExpandedListed);
    shape.nTechnicalLines = static_cast<std::size_t>(std::min(shape.nTechnicalHits, kMaxTechnicalListed));
    return shape;
}

void RunSearch(benchmark::State& state, const char* szQuery)
{
    const Tables* pTables = PrepareTables(state);
    if (!pTables)
        return;
    static_assert(sizeof(std::size_t) <= sizeof(std::int64_t));
    const SearchShape shape = ShapeOf(*pTables, szQuery);
    {
        // The search under test must list what the entry-by-entry walk expects.
        std::string query = szQuery;
        const FindResults results = FindInVocabularies(query, pTables->general, pTables->technical);
        if (CountLines(results.general) != shape.nGeneralLines ||
            CountLines(results.technical) != shape.nTechnicalLines)
        {
            state.SkipWithError("the search listed other entries than the keyword test passes");
            return;
        }
    }
    for (auto _ : state)
    {
        std::string query = szQuery;  // fresh each time, as the Find button passes its text
        FindResults results = FindInVocabularies(query, pTables->general, pTables->technical);
        benchmark::DoNotOptimize(results);
    }
    // Bytes actually scanned, so the rate compares with the memchr pass.
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(shape.nBytesScanned));
    const double nGeneral = pTables->general.GetCount();
    const double nTechnical = pTables->technical.GetCount();
    state.counters["hit_fraction_general"] = shape.nGeneralHits / nGeneral;
    state.counters["hit_fraction_technical"] = shape.nTechnicalHits / nTechnical;
    state.counters["scanned_general"] = shape.nGeneralScanned / nGeneral;
    state.counters["scanned_technical"] = shape.nTechnicalScanned / nTechnical;
    state.counters["scanned_bytes"] =
        static_cast<double>(shape.nBytesScanned) / static_cast<double>(pTables->Bytes());
}

// Every entry of both vocabularies is scanned and nothing is listed.
void BM_SearchMiss(benchmark::State& state)
{
    RunSearch(state, kMissQuery);
}

// About 1% of the entries of both vocabularies are hits. The general scan goes to the end,
// since it only stops at the 201st exact hit and this query has about 60; the technical scan
// stops at its 201st hit, about a tenth of the way in. So roughly 35% of the bytes the miss
// scans are scanned here, and most of the time beyond that goes to the hits: locating each
// one's entry, the exact test on general hits, and the result texts.
void BM_Search1Pct(benchmark::State& state)
{
    RunSearch(state, kOnePercentQuery);
}

void BM_SearchDense(benchmark::State& state)
{
    RunSearch(state, kDenseQuery);
}

void BM_SearchChinese(benchmark::State& state)
{
    RunSearch(state, kChineseQuery);
}

void BM_SearchThreeKeywords(benchmark::State& state)
{
    RunSearch(state, kThreeKeywordQuery);
}

// The index of words and headwords that a query finding nothing builds, over both full
// vocabularies, and one suggestion from it; freed at the end of every round.
void BM_SuggestionIndex(benchmark::State& state)
{
    const Tables* pTables = PrepareTables(state);
    if (!pTables)
        return;
    for (auto _ : state)
    {
        const SuggestionIndex index(pTables->general, pTables->technical);
        benchmark::DoNotOptimize(index.Suggest({"solvant"}));
    }
}

// Times `find(run)` over both tables' whole runs; a pass that finds anything is an error,
// since every pass looks for what no entry holds.
template <typename Find>
void RunPass(benchmark::State& state, const Tables& tables, Find find, const char* szFoundError)
{
    const std::string_view runs[] = {WholeRun(tables.general), WholeRun(tables.technical)};
    for (auto _ : state)
    {
        for (const std::string_view run : runs)
        {
            const bool bFound = find(run);
            benchmark::DoNotOptimize(bFound);
            if (bFound)
                state.SkipWithError(szFoundError);
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(tables.Bytes()));
}

// One memchr pass for a byte no entry holds over both tables' runs.
void BM_MemchrPass(benchmark::State& state)
{
    if (const Tables* pTables = PrepareTables(state))
        RunPass(state, *pTables, [](std::string_view run) { return std::memchr(run.data(), '\0', run.size()) != nullptr; },
                "an entry holds a NUL byte");
}

// The miss query's finder alone over both runs, by method: what the search spends apart
// from the finder, and what each method costs (the search always takes the best one).
void BM_FinderPass(benchmark::State& state, SubstringFinder::Method method)
{
    const Tables* pTables = PrepareTables(state);
    if (!pTables)
        return;
    if (!SubstringFinder::Supported(method))
    {
        state.SkipWithError("this processor lacks the method's instructions");
        return;
    }
    const SubstringFinder finder(kMissQuery, method);
    RunPass(state, *pTables, [&](std::string_view run) { return finder.Find(run) != SubstringFinder::npos; },
            "the miss query was found");
}

// The same pass with the standard library's own search, which the finder must beat to earn
// its vector code.
void BM_StringFindPass(benchmark::State& state)
{
    if (const Tables* pTables = PrepareTables(state))
        RunPass(state, *pTables, [](std::string_view run) { return run.find(kMissQuery) != std::string_view::npos; },
                "the miss query was found");
}
}  // namespace

BENCHMARK(BM_SearchMiss)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Search1Pct)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchDense)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchChinese)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchThreeKeywords)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SuggestionIndex)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MemchrPass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StringFindPass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_FinderPass, avx2, SubstringFinder::Method::kAvx2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_FinderPass, sse2, SubstringFinder::Method::kSse2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_FinderPass, portable, SubstringFinder::Method::kPortable)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Loading both vocabularies, against plain fread of the same files as the reference, and
// the memory the filled tables hold against the bytes of their entries.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

#include "SyntheticVocabulary.h"
#include "vocabulary/StatusTarget.h"
#include "vocabulary/VocabularyLoader.h"
#include "vocabulary/VocabularyTable.h"

namespace
{
class SilentTarget final : public StatusTarget
{
public:
    void Report(const LoadReport&) override {}
    void EnableFind() override {}
};

// Resident set size in bytes, 0 when /proc cannot tell.
std::size_t ResidentBytes()
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen("/proc/self/statm", "r"), &std::fclose);
    unsigned long nSize = 0;
    unsigned long nResident = 0;
    if (!file || std::fscanf(file.get(), "%lu %lu", &nSize, &nResident) != 2)
        return 0;
    return nResident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// Fresh tables and flags for one iteration, with loads pointing into the scratch
// directory (tables cannot be cleared, and the real ones are program-wide).
struct LoadPair
{
    explicit LoadPair(const std::string& directory)
        : general(kGeneralCapacity), technical(kTechnicalCapacity)
    {
        generalLoad = InDirectory(GeneralVocabularyLoad(), directory, general, bGeneralOk,
                                  generalFile, generalPlain);
        technicalLoad = InDirectory(TechnicalVocabularyLoad(), directory, technical,
                                    bTechnicalOk, technicalFile, technicalPlain);
    }
    LoadPair(const LoadPair&) = delete;
    LoadPair& operator=(const LoadPair&) = delete;

    static VocabularyLoad InDirectory(VocabularyLoad load, const std::string& directory,
                                      VocabularyTable& table, int& bOk, std::string& file,
                                      std::string& plain)
    {
        file = directory + "/" + load.szVocabularyFile;
        plain = directory + "/" + load.szPlainFile;
        load.szVocabularyFile = file.c_str();
        load.szPlainFile = plain.c_str();
        load.pTable = &table;
        load.pbFileOk = &bOk;
        return load;
    }

    // Empty when both tables hold exactly the synthetic entries; checks every entry only
    // when bFull, since that takes a while.
    std::string Check(bool bFull) const
    {
        if (bGeneralOk != 1 || bTechnicalOk != 1)
            return "a vocabulary file could not be opened";
        if (general.GetCount() != SyntheticGeneral().LineCount() ||
            technical.GetCount() != SyntheticTechnical().LineCount())
            return "a table holds the wrong number of entries";
        if (general.GetEntryBytes() != SyntheticGeneral().PlainText().size() ||
            technical.GetEntryBytes() != SyntheticTechnical().PlainText().size())
            return "a table holds the wrong number of bytes";
        if (bFull)
        {
            for (int i = 0; i < general.GetCount(); ++i)
                if (general.GetAt(i) != SyntheticGeneral().Entry(i))
                    return "general entry " + std::to_string(i) + " differs";
            for (int i = 0; i < technical.GetCount(); ++i)
                if (technical.GetAt(i) != SyntheticTechnical().Entry(i))
                    return "technical entry " + std::to_string(i) + " differs";
        }
        return {};
    }

    std::size_t BytesHeld() const { return general.GetBytesHeld() + technical.GetBytesHeld(); }
    std::size_t EntryBytes() const { return general.GetEntryBytes() + technical.GetEntryBytes(); }

    VocabularyTable general;
    VocabularyTable technical;
    int bGeneralOk = 1;
    int bTechnicalOk = 1;
    std::string generalFile, generalPlain, technicalFile, technicalPlain;
    VocabularyLoad generalLoad{};
    VocabularyLoad technicalLoad{};
};

std::size_t ScrambledBytes()
{
    return SyntheticGeneral().PlainText().size() + SyntheticTechnical().PlainText().size();
}

// The synthetic files, or empty after reporting why they are missing.
std::string PrepareFiles(benchmark::State& state)
{
    try
    {
        return SyntheticVocabularyDirectory();
    }
    catch (const std::exception& e)
    {
        state.SkipWithError(e.what());
        return {};
    }
}

// Times loads of both vocabularies; table setup, checks and teardown are not timed.
template <typename LoadBoth>
void RunLoads(benchmark::State& state, LoadBoth loadBoth)
{
    const std::string directory = PrepareFiles(state);
    if (directory.empty())
        return;
    SilentTarget target;
    bool bChecked = false;
    double memoryRatio = 0;
    double rssRatio = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        const std::size_t nRssBefore = ResidentBytes();
        auto pair = std::make_unique<LoadPair>(directory);
        state.ResumeTiming();

        loadBoth(*pair, target);

        state.PauseTiming();
        const std::size_t nRssAfter = ResidentBytes();
        std::string error = pair->Check(!bChecked);
        if (!error.empty())
        {
            state.SkipWithError(error.c_str());
            break;
        }
        bChecked = true;
        const auto nEntryBytes = static_cast<double>(pair->EntryBytes());
        memoryRatio = static_cast<double>(pair->BytesHeld()) / nEntryBytes;
        rssRatio = static_cast<double>(nRssAfter - std::min(nRssBefore, nRssAfter)) / nEntryBytes;
        pair.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(ScrambledBytes()));
    state.counters["memory_ratio"] = memoryRatio;
    state.counters["rss_ratio"] = rssRatio;
}

void BM_LoadBoth(benchmark::State& state)
{
    // One after the other on this thread, comparable to the single-threaded fread.
    RunLoads(state, [](LoadPair& pair, SilentTarget& target) {
        LoadVocabulary(pair.generalLoad, target);
        LoadVocabulary(pair.technicalLoad, target);
    });
}

void BM_LoadBothConcurrent(benchmark::State& state)
{
    // As the program does: one thread per vocabulary.
    RunLoads(state, [](LoadPair& pair, SilentTarget& target) {
        std::thread general([&] { LoadVocabulary(pair.generalLoad, target); });
        std::thread technical([&] { LoadVocabulary(pair.technicalLoad, target); });
        general.join();
        technical.join();
    });
}

// Where the fread reference reads to: a new buffer for every file, as in a program that
// reads each file once.
enum class Buffer
{
    kFreshPages,  // pages the kernel has to supply, as a fresh process's large malloc gets
    kMalloc,      // plain new[]: after the first round glibc hands back pages it has kept
};

// Reads a whole file into a buffer of its size; returns the bytes read, 0 on a failure.
std::size_t FreadWhole(const std::string& path, Buffer buffer)
{
    FILE* pFile = std::fopen(path.c_str(), "rb");
    if (!pFile)
        return 0;
    std::size_t nRead = 0;
    if (std::fseek(pFile, 0, SEEK_END) == 0)
    {
        const long nSize = std::ftell(pFile);
        if (nSize > 0 && std::fseek(pFile, 0, SEEK_SET) == 0)
        {
            const auto nBytes = static_cast<std::size_t>(nSize);
            if (buffer == Buffer::kFreshPages)
            {
                void* p = ::mmap(nullptr, nBytes, PROT_READ | PROT_WRITE,
                                 MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
                if (p != MAP_FAILED)
                {
                    nRead = std::fread(p, 1, nBytes, pFile);
                    benchmark::DoNotOptimize(p);
                    benchmark::ClobberMemory();
                    ::munmap(p, nBytes);
                }
            }
            else
            {
                std::unique_ptr<char[]> pBuffer(new char[nBytes]);
                nRead = std::fread(pBuffer.get(), 1, nBytes, pFile);
                benchmark::DoNotOptimize(pBuffer.get());
                benchmark::ClobberMemory();
            }
        }
    }
    std::fclose(pFile);
    return nRead;
}

void RunFreads(benchmark::State& state, Buffer buffer)
{
    const std::string directory = PrepareFiles(state);
    if (directory.empty())
        return;
    const std::string general = directory + "/" + g_szGeneralFile;
    const std::string technical = directory + "/" + g_szTechnicalFile;
    for (auto _ : state)
    {
        const std::size_t nRead = FreadWhole(general, buffer) + FreadWhole(technical, buffer);
        if (nRead != ScrambledBytes())
        {
            state.SkipWithError("fread did not read both files whole");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(ScrambledBytes()));
}

// The reference for loading: the loads fill fresh tables, so the reads fill fresh buffers.
void BM_FreadBoth(benchmark::State& state)
{
    RunFreads(state, Buffer::kFreshPages);
}

// Shows how much of the reference is the kernel supplying pages.
void BM_FreadBothWarm(benchmark::State& state)
{
    RunFreads(state, Buffer::kMalloc);
}
}  // namespace

BENCHMARK(BM_LoadBoth)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadBothConcurrent)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FreadBoth)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FreadBothWarm)->Unit(benchmark::kMillisecond)->UseRealTime();

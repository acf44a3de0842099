// Synthetic stand-ins for the two full vocabularies, shared by every benchmark: the same
// bytes on every run (fixed seeds), shaped like real files in size and line lengths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vocabulary/Descramble.h"
#include "vocabulary/VocabularyTable.h"

// Full vocabularies: every slot of the tables used.
inline constexpr int kSyntheticGeneralLines = kGeneralCapacity;
inline constexpr int kSyntheticTechnicalLines = kTechnicalCapacity;
// The longest line without its LF: with the LF it still fits one entry.
inline constexpr std::size_t kSyntheticMaxLineBytes = 253;

struct LineLengthStats
{
    std::size_t nMedian = 0;  // line lengths without the LF
    std::size_t nP99 = 0;
    std::size_t nMax = 0;
};

// One vocabulary's plain text: lines of printable ASCII and two-byte GBK characters in
// fields separated by "|" and ", ", sorted by their bytes, each ending in LF.
class SyntheticVocabulary
{
public:
    // Throws std::logic_error if some byte has no scrambled form under `key`.
    SyntheticVocabulary(std::uint64_t seed, int nLines, ScrambleKey key);

    int LineCount() const { return static_cast<int>(m_ends.size()); }
    // Line i without its LF.
    std::string_view Line(int i) const;
    // Line i with its LF: what a table holds as entry i after a load.
    std::string_view Entry(int i) const;
    // Every line with its LF, back to back: the whole plain file.
    const std::string& PlainText() const { return m_text; }
    ScrambleKey Key() const { return m_key; }
    LineLengthStats LengthStats() const;

    // The vocabulary file's bytes: the plain text scrambled with the key.
    std::string Scrambled() const;
    // Writes the scrambled file; throws std::runtime_error when it cannot.
    void WriteScrambled(const std::string& path) const;

    // Adds every entry to the table directly (no files), for benchmarks that only need
    // a filled table. Returns false if the table took fewer than all.
    bool FillTable(VocabularyTable& table) const;

private:
    ScrambleKey m_key;
    std::string m_text;
    std::vector<std::uint32_t> m_ends;  // offset just past each line's LF
};

// Built on first use, then kept for the life of the process.
const SyntheticVocabulary& SyntheticGeneral();    // kGeneralCapacity lines, general key
const SyntheticVocabulary& SyntheticTechnical();  // kTechnicalCapacity lines, technical key

// Writes the scrambled general and technical files under their real names ("0.voca",
// "17.voca") into `directory`; throws std::runtime_error when it cannot.
void WriteSyntheticVocabularyFiles(const std::string& directory);

// A directory under TMPDIR (or /tmp) created on first use and removed with everything in
// it when the process exits.
const std::string& ScratchDirectory();

// ScratchDirectory() with both synthetic files written into it once. Throws
// std::runtime_error when they cannot be written.
const std::string& SyntheticVocabularyDirectory();

#include "SyntheticVocabulary.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "vocabulary/VocabularyLoader.h"
#include "vocabulary/VocabularyTable.h"

namespace
{
// splitmix64: its own generator rather than a std distribution, whose output may differ
// between standard libraries.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // [0, 1)
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    // [0, n)
    std::size_t Below(std::size_t n)
    {
        return static_cast<std::size_t>(Uniform() * static_cast<double>(n));
    }
    // [0, n), small values far more often: a rough stand-in for word frequencies.
    std::size_t Skewed(std::size_t n)
    {
        const double u = Uniform();
        return static_cast<std::size_t>(u * u * u * static_cast<double>(n));
    }
    bool Chance(double p) { return Uniform() < p; }
    double Normal()
    {
        const double u1 = 1.0 - Uniform();  // (0, 1]: log stays finite
        const double u2 = Uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * 3.14159265358979323846 * u2);
    }

private:
    std::uint64_t m_state;
};

// Log-normal lengths: median 50; sigma puts the 99th percentile near 200 once lengths
// past the maximum are drawn again.
constexpr double kMedianLength = 50.0;
constexpr double kLengthSigma = 0.635;
constexpr std::size_t kMinLineBytes = 6;

std::size_t DrawLength(Random& random)
{
    for (;;)
    {
        const double length = std::round(kMedianLength * std::exp(kLengthSigma * random.Normal()));
        if (length >= static_cast<double>(kMinLineBytes) &&
            length <= static_cast<double>(kSyntheticMaxLineBytes))
            return static_cast<std::size_t>(length);
    }
}

// Pseudo-English words built from syllables, so that words repeat across lines as in a
// dictionary.
std::vector<std::string> MakeWords(Random& random, std::size_t nWords)
{
    static constexpr std::array<const char*, 48> kSyllables = {
        "ab", "ac", "al", "an", "ar", "at", "be", "ca", "co", "con", "de", "di",
        "ex", "for", "ge", "in", "is", "la", "li", "ma", "me", "mi", "na", "ne",
        "no", "ol", "on", "or", "pa", "pe", "per", "pro", "ra", "re", "ri", "sa",
        "se", "si", "so", "sta", "ta", "te", "ti", "to", "tr", "un", "ve", "vi"};
    static constexpr std::array<const char*, 12> kEndings = {
        "", "", "", "", "tion", "ment", "ing", "ed", "er", "al", "ive", "ous"};
    std::vector<std::string> words;
    words.reserve(nWords);
    for (std::size_t i = 0; i < nWords; ++i)
    {
        std::string word;
        const std::size_t nSyllables = 1 + random.Below(4);
        for (std::size_t s = 0; s < nSyllables; ++s)
            word += kSyllables[random.Below(kSyllables.size())];
        word += kEndings[random.Below(kEndings.size())];
        words.push_back(std::move(word));
    }
    return words;
}

class LineWriter
{
public:
    LineWriter(Random& random, const std::vector<std::string>& words)
        : m_random(random), m_words(words)
    {
    }

    std::string Make(std::size_t nLength)
    {
        m_line.clear();
        m_nLength = nLength;
        // The headword leaves room for "|" and one character.
        AppendEnglish(1 + (m_random.Chance(0.3) ? 1 + m_random.Below(2) : 0), nLength - 3);
        bool bInChineseField = false;
        while (m_line.size() < m_nLength)
        {
            const std::size_t nRoom = m_nLength - m_line.size();
            if (nRoom < 3)
            {
                // Too little room for a separator and a character: lengthen the last word.
                while (m_line.size() < m_nLength)
                    m_line += static_cast<char>('a' + m_random.Below(26));
            }
            else if (bInChineseField && nRoom >= 4 && m_random.Chance(0.55))
            {
                m_line += ", ";
                AppendChinese();
            }
            else if (nRoom < 4 || m_random.Chance(0.75))
            {
                m_line += '|';
                AppendChinese();
                bInChineseField = true;
            }
            else
            {
                m_line += '|';
                AppendEnglish(1 + m_random.Below(6), m_nLength);
                bInChineseField = false;
            }
        }
        return m_line;
    }

private:
    // Up to nWords words separated by spaces, cut off at nLimit bytes of the line.
    void AppendEnglish(std::size_t nWords, std::size_t nLimit)
    {
        for (std::size_t w = 0; w < nWords; ++w)
        {
            if (w > 0)
            {
                if (m_line.size() + 2 > nLimit)
                    return;
                m_line += ' ';
            }
            const std::string& word = m_words[m_random.Skewed(m_words.size())];
            m_line.append(word, 0, std::min(word.size(), nLimit - m_line.size()));
        }
    }

    // A word of one to four GBK characters, as many as fit.
    void AppendChinese()
    {
        static constexpr std::array<std::size_t, 8> kCharCounts = {1, 2, 2, 2, 2, 3, 3, 4};
        const std::size_t nChars = kCharCounts[m_random.Below(kCharCounts.size())];
        for (std::size_t c = 0; c < nChars && m_line.size() + 2 <= m_nLength; ++c)
        {
            // Lead 0xB0-0xF7, the common low rows more often; trail 0xA1-0xFE.
            m_line += static_cast<char>(0xB0 + m_random.Skewed(0xF7 - 0xB0 + 1));
            m_line += static_cast<char>(0xA1 + m_random.Below(0xFE - 0xA1 + 1));
        }
    }

    Random& m_random;
    const std::vector<std::string>& m_words;
    std::string m_line;
    std::size_t m_nLength = 0;
};

std::array<std::uint8_t, 256> ScrambleTable(ScrambleKey key)
{
    std::array<std::uint8_t, 256> table{};
    for (unsigned plain = 0; plain < 256; ++plain)
    {
        // Unrepresentable bytes map to 0x00, which the constructor never lets through.
        auto scrambled = ScrambleByte(static_cast<std::uint8_t>(plain), key);
        table[plain] = scrambled.value_or(0x00);
    }
    return table;
}

class ScratchDir
{
public:
    ScratchDir()
    {
        const char* szBase = std::getenv("TMPDIR");
        std::string pattern =
            std::string(szBase && *szBase ? szBase : "/tmp") + "/lexivant2-bench-XXXXXX";
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a scratch directory from " + pattern);
        m_path = pattern;
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};
}  // namespace

SyntheticVocabulary::SyntheticVocabulary(std::uint64_t seed, int nLines, ScrambleKey key)
    : m_key(key)
{
    Random random(seed);
    const std::vector<std::string> words = MakeWords(random, 8000);
    LineWriter writer(random, words);
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(nLines));
    for (int i = 0; i < nLines; ++i)
        lines.push_back(writer.Make(DrawLength(random)));
    // Real vocabularies are in headword order.
    std::sort(lines.begin(), lines.end());

    std::size_t nTotal = 0;
    for (const std::string& line : lines)
        nTotal += line.size() + 1;
    m_text.reserve(nTotal);
    m_ends.reserve(lines.size());
    for (const std::string& line : lines)
    {
        m_text += line;
        m_text += '\n';
        m_ends.push_back(static_cast<std::uint32_t>(m_text.size()));
    }

    for (char c : m_text)
    {
        if (!ScrambleByte(static_cast<std::uint8_t>(c), m_key))
            throw std::logic_error("synthetic text holds a byte the key cannot scramble");
    }
}

std::string_view SyntheticVocabulary::Entry(int i) const
{
    const auto index = static_cast<std::size_t>(i);
    const std::size_t nBegin = index == 0 ? 0 : m_ends[index - 1];
    return std::string_view(m_text).substr(nBegin, m_ends[index] - nBegin);
}

std::string_view SyntheticVocabulary::Line(int i) const
{
    std::string_view entry = Entry(i);
    entry.remove_suffix(1);
    return entry;
}

LineLengthStats SyntheticVocabulary::LengthStats() const
{
    std::vector<std::size_t> lengths;
    lengths.reserve(m_ends.size());
    for (int i = 0; i < LineCount(); ++i)
        lengths.push_back(Line(i).size());
    if (lengths.empty())
        return {};
    std::sort(lengths.begin(), lengths.end());
    return {lengths[lengths.size() / 2], lengths[lengths.size() * 99 / 100], lengths.back()};
}

std::string SyntheticVocabulary::Scrambled() const
{
    const std::array<std::uint8_t, 256> table = ScrambleTable(m_key);
    std::string out(m_text.size(), '\0');
    for (std::size_t i = 0; i < m_text.size(); ++i)
        out[i] = static_cast<char>(table[static_cast<std::uint8_t>(m_text[i])]);
    return out;
}

void SyntheticVocabulary::WriteScrambled(const std::string& path) const
{
    const std::string bytes = Scrambled();
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        throw std::runtime_error("cannot create " + path);
    const bool bWritten = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    if (!bWritten || std::fclose(file.release()) != 0)
        throw std::runtime_error("cannot write " + path);
}

bool SyntheticVocabulary::FillTable(VocabularyTable& table) const
{
    for (int i = 0; i < LineCount(); ++i)
    {
        if (!table.Add(Entry(i)))
            return false;
    }
    return true;
}

const SyntheticVocabulary& SyntheticGeneral()
{
    static const SyntheticVocabulary vocabulary(0x6C657869'76616E30ULL, kSyntheticGeneralLines,
                                                kGeneralKey);
    return vocabulary;
}

const SyntheticVocabulary& SyntheticTechnical()
{
    static const SyntheticVocabulary vocabulary(0x6C657869'76616E31ULL,
                                                kSyntheticTechnicalLines, kTechnicalKey);
    return vocabulary;
}

void WriteSyntheticVocabularyFiles(const std::string& directory)
{
    SyntheticGeneral().WriteScrambled(directory + "/" + g_szGeneralFile);
    SyntheticTechnical().WriteScrambled(directory + "/" + g_szTechnicalFile);
}

const std::string& ScratchDirectory()
{
    static const ScratchDir directory;
    return directory.Path();
}

const std::string& SyntheticVocabularyDirectory()
{
    static std::once_flag written;
    std::call_once(written, [] { WriteSyntheticVocabularyFiles(ScratchDirectory()); });
    return ScratchDirectory();
}

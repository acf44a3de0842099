// voca: scrambles and unscrambles vocabulary files, and lists the entries the program's
// loader reads from one.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "vocabulary/Descramble.h"
#include "vocabulary/EntryReader.h"
#include "vocabulary/FileHandle.h"
#include "vocabulary/VocabularyTable.h"

namespace
{

constexpr std::size_t kBlockBytes = std::size_t{1} << 16;

struct Vocabulary
{
    const char* szName;
    ScrambleKey key;
    int nCapacity;  // that of the program's own table, so `entries` lists what it holds
};

constexpr Vocabulary kVocabularies[] = {
    {"general", kGeneralKey, kGeneralCapacity},
    {"technical", kTechnicalKey, kTechnicalCapacity},
};

int Usage()
{
    std::fputs("usage: voca scramble|unscramble general|technical IN OUT"
               " | voca entries general|technical FILE\n",
               stderr);
    return 2;
}

// Reports the call that just failed on `what`; errno must still be its own.
int Fail(const std::string& what)
{
    std::fprintf(stderr, "voca: %s: %s\n", what.c_str(), std::strerror(errno));
    return 1;
}

// Output written under a temporary name beside the target and renamed onto it only when
// complete, so a failure neither leaves a partial file nor clobbers an existing one.
class PendingOutput
{
public:
    explicit PendingOutput(const std::string& path) : m_path(path), m_tempPath(path + ".XXXXXX")
    {
    }
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;
    ~PendingOutput()
    {
        if (m_bCreated && !m_bRenamed)
            unlink(m_tempPath.c_str());
    }

    bool Create()
    {
        m_file = FileHandle(mkostemp(m_tempPath.data(), O_CLOEXEC));
        if (!m_file.IsOpen())
            return false;
        m_bCreated = true;
        // mkostemp makes the file private; give it the mode an ordinary create would.
        const mode_t mask = umask(0);
        umask(mask);
        return fchmod(m_file.Get(), static_cast<mode_t>(0666) & ~mask) == 0;
    }
    int Fd() const { return m_file.Get(); }
    bool Commit()
    {
        m_bRenamed = m_file.Close() && std::rename(m_tempPath.c_str(), m_path.c_str()) == 0;
        return m_bRenamed;
    }

private:
    std::string m_path;
    std::string m_tempPath;
    FileHandle m_file;
    bool m_bCreated = false;
    bool m_bRenamed = false;
};

int ScramblePlain(const Vocabulary& vocabulary, const std::string& plainPath,
                  const std::string& outPath)
{
    // Scrambled form of each byte, -1 where the key has none.
    std::array<int, 256> scrambled{};
    for (std::size_t b = 0; b < scrambled.size(); ++b)
    {
        const auto value = ScrambleByte(static_cast<std::uint8_t>(b), vocabulary.key);
        scrambled[b] = value ? *value : -1;
    }

    FileHandle plain(open(plainPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!plain.IsOpen())
        return Fail(plainPath);
    PendingOutput out(outPath);
    if (!out.Create())
        return Fail(outPath);

    static unsigned char block[kBlockBytes];
    std::uint64_t offset = 0;  // of the block in the plain file
    for (;;)
    {
        const ssize_t nRead = ReadSome(plain.Get(), block, sizeof block);
        if (nRead < 0)
            return Fail(plainPath);
        if (nRead == 0)
            break;
        const auto nBytes = static_cast<std::size_t>(nRead);
        for (std::size_t i = 0; i < nBytes; ++i)
        {
            const int value = scrambled[block[i]];
            if (value < 0)
            {
                std::fprintf(stderr,
                             "voca: %s: byte 0x%02X at offset %llu has no scrambled form"
                             " with the %s constants\n",
                             plainPath.c_str(), static_cast<unsigned>(block[i]),
                             static_cast<unsigned long long>(offset + i), vocabulary.szName);
                return 1;
            }
            block[i] = static_cast<unsigned char>(value);
        }
        if (!WriteAll(out.Fd(), block, nBytes))
            return Fail(outPath);
        offset += nBytes;
    }
    return out.Commit() ? 0 : Fail(outPath);
}

int UnscrambleFile(const Vocabulary& vocabulary, const std::string& inPath,
                   const std::string& outPath)
{
    FileHandle in(open(inPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.IsOpen())
        return Fail(inPath);
    PendingOutput out(outPath);
    if (!out.Create())
        return Fail(outPath);
    const CopyResult result =
        DescrambleFile(in.Get(), out.Fd(), vocabulary.key.subtrahend, vocabulary.key.addend);
    if (result == CopyResult::kReadError)
        return Fail(inPath);
    if (result != CopyResult::kDone || !out.Commit())
        return Fail(outPath);
    return 0;
}

// Makes every byte visible and keeps one entry per output line.
void AppendEscaped(std::string& out, std::string_view entry)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : entry)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (byte < 0x20 || byte == 0x7F)
        {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
        else
            out += c;
    }
}

int ListEntries(const Vocabulary& vocabulary, const std::string& path)
{
    FileHandle in(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.IsOpen())
        return Fail(path);
    // The same two steps as the loader, through an anonymous file that needs no cleanup.
    const std::string plainName = "descrambled copy of " + path;
    FileHandle plain(memfd_create("voca-plain", MFD_CLOEXEC));
    if (!plain.IsOpen())
        return Fail(plainName);
    const CopyResult copy =
        DescrambleFile(in.Get(), plain.Get(), vocabulary.key.subtrahend, vocabulary.key.addend);
    if (copy == CopyResult::kReadError)
        return Fail(path);
    if (copy != CopyResult::kDone || lseek(plain.Get(), 0, SEEK_SET) != 0)
        return Fail(plainName);

    VocabularyTable table(vocabulary.nCapacity);
    const ReadResult read = ReadEntries(plain.Get(), table);
    if (read != ReadResult::kDone && read != ReadResult::kTableFull)
        return Fail(plainName);

    std::string out;
    out.reserve(kBlockBytes + 4 * kMaxEntryBytes + 1);
    const int nCount = table.GetCount();
    for (int i = 0; i < nCount; ++i)
    {
        AppendEscaped(out, table.GetAt(i));
        out += '\n';
        if (out.size() >= kBlockBytes || i + 1 == nCount)
        {
            if (!WriteAll(STDOUT_FILENO, out.data(), out.size()))
                return Fail("standard output");
            out.clear();
        }
    }
    std::fprintf(stderr, "%d entries\n", nCount);
    if (read == ReadResult::kTableFull)
        std::fprintf(stderr, "voca: warning: the table (%d entries) filled up before %s ended\n",
                     vocabulary.nCapacity, path.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return Usage();
    const std::string_view command = argv[1];
    const Vocabulary* pVocabulary = nullptr;
    for (const Vocabulary& vocabulary : kVocabularies)
        if (std::string_view(argv[2]) == vocabulary.szName)
            pVocabulary = &vocabulary;
    if (pVocabulary == nullptr)
        return Usage();

    if (command == "scramble" && argc == 5)
        return ScramblePlain(*pVocabulary, argv[3], argv[4]);
    if (command == "unscramble" && argc == 5)
        return UnscrambleFile(*pVocabulary, argv[3], argv[4]);
    if (command == "entries" && argc == 4)
        return ListEntries(*pVocabulary, argv[3]);
    return Usage();
}

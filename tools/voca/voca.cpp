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
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/KeywordMatch.h"
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
    std::fputs("usage: voca scramble   KIND PLAIN OUT\n"
               "       voca unscramble [--force] KIND IN OUT\n"
               "       voca entries    [--force] KIND FILE\n"
               "KIND is the vocabulary's kind: general (0.voca) or technical (17.voca).\n",
               stderr);
    return 2;
}

// Reports the call that just failed on `what`; errno must still be its own.
int Fail(const std::string& what)
{
    std::fprintf(stderr, "voca: %s: %s\n", what.c_str(), std::strerror(errno));
    return 1;
}

const Vocabulary* FindVocabulary(std::string_view name)
{
    for (const Vocabulary& vocabulary : kVocabularies)
        if (name == vocabulary.szName)
            return &vocabulary;
    return nullptr;
}

// Whether descrambled bytes look like a vocabulary's text: GBK (ASCII, tab, CR, LF and
// double-byte characters) with at most one byte in a hundred anything else, in lines. A
// file unscrambled with the other kind's constants fails both by far: no line feed at all
// and several bytes in a hundred that are not text.
bool LooksLikeText(std::string_view plain)
{
    std::size_t nOdd = 0;
    for (std::size_t i = 0; i < plain.size(); ++i)
    {
        const auto byte = static_cast<unsigned char>(plain[i]);
        if (byte == '\t' || byte == '\n' || byte == '\r' || (byte >= 0x20 && byte < 0x7F))
            continue;
        if (i + 1 < plain.size() && IsDoubleByte(plain[i], plain[i + 1]))
            ++i;
        else
            ++nOdd;
    }
    const bool bInLines = plain.size() < 256 || plain.find('\n') != std::string_view::npos;
    return nOdd * 100 <= plain.size() && bInLines;
}

// How much of a file's beginning decides what it is.
constexpr std::size_t kSampleBytes = 64 * 1024;

// The first kSampleBytes of a scrambled file (fewer when it is shorter), read once so that a
// pipe works too: the check looks at them and the copy starts with them. nullopt when it
// cannot be read (errno says why).
std::optional<std::string> ReadHead(int fd)
{
    std::string head(kSampleBytes, '\0');
    std::size_t nHead = 0;
    while (nHead < head.size())
    {
        const ssize_t nRead = ReadSome(fd, head.data() + nHead, head.size() - nHead);
        if (nRead < 0)
            return std::nullopt;
        if (nRead == 0)
            break;
        nHead += static_cast<std::size_t>(nRead);
    }
    head.resize(nHead);
    return head;
}

// Scrambled bytes descrambled with `key`, 0x00 and 0xFF dropped as the loader drops them.
std::string Descrambled(std::string_view scrambled, ScrambleKey key)
{
    std::string plain;
    for (const char c : scrambled)
        if (const auto byte = static_cast<unsigned char>(c); byte != 0x00 && byte != 0xFF)
            plain += static_cast<char>(DescrambleByte(byte, key.subtrahend, key.addend));
    return plain;
}

// The head already read, then the rest of the file, descrambled into plainFd.
CopyResult DescrambleAfterHead(const std::string& head, int scrambledFd, int plainFd, ScrambleKey key)
{
    const std::string plainHead = Descrambled(head, key);
    if (!WriteAll(plainFd, plainHead.data(), plainHead.size()))
        return CopyResult::kWriteError;
    return DescrambleFile(scrambledFd, plainFd, key.subtrahend, key.addend);
}

// Refuses, with a message, a file whose head is not of the kind named (unless forced): its
// plain text would be garbage. Returns 0 to go on, else the exit status.
int CheckKind(const Vocabulary& vocabulary, const std::string& head, const std::string& path, bool bForce)
{
    if (bForce || LooksLikeText(Descrambled(head, vocabulary.key)))
        return 0;
    const Vocabulary& other = &vocabulary == &kVocabularies[0] ? kVocabularies[1] : kVocabularies[0];
    const bool bOther = LooksLikeText(Descrambled(head, other.key));
    std::fprintf(stderr,
                 "voca: %s is not a %s vocabulary: with its constants the text is not GBK text"
                 " in lines%s%s%s; --force to go on anyway\n",
                 path.c_str(), vocabulary.szName, bOther ? " (it reads as a " : "",
                 bOther ? other.szName : "", bOther ? " vocabulary)" : "");
    return 1;
}

// Opens a vocabulary file and reads its head, refused unless it is of the named kind (or
// bForce): 0, else the exit status, with the reason said.
int OpenVocabulary(const Vocabulary& vocabulary, const std::string& path, bool bForce, FileHandle& in,
                   std::string& head)
{
    in = FileHandle(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    std::optional<std::string> read;
    if (!in.IsOpen() || !(read = ReadHead(in.Get())))
        return Fail(path);
    head = std::move(*read);
    return CheckKind(vocabulary, head, path, bForce);
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
                   const std::string& outPath, bool bForce)
{
    FileHandle in;
    std::string head;
    if (const int nStatus = OpenVocabulary(vocabulary, inPath, bForce, in, head))
        return nStatus;
    PendingOutput out(outPath);
    if (!out.Create())
        return Fail(outPath);
    const CopyResult result = DescrambleAfterHead(head, in.Get(), out.Fd(), vocabulary.key);
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

int ListEntries(const Vocabulary& vocabulary, const std::string& path, bool bForce)
{
    FileHandle in;
    std::string head;
    if (const int nStatus = OpenVocabulary(vocabulary, path, bForce, in, head))
        return nStatus;
    // The same two steps as the loader, through an anonymous file that needs no cleanup.
    const std::string plainName = "descrambled copy of " + path;
    FileHandle plain(memfd_create("voca-plain", MFD_CLOEXEC));
    if (!plain.IsOpen())
        return Fail(plainName);
    const CopyResult copy = DescrambleAfterHead(head, in.Get(), plain.Get(), vocabulary.key);
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
    // --force may stand anywhere; every other argument keeps its place.
    bool bForce = false;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
    {
        if (std::string_view(argv[i]) == "--force")
            bForce = true;
        else
            args.emplace_back(argv[i]);
    }
    if (args.size() < 3)
        return Usage();
    const std::string_view command = args[0];
    const Vocabulary* pVocabulary = FindVocabulary(args[1]);
    if (pVocabulary == nullptr)
    {
        std::fprintf(stderr, "voca: '%s' is no vocabulary kind\n", args[1].c_str());
        return Usage();
    }

    if (command == "scramble" && args.size() == 4 && !bForce)
        return ScramblePlain(*pVocabulary, args[2], args[3]);
    if (command == "unscramble" && args.size() == 4)
        return UnscrambleFile(*pVocabulary, args[2], args[3], bForce);
    if (command == "entries" && args.size() == 3)
        return ListEntries(*pVocabulary, args[2], bForce);
    return Usage();
}

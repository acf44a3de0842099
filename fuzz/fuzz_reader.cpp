// Arbitrary bytes as a scrambled vocabulary file, through DescrambleFile and ReadEntries into
// a small table, checked against the byte-by-byte reference reader.
//
// Input: byte 0 picks the table's capacity (low six bits, 1..64), the key (bit 6: technical)
// and whether the text starts behind a filler (bit 7); with the filler, byte 1 sets its length
// so that the rest of the input straddles the reader's 64 KiB block boundary. The remaining
// bytes are the scrambled file.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Reference.h"
#include "vocabulary/Descramble.h"
#include "vocabulary/EntryReader.h"
#include "vocabulary/FileHandle.h"
#include "vocabulary/VocabularyTable.h"

namespace
{
constexpr std::size_t kBlockBytes = 64 * 1024;

// Aborting keeps the input: libFuzzer saves it as a crash.
void Check(bool bHolds, const char* szWhat)
{
    if (!bHolds)
    {
        std::fprintf(stderr, "fuzz_reader: %s\n", szWhat);
        std::abort();
    }
}

// Into a buffer kept from run to run: large blocks fresh from the allocator cost more
// than the whole run otherwise.
void ReadAll(int fd, std::string& text)
{
    Check(::lseek(fd, 0, SEEK_SET) == 0, "lseek");
    text.clear();
    char buffer[4096];
    for (ssize_t n; (n = ReadSome(fd, buffer, sizeof buffer)) != 0;)
    {
        Check(n > 0, "read");
        text.append(buffer, static_cast<std::size_t>(n));
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0)
        return 0;
    const std::uint8_t flags = pData[0];
    const ScrambleKey key = flags & 0x40 ? kTechnicalKey : kGeneralKey;
    if ((flags & 0x80) && nSize < 2)
        return 0;
    const std::size_t nHeader = flags & 0x80 ? 2 : 1;
    const std::size_t nFiller = flags & 0x80 ? kBlockBytes - 1 - pData[1] : 0;
    // The filler is one run of 'a': whole pieces of it are entries of their own and the rest
    // starts the first line of the input's text, so the references need only that rest.
    const std::size_t nFillerPieces = nFiller / kMaxEntryBytes;
    const std::string fillerPiece(kMaxEntryBytes, 'a');
    const int nCapacity = (flags & 0x3F) + 1 + static_cast<int>(nFillerPieces);
    const std::string_view scrambled(reinterpret_cast<const char*>(pData + nHeader), nSize - nHeader);
    std::string tail;  // the plain text of the input's bytes
    for (const char c : scrambled)
    {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte != 0x00 && byte != 0xFF)
            tail.push_back(static_cast<char>(DescrambleByte(byte, key.subtrahend, key.addend)));
    }

    FileHandle scrambledFile(::memfd_create("scrambled", MFD_CLOEXEC));
    FileHandle plainFile(::memfd_create("plain", MFD_CLOEXEC));
    Check(scrambledFile.IsOpen() && plainFile.IsOpen(), "memfd_create");
    static const std::string kGeneralFiller(kBlockBytes, static_cast<char>(*ScrambleByte('a', kGeneralKey)));
    static const std::string kTechnicalFiller(kBlockBytes, static_cast<char>(*ScrambleByte('a', kTechnicalKey)));
    static const std::string kPlainFiller(kBlockBytes, 'a');
    Check(WriteAll(scrambledFile.Get(), (flags & 0x40 ? kTechnicalFiller : kGeneralFiller).data(), nFiller) &&
              WriteAll(scrambledFile.Get(), scrambled.data(), scrambled.size()),
          "write");
    Check(::lseek(scrambledFile.Get(), 0, SEEK_SET) == 0, "lseek");
    Check(DescrambleFile(scrambledFile.Get(), plainFile.Get(), key.subtrahend, key.addend) ==
              CopyResult::kDone,
          "DescrambleFile did not report done");
    static std::string plain;
    ReadAll(plainFile.Get(), plain);
    Check(plain.size() == nFiller + tail.size() &&
              plain.compare(0, nFiller, kPlainFiller, 0, nFiller) == 0 &&
              plain.compare(nFiller, tail.size(), tail) == 0,
          "the plain file is not the scrambled bytes descrambled");

    Check(::lseek(plainFile.Get(), 0, SEEK_SET) == 0, "lseek");
    VocabularyTable table(nCapacity);
    const ReadResult result = ReadEntries(plainFile.Get(), table);

    const std::string rest = std::string(nFiller % kMaxEntryBytes, 'a') + tail;
    const std::vector<std::string> reference = ReferenceEntries(rest);
    const std::size_t nAll = nFillerPieces + reference.size();
    const auto nExpected = std::min(nAll, static_cast<std::size_t>(nCapacity));
    Check(result == (nAll > nExpected ? ReadResult::kTableFull : ReadResult::kDone),
          "ReadEntries reported the wrong result");
    Check(static_cast<std::size_t>(table.GetCount()) == nExpected, "wrong number of entries");
    for (std::size_t i = 0; i < nExpected; ++i)
        Check(table.GetAt(static_cast<int>(i)) == (i < nFillerPieces ? fillerPiece : reference[i - nFillerPieces]),
              "an entry differs from the reference");
    return 0;
}

// Arbitrary bytes as a scrambled vocabulary file, through DescrambleFile and ReadEntries into
// a small table, checked against the byte-by-byte reference reader (which also shows a wrong
// descrambled byte).
//
// Input: byte 0 picks the table's capacity (low six bits, 1..64), the key (bit 6: technical)
// and whether the text starts behind a filler (bit 7); with the filler, byte 1 sets its length
// so that the rest of the input straddles the reader's 64 KiB block boundary. The remaining
// bytes are the scrambled file.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "Reference.h"
#include "vocabulary/Descramble.h"
#include "vocabulary/EntryReader.h"
#include "vocabulary/FileHandle.h"

// Aborting keeps the input: libFuzzer saves it as a crash.
#define CHECK(bHolds) ((bHolds) ? (void)0 : (std::fprintf(stderr, "fuzz_reader: %s\n", #bHolds), std::abort()))
constexpr std::size_t kBlockBytes = 64 * 1024;  // the reader's

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::uint8_t flags = nSize > 0 ? pData[0] : 0;
    if (nSize == 0 || ((flags & 0x80) && nSize < 2)) return 0;
    const ScrambleKey key = flags & 0x40 ? kTechnicalKey : kGeneralKey;
    const std::size_t nHeader = flags & 0x80 ? 2 : 1;
    // The filler is one run of 'a': whole pieces of it are entries of their own and the rest
    // starts the first line of the input's text, so the reference needs only that rest.
    const std::size_t nFiller = flags & 0x80 ? kBlockBytes - 1 - pData[1] : 0, nFillerPieces = nFiller / kMaxEntryBytes;
    const int nCapacity = (flags & 0x3F) + 1 + static_cast<int>(nFillerPieces);
    std::string rest(nFiller % kMaxEntryBytes, 'a');
    for (std::size_t i = nHeader; i < nSize; ++i)
        if (pData[i] != 0x00 && pData[i] != 0xFF)
            rest.push_back(static_cast<char>(DescrambleByte(pData[i], key.subtrahend, key.addend)));

    FileHandle scrambledFile(::memfd_create("scrambled", MFD_CLOEXEC)), plainFile(::memfd_create("plain", MFD_CLOEXEC));
    // Kept from run to run: large blocks fresh from the allocator cost more than the run.
    static const std::string fillers[2] = {std::string(kBlockBytes, static_cast<char>(*ScrambleByte('a', kGeneralKey))),
                                           std::string(kBlockBytes, static_cast<char>(*ScrambleByte('a', kTechnicalKey)))};
    CHECK(WriteAll(scrambledFile.Get(), fillers[flags & 0x40 ? 1 : 0].data(), nFiller) &&
          WriteAll(scrambledFile.Get(), pData + nHeader, nSize - nHeader) && ::lseek(scrambledFile.Get(), 0, SEEK_SET) == 0);
    CHECK(DescrambleFile(scrambledFile.Get(), plainFile.Get(), key.subtrahend, key.addend) == CopyResult::kDone &&
          ::lseek(plainFile.Get(), 0, SEEK_SET) == 0);
    VocabularyTable table(nCapacity);
    const ReadResult result = ReadEntries(plainFile.Get(), table);

    const std::vector<std::string> reference = ReferenceEntries(rest);
    const std::size_t nAll = nFillerPieces + reference.size(), nExpected = std::min(nAll, static_cast<std::size_t>(nCapacity));
    CHECK(result == (nAll > nExpected ? ReadResult::kTableFull : ReadResult::kDone) &&
          static_cast<std::size_t>(table.GetCount()) == nExpected);
    for (std::size_t i = 0; i < nExpected; ++i)
        CHECK(table.GetAt(static_cast<int>(i)) == (i < nFillerPieces ? std::string(kMaxEntryBytes, 'a') : reference[i - nFillerPieces]));
    return 0;
}

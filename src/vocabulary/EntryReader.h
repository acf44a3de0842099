// Reads the plain text back as entries of at most kMaxEntryBytes bytes.
#pragma once

#include <atomic>
#include <cstddef>

class VocabularyTable;

inline constexpr std::size_t kMaxEntryBytes = 254;

enum class ReadResult
{
    kDone,        // the text ended (end of file or a 0x1A byte)
    kTableFull,   // an entry found the table full; the entries before it are stored
    kReadError,   // reading failed; the entries before the failure are stored
    kStopped,     // *pStop was raised
};

// Reads the plain file from its current position with the text-mode rules (CR LF reads as
// LF, a lone CR stays, 0x1A ends the text) and appends every entry to the table in file
// order: a line with its LF, cut into pieces of kMaxEntryBytes bytes where it is longer,
// each piece ending at its first NUL. Does not close the descriptor.
ReadResult ReadEntries(int plainFd, VocabularyTable& table,
                       const std::atomic<bool>* pStop = nullptr);

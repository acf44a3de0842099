// Scrambled vocabulary files: the per-byte transform and the copy into the plain file.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>

// The pair of one-byte constants fixed for one vocabulary file.
struct ScrambleKey
{
    std::uint8_t subtrahend;
    std::uint8_t addend;
};

// Each key leaves exactly two plain bytes without a scrambled form (those that would need
// 0x00 or 0xFF). Both keys put them on information separators that text never holds:
// general 0x1E and 0x1F, technical 0x1C and 0x1D. NUL, tab, LF, CR and 0x1A stay
// representable, so every rule of the entry reader can be reached from a real file.
inline constexpr ScrambleKey kGeneralKey{0x6D, 0xB2};
inline constexpr ScrambleKey kTechnicalKey{0x3A, 0xE3};

std::uint8_t DescrambleByte(std::uint8_t value, std::uint8_t subtrahend, std::uint8_t addend);

// The scrambled byte that descrambles to `plain`, or nothing when the key cannot represent it.
std::optional<std::uint8_t> ScrambleByte(std::uint8_t plain, ScrambleKey key);

enum class CopyResult
{
    kDone,        // the scrambled file was read to its end and every byte written
    kReadError,   // reading the scrambled file failed (not its end)
    kWriteError,  // the plain file did not take every byte
    kStopped,     // *pStop was raised
};

// Copies the scrambled file into the plain file, dropping the bytes 0x00 and 0xFF and
// descrambling every other byte. Both descriptors are used from their current position
// and neither is closed. Works in bounded blocks; checks *pStop between blocks.
CopyResult DescrambleFile(int scrambledFd, int plainFd, std::uint8_t subtrahend,
                          std::uint8_t addend, const std::atomic<bool>* pStop = nullptr);
// The same, a block of work.size() bytes at a time in `work` (not empty): larger blocks
// than the stack can hold make fewer, cheaper writes.
CopyResult DescrambleFile(int scrambledFd, int plainFd, std::uint8_t subtrahend,
                          std::uint8_t addend, const std::atomic<bool>* pStop,
                          std::span<char> work);

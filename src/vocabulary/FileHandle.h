// An owned file descriptor with the few calls the vocabulary files need.
#pragma once

#include <cstddef>
#include <sys/types.h>

class FileHandle
{
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : m_fd(fd) {}
    FileHandle(FileHandle&& other) noexcept : m_fd(other.Release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }

    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    int Release();
    // Closes the descriptor; false when close reported an error.
    bool Close();

private:
    int m_fd = -1;
};

// read() that retries on EINTR: bytes read, 0 at the end, -1 on an error.
ssize_t ReadSome(int fd, void* pBuffer, std::size_t nBytes);
// write() until every byte is written; false on an error (ENOSPC, EFBIG, EIO, ...).
bool WriteAll(int fd, const void* pBuffer, std::size_t nBytes);

#include "vocabulary/FileHandle.h"

#include <cerrno>
#include <unistd.h>

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other)
    {
        Close();
        m_fd = other.Release();
    }
    return *this;
}

int FileHandle::Release()
{
    int fd = m_fd;
    m_fd = -1;
    return fd;
}

bool FileHandle::Close()
{
    if (m_fd < 0)
        return true;
    // No retry on EINTR: on Linux the descriptor is gone either way.
    int rc = ::close(Release());
    return rc == 0 || errno == EINTR;
}

ssize_t ReadSome(int fd, void* pBuffer, std::size_t nBytes)
{
    for (;;)
    {
        ssize_t n = ::read(fd, pBuffer, nBytes);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

bool WriteAll(int fd, const void* pBuffer, std::size_t nBytes)
{
    const char* p = static_cast<const char*>(pBuffer);
    while (nBytes > 0)
    {
        ssize_t n = ::write(fd, p, nBytes);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return false;
        p += n;
        nBytes -= static_cast<std::size_t>(n);
    }
    return true;
}

#include "vocabulary/PlainFile.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace
{
bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when `path` still names the file open on fd.
bool NamesFile(const std::string& path, int fd)
{
    struct stat byName{}, byFd{};
    return ::stat(path.c_str(), &byName) == 0 && ::fstat(fd, &byFd) == 0 && SameFile(byName, byFd);
}

enum class LockResult { kLocked, kStopped, kUnsupported };

LockResult WaitForLock(int fd, const std::atomic<bool>* pStop, const std::function<void()>& onWait)
{
    for (bool bWaiting = false;; bWaiting = true)
    {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return LockResult::kLocked;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return LockResult::kUnsupported;
        if (pStop && pStop->load(std::memory_order_relaxed))
            return LockResult::kStopped;
        if (!bWaiting && onWait)
            onWait();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}
}  // namespace

PlainFile::~PlainFile()
{
    CloseAndUnlock();
}

PlainFile::CreateResult PlainFile::Create(const std::string& path, const std::atomic<bool>* pStop,
                                          const std::function<void()>& onWait)
{
    CloseAndUnlock();
    m_path = path;
    for (;;)
    {
        // No O_TRUNC here: another copy of the program may still be reading this file, so it
        // is emptied only once the lock is ours. O_NONBLOCK keeps a FIFO from hanging the open;
        // O_NOFOLLOW keeps a link planted under this name from having us empty, fill or
        // create the file it points to.
        FileHandle file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0666));
        if (!file.IsOpen())
            return CreateResult::kFailed;
        struct stat st{};
        if (::fstat(file.Get(), &st) != 0)
            return CreateResult::kFailed;
        if (!S_ISREG(st.st_mode))
            return CreateResult::kNotRegular;
        LockResult lock = WaitForLock(file.Get(), pStop, onWait);
        if (lock == LockResult::kStopped)
            return CreateResult::kStopped;
        // The copy that held the lock removes the file before letting go: start again on
        // whatever the name leads to now. (Where locks are not supported, go on unguarded.)
        if (lock == LockResult::kLocked && !NamesFile(path, file.Get()))
            continue;
        // A second name of a file (a hard link) makes it someone else's file, a vocabulary
        // perhaps: never empty or fill it. Only a file left over is truncated: on ext4 a
        // truncation to zero makes the next close write the whole new text out to disk, and
        // the removal then waits for it.
        if (::fstat(file.Get(), &st) != 0 || st.st_nlink != 1 ||
            (st.st_size != 0 && ::ftruncate(file.Get(), 0) != 0))
            return CreateResult::kFailed;
        m_writer = FileHandle(::fcntl(file.Get(), F_DUPFD_CLOEXEC, 0));
        if (!m_writer.IsOpen())
            return CreateResult::kFailed;
        m_file = std::move(file);
        return CreateResult::kCreated;
    }
}

bool PlainFile::FinishWriting()
{
    return m_writer.Close();
}

FileHandle PlainFile::OpenForReading() const
{
    if (!m_file.IsOpen())
        return FileHandle();
    FileHandle reader(::open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!reader.IsOpen())
        return reader;
    // Someone may have put another file in its place meanwhile; that is not our text.
    struct stat byReader{}, byLock{};
    if (::fstat(reader.Get(), &byReader) != 0 || ::fstat(m_file.Get(), &byLock) != 0 ||
        !SameFile(byReader, byLock))
        return FileHandle();
    return reader;
}

void PlainFile::Remove()
{
    if (m_file.IsOpen() && NamesFile(m_path, m_file.Get()))
        ::unlink(m_path.c_str());
    CloseAndUnlock();
}

void PlainFile::CloseAndUnlock()
{
    m_writer.Close();
    m_file.Close();
}

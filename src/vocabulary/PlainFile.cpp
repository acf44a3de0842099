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

// O_NONBLOCK keeps a FIFO from hanging the open; O_NOFOLLOW keeps a link planted under the
// name from having us empty, fill or create the file it points to.
constexpr int kOpenFlags = O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW;

// The rules for a file the name leads to: a regular file, and one of this name alone.
PlainFileName JudgeOpened(const struct stat& st)
{
    if (!S_ISREG(st.st_mode))
        return PlainFileName::kNotRegular;
    return st.st_nlink == 1 ? PlainFileName::kUsable : PlainFileName::kHasOtherNames;
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

PlainFileName InspectPlainFileName(const std::string& path, int* pnErrno)
{
    struct stat st{};
    if (::lstat(path.c_str(), &st) != 0)
    {
        *pnErrno = errno;
        if (errno != ENOENT)
            return PlainFileName::kCannotOpen;
        const std::size_t nSlash = path.rfind('/');
        const std::string directory = nSlash == std::string::npos ? "." : path.substr(0, nSlash + 1);
        if (::access(directory.c_str(), W_OK | X_OK) == 0)
            return PlainFileName::kUsable;
        *pnErrno = errno;
        return PlainFileName::kCannotCreate;
    }
    if (S_ISLNK(st.st_mode))
        return PlainFileName::kSymbolicLink;
    const FileHandle file(::open(path.c_str(), kOpenFlags));
    *pnErrno = errno;
    if (!file.IsOpen())
        return PlainFileName::kCannotOpen;
    return ::fstat(file.Get(), &st) == 0 ? JudgeOpened(st) : PlainFileName::kCannotOpen;
}

void RemoveEmptyPlainFile(const std::string& path)
{
    const FileHandle file(::open(path.c_str(), kOpenFlags));
    struct stat st{};
    if (file.IsOpen() && ::flock(file.Get(), LOCK_EX | LOCK_NB) == 0 && ::fstat(file.Get(), &st) == 0 &&
        JudgeOpened(st) == PlainFileName::kUsable && st.st_size == 0 && NamesFile(path, file.Get()))
        ::unlink(path.c_str());
}

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
        // is emptied only once the lock is ours.
        FileHandle file(::open(path.c_str(), kOpenFlags | O_CREAT, 0666));
        if (!file.IsOpen())
            return CreateResult::kFailed;
        struct stat st{};
        if (::fstat(file.Get(), &st) != 0)
            return CreateResult::kFailed;
        if (JudgeOpened(st) == PlainFileName::kNotRegular)
            return CreateResult::kNotRegular;
        LockResult lock = WaitForLock(file.Get(), pStop, onWait);
        if (lock == LockResult::kStopped)
            return CreateResult::kStopped;
        // The copy that held the lock removes the file before letting go: start again on
        // whatever the name leads to now. (Where locks are not supported, go on unguarded.)
        if (lock == LockResult::kLocked && !NamesFile(path, file.Get()))
            continue;
        // Judged again under the lock: the name may have gained a second one meanwhile.
        if (::fstat(file.Get(), &st) != 0)
            return CreateResult::kFailed;
        if (JudgeOpened(st) == PlainFileName::kHasOtherNames)
            return CreateResult::kHasOtherNames;
        // Only a file left over is truncated: on ext4 a truncation to zero makes the next
        // close write the whole new text out to disk, and the removal then waits for it.
        if (st.st_size != 0 && ::ftruncate(file.Get(), 0) != 0)
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

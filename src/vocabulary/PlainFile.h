// The temporary plain file of one loader: created in place of the scrambled copy's text,
// locked so that two copies of the program in one directory never share it, removed after.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "vocabulary/FileHandle.h"

// What a name offered for a plain file leads to, judged by the rules Create applies.
enum class PlainFileName
{
    kUsable,         // nothing yet, or a regular file that has this one name
    kCannotCreate,   // nothing yet, and its directory takes no new file (errno says why)
    kCannotOpen,     // cannot be opened for writing (errno says why)
    kSymbolicLink,   // never followed: neither emptied, filled nor created through
    kNotRegular,     // something other than a regular file
    kHasOtherNames,  // a regular file with other names (someone's, a vocabulary perhaps):
                     // never emptied or filled
};

// Looks at `path` as Create would, without creating or changing anything: why a plain file
// could not be made there. *pnErrno is set for kCannotCreate and kCannotOpen.
PlainFileName InspectPlainFileName(const std::string& path, int* pnErrno);

// Removes the file at `path` when it is an empty plain file no load holds: a regular file of
// one name, taken under its lock as a load takes it, so a load filling it meanwhile keeps it.
// For a program that ends without using the plain file a load of its own left behind.
void RemoveEmptyPlainFile(const std::string& path);

class PlainFile
{
public:
    enum class CreateResult
    {
        kCreated,        // an empty regular file, locked by us
        kFailed,         // cannot be created or opened for writing, or the name is a
                         // symbolic link
        kHasOtherNames,  // a second name of another file: left as it is
        kNotRegular,     // the name leads to something other than a regular file
        kStopped,        // *pStop was raised while waiting for another program's lock
    };

    PlainFile() = default;
    PlainFile(const PlainFile&) = delete;
    PlainFile& operator=(const PlainFile&) = delete;
    ~PlainFile();

    // Opens or creates the file for reading and writing, waits for an exclusive lock on it
    // and empties it. Another program holding the lock is waited for, checking *pStop;
    // onWait is called whenever such a wait begins.
    CreateResult Create(const std::string& path, const std::atomic<bool>* pStop,
                        const std::function<void()>& onWait = {});

    // The descriptor to write the plain text through; a duplicate of the locked one, so
    // that closing it reports a late write error without giving up the lock.
    int WriteFd() const { return m_writer.Get(); }
    // Closes the writing descriptor; false when the close reported an error.
    bool FinishWriting();
    // Opens the file again, read only, by its name.
    FileHandle OpenForReading() const;
    // Removes the file while still holding its lock, then closes and unlocks it. Nothing is removed
    // unless Create succeeded and the name still leads to that file.
    void Remove();
    // Closes the file, which gives up its lock, and leaves it on disk.
    void CloseAndUnlock();

private:
    std::string m_path;
    FileHandle m_file;  // holds the lock
    FileHandle m_writer;
};

#include "FindWorkDir.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "CopyState.h"
#include "vocabulary/VocabularyLoader.h"

extern char** environ;

namespace
{
bool Exists(const std::string& path)
{
    struct stat st{};
    return ::lstat(path.c_str(), &st) == 0;
}

bool IsRegular(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string CurrentDirectory()
{
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::current_path(ec);
    return ec ? std::string(".") : path.string();
}

// The vocabularies to copy and the script that copies them.
struct Source
{
    std::string data;
    std::string prepare;
};

std::optional<Source> FindSource()
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::nullopt;
    const std::filesystem::path bin = self.parent_path();
    Source installed{(bin / SORELLAN_BIN_TO_DATA).lexically_normal().string(),
                     (bin / SORELLAN_BIN_TO_PREPARE).lexically_normal().string()};
    if (IsRegular(installed.data + "/0.voca") && IsRegular(installed.prepare))
        return installed;
    // Not installed: a program of this build tree takes the source tree's files.
    const std::string_view buildDir = SORELLAN_BUILD_DIR "/";
    if (self.string().starts_with(buildDir))
        return Source{SORELLAN_SOURCE_DATA_DIR, SORELLAN_SOURCE_PREPARE};
    return std::nullopt;
}

// Runs the launcher's script; it says on standard error what went wrong.
bool Prepare(const Source& source, const std::string& work)
{
    const char* argv[] = {"/bin/sh", source.prepare.c_str(), source.data.c_str(), work.c_str(),
                          nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool Enter(const std::string& dir)
{
    if (::chdir(dir.c_str()) == 0)
        return true;
    std::fprintf(stderr, "sorellan-find: %s: %s\n", dir.c_str(), std::strerror(errno));
    return false;
}
}  // namespace

std::optional<std::string> PerUserDirectory()
{
    const char* szData = std::getenv("XDG_DATA_HOME");
    if (szData && szData[0] == '/')
        return std::string(szData) + "/sorellan";
    const char* szHome = std::getenv("HOME");
    if (szHome && szHome[0] != '\0')
        return std::string(szHome) + "/.local/share/sorellan";
    return std::nullopt;
}

std::optional<std::string> EnterWorkingDirectory(const std::string& explicitDir)
{
    if (!explicitDir.empty())
        return Enter(explicitDir) ? std::optional(CurrentDirectory()) : std::nullopt;
    if (Exists(g_szGeneralFile) || Exists(g_szTechnicalFile))
        return CurrentDirectory();

    const std::optional<std::string> work = PerUserDirectory();
    const std::optional<Source> source = FindSource();
    if (!work || !source)
    {
        std::fprintf(stderr,
                     "sorellan-find: no 0.voca or 17.voca here, and %s; run it where the"
                     " vocabularies are, or give --dir DIR\n",
                     work ? "no installed vocabularies to copy" : "HOME is not set");
        return std::nullopt;
    }
    // Up to date, the copies cost a few stat calls; else the script checks and copies.
    if ((!CopiesUpToDate(source->data, *work) && !Prepare(*source, *work)) || !Enter(*work))
        return std::nullopt;
    return work;
}

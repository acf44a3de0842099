#include "CopyState.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace
{
// "SIZE MTIME INODE" as the script's stat -L -c '%s %.9Y %i' writes it.
bool Stats(const std::string& path, std::string& out)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    char sz[96];
    std::snprintf(sz, sizeof sz, "%lld %lld.%09ld %llu", static_cast<long long>(st.st_size),
                  static_cast<long long>(st.st_mtim.tv_sec), static_cast<long>(st.st_mtim.tv_nsec),
                  static_cast<unsigned long long>(st.st_ino));
    out = sz;
    return true;
}
}  // namespace

bool CopiesUpToDate(const std::string& dataDir, const std::string& workDir)
{
    std::ifstream file(workDir + "/.installed-state");
    std::stringstream recorded;
    recorded << file.rdbuf();
    const std::string text = "\n" + recorded.str();
    for (const char* szName : {"0.voca", "17.voca"})
    {
        std::string copy, source;
        if (!Stats(workDir + "/" + szName, copy) || !Stats(dataDir + "/" + szName, source))
            return false;
        if (text.find("\n" + std::string(szName) + " " + copy + " " + source + "\n") == std::string::npos)
            return false;
    }
    return true;
}

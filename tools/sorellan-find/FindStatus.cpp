#include "FindStatus.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "GbkConversion.h"
#include "vocabulary/FileHandle.h"
#include "vocabulary/PlainFile.h"
#include "vocabulary/VocabularyLoader.h"

namespace
{
std::string Reason(std::string_view file, std::string_view why)
{
    return std::string(file) + ": " + std::string(why);
}

const char* const kPlainFiles[] = {g_szGeneralPlainFile, g_szTechnicalPlainFile};
}  // namespace

void StderrStatusTarget::Report(const LoadReport& report)
{
    std::lock_guard lock(m_mutex);  // both loaders report here (and strerror is not theirs to share)
    const char* const szText = report.szText;
    try
    {
        std::string why;
        if (report.event == LoadEvent::kMissing)
            why = WhyNotOpened(report.szVocabularyFile, report.szPlainFile);
        std::string line = GbkToUtf8(szText);
        if (!why.empty())
            line += " (" + why + ")";
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
    catch (...)
    {
        // Out of memory: the unconverted text still says what happened, and a throw would
        // take the loader down with it.
        std::fputs(szText, stderr);
        std::fputc('\n', stderr);
    }
}

std::string WhyNotOpened(const char* szVocabularyFile, const char* szPlainFile)
{
    FileHandle vocabulary;
    int nErrno = 0;
    const VocabularyFileOpen opened = OpenVocabularyFile(szVocabularyFile, vocabulary, &nErrno);
    if (opened == VocabularyFileOpen::kCannotOpen)
        return Reason(szVocabularyFile, std::strerror(nErrno));
    if (opened == VocabularyFileOpen::kNotRegular)
        return Reason(szVocabularyFile, "not a regular file");
    switch (InspectPlainFileName(szPlainFile, &nErrno))
    {
    case PlainFileName::kUsable:
        return {};
    case PlainFileName::kCannotCreate:
        return Reason(szPlainFile, std::string("cannot be created: ") + std::strerror(nErrno));
    case PlainFileName::kCannotOpen:
        return Reason(szPlainFile, std::strerror(nErrno));
    case PlainFileName::kSymbolicLink:
        return Reason(szPlainFile, "is a symbolic link, never followed");
    case PlainFileName::kNotRegular:
        return Reason(szPlainFile, "not a regular file");
    case PlainFileName::kHasOtherNames:
        return std::string(szPlainFile) + " has other names; not touched";
    }
    return {};
}

PlainFileSweep::PlainFileSweep()
{
    for (int i = 0; i < 2; ++i)
    {
        struct stat st{};
        m_bExisted[i] = ::lstat(kPlainFiles[i], &st) == 0;
    }
}

void PlainFileSweep::RemoveLeftovers() const
{
    for (int i = 0; i < 2; ++i)
        if (!m_bExisted[i])
            RemoveEmptyPlainFile(kPlainFiles[i]);
}

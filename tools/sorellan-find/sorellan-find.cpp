// sorellan-find: the lookup from the command line. Loads both vocabularies with the window's
// own loaders and runs each query as the Find button does, with options the window cannot
// have.
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "FindOptions.h"
#include "FindPrompt.h"
#include "FindQuery.h"
#include "FindSelection.h"
#include "FindStatus.h"
#include "FindWorkDir.h"
#include "GbkConversion.h"
#include "vocabulary/LoaderThreads.h"
#include "vocabulary/StopSignals.h"

namespace
{
// Reads queries from standard input, one a line, until its end.
bool RunQueriesFromInput(QueryRunner& runner)
{
    struct LineBuffer
    {
        char* p = nullptr;
        std::size_t nCapacity = 0;
        ~LineBuffer() { std::free(p); }
    } buffer;
    for (;;)
    {
        // getline, since a --raw query may hold any byte, NUL included.
        const ssize_t nRead = getline(&buffer.p, &buffer.nCapacity, stdin);
        if (nRead < 0)
            return !std::ferror(stdin);
        std::string_view line(buffer.p, static_cast<std::size_t>(nRead));
        if (line.ends_with('\n'))
        {
            line.remove_suffix(1);
            if (line.ends_with('\r'))
                line.remove_suffix(1);
        }
        if (!runner.Run(line))
            return false;
    }
}

int Fail(const char* szWhat)
{
    std::fprintf(stderr, "sorellan-find: %s: %s\n", szWhat, std::strerror(errno));
    return 1;
}

bool UseColor(ColorChoice choice)
{
    if (choice != ColorChoice::kAuto)
        return choice == ColorChoice::kAlways;
    const char* szTerm = std::getenv("TERM");
    return isatty(STDOUT_FILENO) && !(szTerm && std::string_view(szTerm) == "dumb");
}

// Loads both vocabularies in the current directory; true when either loaded.
bool LoadVocabularies()
{
    StopLoadersOnSignals();
    const PlainFileSweep sweep;
    StderrStatusTarget target;
    {
        LoaderThreads loaders;
        loaders.Start(target);
        loaders.Wait();
    }
    sweep.RemoveLeftovers();
    ExitIfStopSignalled();
    // When neither load enabled Find, the status texts have said why.
    return target.FindEnabled();
}
}  // namespace

int main(int argc, char** argv)
{
    const auto parsed = ParseFindArguments(argc, argv);
    if (const auto* pError = std::get_if<UsageError>(&parsed))
    {
        std::fprintf(stderr, "sorellan-find: %s\n%s", pError->message.c_str(), kFindUsage);
        return 2;
    }
    const FindOptions& options = std::get<FindOptions>(parsed);
    if (options.bHelp || options.bVersion)
    {
        std::fputs(options.bHelp ? kFindHelp : "sorellan-find (Sorellan) " SORELLAN_VERSION "\n",
                   stdout);
        return std::fflush(stdout) == 0 ? 0 : Fail("standard output");
    }
    if (!GbkConversionAvailable())
    {
        std::fputs("sorellan-find: iconv cannot convert between GBK and UTF-8\n", stderr);
        return 1;
    }

    std::vector<std::string> queries = options.queries;
    if (options.selection && !AddSelectionQuery(*options.selection, options.format == OutputFormat::kRaw, queries))
        return 1;

    const std::optional<std::string> dir = EnterWorkingDirectory(options.dir);
    if (!dir)
        return 1;
    if (options.bVerbose)
        std::fprintf(stderr, "sorellan-find: loading the vocabularies in %s\n", dir->c_str());
    if (!LoadVocabularies())
        return 1;

    QueryRunner runner(options, options.format == OutputFormat::kText && UseColor(options.color));
    if (queries.empty())
    {
        if (isatty(STDIN_FILENO) && options.format != OutputFormat::kRaw)
        {
            // The history lives with the per-user vocabularies, wherever these came from.
            std::string historyFile;
            if (const std::optional<std::string> home = PerUserDirectory())
            {
                std::error_code ec;
                std::filesystem::create_directories(*home, ec);
                historyFile = *home + "/find-history";
            }
            if (!RunQueriesFromTerminal(runner, historyFile))
                return Fail("standard output");
            return 0;
        }
        if (!RunQueriesFromInput(runner))
            return Fail(std::ferror(stdin) ? "standard input" : "standard output");
        return 0;
    }
    for (const std::string& query : queries)
        if (!runner.Run(query))
            return Fail("standard output");
    return 0;
}

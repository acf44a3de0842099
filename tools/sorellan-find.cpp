// sorellan-find: the lookup from the command line. Loads both vocabularies from the current
// directory with the window's own loaders and runs each query as the Find button does.
#include <sys/types.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "GbkConversion.h"
#include "search/Find.h"
#include "vocabulary/LoaderThreads.h"
#include "vocabulary/StatusTarget.h"
#include "vocabulary/StopSignals.h"

namespace
{

constexpr char kUsage[] = "usage: sorellan-find [--raw] [--] [QUERY...]  (no QUERY: one query a"
                          " line from standard input)\n";

// Shows each status text on standard error, one a line, and notes whether Find was enabled.
class StderrStatusTarget final : public StatusTarget
{
public:
    void SetStatusText(const char* szText) override
    {
        std::lock_guard lock(m_mutex);  // both loaders report here
        try
        {
            const std::string line = GbkToUtf8(szText) + '\n';
            std::fwrite(line.data(), 1, line.size(), stderr);
        }
        catch (...)
        {
            // Out of memory: the unconverted text still says what happened, and a throw
            // would take the loader down with it.
            std::fputs(szText, stderr);
            std::fputc('\n', stderr);
        }
    }
    void EnableFind() override { m_bFindEnabled.store(true, std::memory_order_release); }
    bool FindEnabled() const { return m_bFindEnabled.load(std::memory_order_acquire); }

private:
    std::mutex m_mutex;
    std::atomic<bool> m_bFindEnabled{false};
};

struct Options
{
    bool bRaw = false;
    std::vector<std::string> queries;  // none: read them from standard input
};

// Options may stand anywhere before "--"; everything after it is a query.
std::optional<Options> ParseArguments(int argc, char** argv)
{
    Options options;
    bool bOptionsEnded = false;
    for (int i = 1; i < argc; ++i)
    {
        const std::string_view arg = argv[i];
        if (bOptionsEnded || !arg.starts_with("--"))
            options.queries.emplace_back(arg);
        else if (arg == "--")
            bOptionsEnded = true;
        else if (arg == "--raw")
            options.bRaw = true;
        else
            return std::nullopt;
    }
    return options;
}

// Appends UTF-8 text for one terminal line. A NUL (what stands for a query character GBK
// lacks) shows as U+FFFD; other control bytes but tab show as a blank, so that a lone CR
// kept in an entry can neither break the line nor drive the terminal.
void AppendVisible(std::string& out, std::string_view text)
{
    for (const char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0)
            out += "\xEF\xBF\xBD";
        else if ((byte < 0x20 && c != '\t') || byte == 0x7F)
            out += ' ';
        else
            out += c;
    }
}

// Appends a result text under its heading, one entry a line. Entries end in "\r\n" and
// mostly hold their own "\n" before it; neither shows.
void AppendResult(std::string& out, std::string_view heading, std::string_view gbkResult)
{
    const std::string text = GbkToUtf8(gbkResult);
    std::vector<std::string_view> entries;
    for (std::size_t pos = 0; pos < text.size();)
    {
        const std::size_t end = std::min(text.find("\r\n", pos), text.size());
        std::string_view entry(text.data() + pos, end - pos);
        if (entry.ends_with('\n'))
            entry.remove_suffix(1);
        entries.push_back(entry);
        pos = end + 2;
    }
    out += heading;
    out += " (" + std::to_string(entries.size()) + "):\n";
    for (const std::string_view entry : entries)
    {
        out += "  ";
        AppendVisible(out, entry);
        out += '\n';
    }
}

class QueryRunner
{
public:
    explicit QueryRunner(bool bRaw) : m_bRaw(bRaw) {}

    // Runs one query given as typed (UTF-8, or GBK with --raw) and writes its results.
    // Returns false when standard output failed.
    bool Run(std::string_view input)
    {
        std::string query = m_bRaw ? std::string(input) : Utf8ToGbk(input);
        const FindResults results = FindInVocabularies(query);
        m_out.clear();
        if (m_bRaw)
        {
            m_out += results.general;
            m_out += '\0';
            m_out += results.technical;
            m_out += '\0';
        }
        else
        {
            if (m_bAnyRun)
                m_out += '\n';
            m_out += "Query: ";
            AppendVisible(m_out, GbkToUtf8(query));
            m_out += '\n';
            AppendResult(m_out, "General", results.general);
            AppendResult(m_out, "Technical", results.technical);
        }
        m_bAnyRun = true;
        // Flushed query by query, so that a caller feeding standard input sees each answer.
        return std::fwrite(m_out.data(), 1, m_out.size(), stdout) == m_out.size() &&
               std::fflush(stdout) == 0;
    }

private:
    bool m_bRaw;
    bool m_bAnyRun = false;
    std::string m_out;  // one query's output, written at once
};

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

}  // namespace

int main(int argc, char** argv)
{
    const std::optional<Options> options = ParseArguments(argc, argv);
    if (!options)
    {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!GbkConversionAvailable())
    {
        std::fputs("sorellan-find: iconv cannot convert between GBK and UTF-8\n", stderr);
        return 1;
    }

    StopLoadersOnSignals();
    StderrStatusTarget target;
    {
        LoaderThreads loaders;
        loaders.Start(target);
        loaders.Wait();
    }
    ExitIfStopSignalled();
    // Neither load enabled Find; the status texts have said why.
    if (!target.FindEnabled())
        return 1;

    QueryRunner runner(options->bRaw);
    if (options->queries.empty())
    {
        if (!RunQueriesFromInput(runner))
            return Fail(std::ferror(stdin) ? "standard input" : "standard output");
        return 0;
    }
    for (const std::string& query : options->queries)
        if (!runner.Run(query))
            return Fail("standard output");
    return 0;
}

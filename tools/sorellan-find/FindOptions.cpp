#include "FindOptions.h"

#include <string_view>

const char kFindUsage[] =
    "usage: sorellan-find [OPTION...] [--] [QUERY...]\n"
    "Try 'sorellan-find --help' for more.\n";

const char kFindHelp[] =
    "usage: sorellan-find [OPTION...] [--] [QUERY...]\n"
    "Looks up each QUERY in the Sorellan vocabularies as the window's Find button does:\n"
    "every entry that holds each of the first six keywords (separated by blanks, commas or\n"
    "semicolons). Without QUERY it reads one query a line from standard input, or prompts\n"
    "when that is a terminal (Ctrl-D leaves).\n"
    "\n"
    "Options:\n"
    "  -i, --ignore-case   ASCII letters match without regard to case\n"
    "  -w, --word          an English keyword must stand as a whole word\n"
    "  -p, --pinyin        keywords are readings in plain letters, tones optional\n"
    "                      (\"huaxue\", \"hua xue\", \"hua4xue2\", v or u: for ü), parted\n"
    "                      by commas or semicolons\n"
    "  -q, --quiet         no suggestions on standard error when nothing is found\n"
    "      --color[=WHEN]  highlight the keywords: auto (on a terminal, the default),\n"
    "                      always or never\n"
    "      --json          one JSON object a query: query, exact, expanded, technical,\n"
    "                      suggestions\n"
    "      --raw           GBK queries in, the GBK result texts out, each behind a NUL\n"
    "      --dir DIR       load the vocabularies from DIR\n"
    "      --selection     look up the selected text (its first line), after any QUERY\n"
    "      --clipboard     look up the clipboard's text the same way\n"
    "  -v, --verbose       say on standard error where the vocabularies come from\n"
    "  -h, --help          show this help\n"
    "      --version       show the version\n"
    "\n"
    "Vocabularies: 0.voca and 17.voca of the current directory when it holds either;\n"
    "otherwise the per-user copies in $XDG_DATA_HOME/sorellan (~/.local/share/sorellan),\n"
    "copied there from the installed ones as the window's launcher does.\n"
    "\n"
    "Examples:\n"
    "  sorellan-find \"sulfuric acid\"       entries holding both words\n"
    "  sorellan-find -iw ion               the word \"ion\", any case\n"
    "  sorellan-find 硫酸 --json            the same lists as JSON\n"
    "  sorellan-find -p liusuan            entries read liú suān\n"
    "  sorellan-find < queries.txt         one query a line\n"
    "\n"
    "Exit status: 0 when a vocabulary loaded and every query was answered, 1 when neither\n"
    "vocabulary loaded, input or output failed or the selection held no text, 2 for a\n"
    "usage error.\n"
    "\n"
    "A query that finds nothing is followed on standard error (not with --raw) by up to\n"
    "five words or terms of the vocabularies near its keywords.\n";

namespace
{
class Parser
{
public:
    Parser(int argc, const char* const* argv) : m_argc(argc), m_argv(argv) {}

    std::variant<FindOptions, UsageError> Parse()
    {
        bool bOptionsEnded = false;
        for (m_next = 1; m_next < m_argc;)
        {
            const std::string_view arg = m_argv[m_next++];
            bool bOk = true;
            if (bOptionsEnded || arg.size() < 2 || arg[0] != '-')
                m_options.queries.emplace_back(arg);
            else if (arg == "--")
                bOptionsEnded = true;
            else if (arg.starts_with("--"))
                bOk = ParseLong(arg.substr(2));
            else
                bOk = ParseLetters(arg.substr(1));
            if (!bOk)
                return UsageError{m_error};
        }
        if (m_bRaw && m_bJson)
            return UsageError{"--raw and --json exclude each other"};
        return m_options;
    }

private:
    bool Fail(std::string message)
    {
        m_error = std::move(message);
        return false;
    }

    bool ParseLong(std::string_view name)
    {
        std::string_view value;
        const std::size_t equals = name.find('=');
        const bool bHasValue = equals != std::string_view::npos;
        if (bHasValue)
        {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        if (name == "color" || name == "colour")
            return ParseColor(bHasValue ? value : "auto");
        if (name == "dir")
        {
            if (!bHasValue)
            {
                if (m_next >= m_argc)
                    return Fail("--dir needs a directory");
                value = m_argv[m_next++];
            }
            if (value.empty())
                return Fail("--dir needs a directory");
            m_options.dir = value;
            return true;
        }
        if (bHasValue)
            return Fail("option '--" + std::string(name) + "' takes no value");
        if (name == "ignore-case")
            m_options.rule.bIgnoreCase = true;
        else if (name == "word")
            m_options.rule.bWholeWord = true;
        else if (name == "json")
            SetFormat(OutputFormat::kJson);
        else if (name == "raw")
            SetFormat(OutputFormat::kRaw);
        else if (name == "pinyin")
            m_options.bPinyin = true;
        else if (name == "quiet")
            m_options.bQuiet = true;
        else if (name == "selection" || name == "clipboard")
            m_options.selection = name == "selection" ? SelectionKind::kPrimary : SelectionKind::kClipboard;
        else if (name == "verbose")
            m_options.bVerbose = true;
        else if (name == "help")
            m_options.bHelp = true;
        else if (name == "version")
            m_options.bVersion = true;
        else
            return Fail("unknown option '--" + std::string(name) + "'");
        return true;
    }

    bool ParseLetters(std::string_view letters)
    {
        for (const char c : letters)
        {
            if (c == 'i')
                m_options.rule.bIgnoreCase = true;
            else if (c == 'w')
                m_options.rule.bWholeWord = true;
            else if (c == 'p')
                m_options.bPinyin = true;
            else if (c == 'q')
                m_options.bQuiet = true;
            else if (c == 'v')
                m_options.bVerbose = true;
            else if (c == 'h')
                m_options.bHelp = true;
            else
                return Fail(std::string("unknown option '-") + c + "'");
        }
        return true;
    }

    bool ParseColor(std::string_view when)
    {
        if (when == "auto")
            m_options.color = ColorChoice::kAuto;
        else if (when == "always")
            m_options.color = ColorChoice::kAlways;
        else if (when == "never")
            m_options.color = ColorChoice::kNever;
        else
            return Fail("--color takes auto, always or never, not '" + std::string(when) + "'");
        return true;
    }

    void SetFormat(OutputFormat format)
    {
        m_options.format = format;
        (format == OutputFormat::kRaw ? m_bRaw : m_bJson) = true;
    }

    int m_argc;
    const char* const* m_argv;
    int m_next = 1;
    FindOptions m_options;
    bool m_bRaw = false;
    bool m_bJson = false;
    std::string m_error;
};
}  // namespace

std::variant<FindOptions, UsageError> ParseFindArguments(int argc, const char* const* argv)
{
    return Parser(argc, argv).Parse();
}

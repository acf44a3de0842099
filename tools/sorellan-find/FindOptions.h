// The command line of sorellan-find.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "desktop/SelectionHelper.h"
#include "search/KeywordMatch.h"

enum class OutputFormat
{
    kText,  // UTF-8 under headings, one entry a line
    kRaw,   // the GBK result texts exactly as built, each behind a NUL
    kJson,  // one JSON object a query, UTF-8
};

enum class ColorChoice
{
    kAuto,  // when standard output is a terminal
    kAlways,
    kNever,
};

struct FindOptions
{
    bool bHelp = false;
    bool bVersion = false;
    bool bVerbose = false;
    bool bPinyin = false;  // keywords are readings typed in plain letters
    bool bQuiet = false;   // no suggestions when nothing is found
    OutputFormat format = OutputFormat::kText;
    ColorChoice color = ColorChoice::kAuto;
    MatchRule rule;
    std::string dir;                   // empty: the current directory or the per-user one
    std::vector<std::string> queries;  // none: read them from standard input
    std::optional<SelectionKind> selection;  // --selection or --clipboard: one query more
};

struct UsageError
{
    std::string message;  // what was wrong, one line without its end
};

// Options may stand anywhere before "--"; everything after it is a query, and so is every
// argument that does not begin with "-" (or is "-" alone). Single-letter options combine:
// "-iw".
std::variant<FindOptions, UsageError> ParseFindArguments(int argc, const char* const* argv);

// The short usage shown with a usage error, and the whole help.
extern const char kFindUsage[];
extern const char kFindHelp[];

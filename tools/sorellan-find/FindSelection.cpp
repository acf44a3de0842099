#include "FindSelection.h"

#include <cstdio>
#include <optional>

#include "GbkConversion.h"
#include "desktop/SelectionText.h"

bool AddSelectionQuery(SelectionKind kind, bool bRaw, std::vector<std::string>& queries)
{
    const char* szWhat = kind == SelectionKind::kPrimary ? "the selection" : "the clipboard";
    const std::optional<std::string> text = ReadSelectionWithHelper(kind);
    if (!text)
    {
        std::fprintf(stderr, "sorellan-find: cannot read %s: no display, or no %s to read it with\n", szWhat,
                     kSelectionHelpers);
        return false;
    }
    std::string query = QueryFromDesktopText(*text, kSelectionQueryBytes);
    if (query.empty())
    {
        std::fprintf(stderr, "sorellan-find: %s holds no text\n", szWhat);
        return false;
    }
    queries.push_back(bRaw ? Utf8ToGbk(query) : std::move(query));
    return true;
}

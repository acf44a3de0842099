// sorellan-find --selection and --clipboard: the selected text as one more query.
#pragma once

#include <string>
#include <vector>

#include "desktop/SelectionHelper.h"

// Appends the query the selection or the clipboard holds (GBK when bRaw, else UTF-8).
// Returns false after saying on standard error why there is none.
bool AddSelectionQuery(SelectionKind kind, bool bRaw, std::vector<std::string>& queries);

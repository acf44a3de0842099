// GBK bytes <-> Unicode, for the window only: everything behind it stays GBK.
#pragma once

#include <QString>
#include <string>
#include <string_view>

// Bytes that do not decode, and NUL, show as U+FFFD; decoding never stops early.
QString GbkToUnicode(std::string_view gbk);

// A character GBK cannot represent becomes a NUL byte: no entry holds one, so it matches
// nothing, where a stand-in such as "?" would match real entries.
std::string UnicodeToGbk(const QString& text);

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "vocabulary/VocabularyTable.h"

TempDir::TempDir()
{
    const char* szBase = std::getenv("TMPDIR");
    std::string pattern = std::string(szBase && *szBase ? szBase : "/tmp") + "/lexivant2-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found;
}

std::string Scramble(const std::string& plain, ScrambleKey key)
{
    std::string out;
    out.reserve(plain.size());
    for (char c : plain)
    {
        auto scrambled = ScrambleByte(static_cast<std::uint8_t>(c), key);
        if (!scrambled)
            throw std::invalid_argument("byte cannot be scrambled with this key");
        out.push_back(static_cast<char>(*scrambled));
    }
    return out;
}

std::vector<std::string> EntriesOf(const VocabularyTable& table)
{
    std::vector<std::string> entries;
    for (int i = 0, n = table.GetCount(); i < n; ++i)
        entries.emplace_back(table.GetAt(i));
    return entries;
}

void RecordingTarget::SetStatusText(const char* szText)
{
    std::lock_guard lock(m_mutex);
    m_events.emplace_back(szText);
}

void RecordingTarget::EnableFind()
{
    std::lock_guard lock(m_mutex);
    m_events.push_back(kFindEvent);
}

std::vector<std::string> RecordingTarget::Events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

bool RecordingTarget::FindEnabled() const
{
    std::lock_guard lock(m_mutex);
    for (const auto& event : m_events)
        if (event == kFindEvent)
            return true;
    return false;
}

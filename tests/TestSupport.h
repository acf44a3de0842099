// Helpers shared by the tests: scratch directories, files, scrambling, programs run to their
// end, a recording target, a load in a scratch directory.
#pragma once

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <stdlib.h>
#include <sys/types.h>
#include <vector>

#include "vocabulary/StatusTarget.h"
#include "vocabulary/VocabularyLoader.h"
#include "vocabulary/VocabularyTable.h"

// A fresh directory under TMPDIR, removed with everything in it at the end of the test.
struct TempDir
{
    TempDir() : m_path(std::filesystem::temp_directory_path() / "lexivant2-XXXXXX")  // TMPDIR, else /tmp
    { if (!mkdtemp(m_path.data())) throw std::runtime_error("mkdtemp failed"); }
    ~TempDir() { std::error_code ec; std::filesystem::remove_all(m_path, ec); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }
    std::string m_path;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
inline bool FileExists(const std::string& path) { std::error_code ec; return exists(std::filesystem::symlink_status(path, ec)); }
// Every name in a directory with its text if it is a regular file (links not followed);
// anything else as "<not a regular file>".
std::map<std::string, std::string> ListDirectory(const std::string& directory);

// The scrambled form of plain text (every byte must be representable with the key).
std::string Scramble(const std::string& plain, ScrambleKey key);

// Runs a program to its end with its standard input from `input`, in `workDir` (the
// current directory when empty), with `environment` (NAME=VALUE each; this process's own
// when empty), and collects what it wrote. whileRunning, if given, is called with the
// program's pid once it has started; it must not reap it.
// nExit is -1 when it did not exit normally; nSignal the signal that ended it, if one did.
struct RunResult { int nExit = -1; int nSignal = 0; std::string out, err; };
RunResult RunProgram(const std::string& path, const std::vector<std::string>& args, const std::string& workDir = {},
                     const std::string& input = {}, const std::vector<std::string>& environment = {},
                     const std::function<void(pid_t)>& whileRunning = {});

// Runs a program in `workDir` and, as soon as one of its plain files there holds text,
// pauses it (SIGSTOP), sends it nSignal and lets it go on. Runs it again, up to 20 times,
// until the signal came while a plain file held text, that is during a load, and sets
// *pbDuringLoad when it did.
RunResult SignalDuringLoad(const std::string& path, const std::vector<std::string>& args,
                           const std::string& workDir, int nSignal, bool* pbDuringLoad);

// Writes 0.voca and 17.voca of nLines numbered lines each into `directory`, large enough
// for loads that take a while (technical lines end in CR LF).
void WriteNumberedVocabularies(const std::string& directory, int nLines);

// Every entry of a table, in order.
inline std::vector<std::string> EntriesOf(const VocabularyTable& table)
{
    std::vector<std::string> entries;
    for (int i = 0, n = table.GetCount(); i < n; ++i) entries.emplace_back(table.GetAt(i));
    return entries;
}

// What a RecordingTarget records for EnableFind.
inline const std::string kFindEvent = "<find>";

// Records what loaders report, in order, from any thread.
struct RecordingTarget : StatusTarget
{
    void Report(const LoadReport& report) override { Record(report.szText); }
    void EnableFind() override { Record(kFindEvent); }
    std::vector<std::string> Events() const { std::lock_guard lock(m_mutex); return m_events; }
    void Record(std::string event) { std::lock_guard lock(m_mutex); m_events.push_back(std::move(event)); }
    mutable std::mutex m_mutex;  // guards m_events
    std::vector<std::string> m_events;
};

// One vocabulary's load, with its files in a scratch directory and a table of its own.
struct TestLoad
{
    TestLoad(const TempDir& dir, bool bTechnical, int nCapacity = 1000)
        : vocabularyPath(dir / (bTechnical ? "17.voca" : "0.voca")),
          plainPath(dir / (bTechnical ? "Temp_Test_Quillon2.pyq" : "Temp_Test_Quillon0.pyq")), table(nCapacity),
          load(bTechnical ? TechnicalVocabularyLoad() : GeneralVocabularyLoad())
    {
        load.szVocabularyFile = vocabularyPath.c_str(), load.szPlainFile = plainPath.c_str();
        load.pTable = &table, load.pbFileOk = &bFileOk;
    }
    void WriteVocabulary(const std::string& plain) { WriteFile(vocabularyPath, Scramble(plain, load.key)); }
    std::vector<std::string> Run() { LoadVocabulary(load, target); return target.Events(); }

    std::string vocabularyPath, plainPath;
    VocabularyTable table;
    int bFileOk = 1;
    VocabularyLoad load;
    RecordingTarget target;
};

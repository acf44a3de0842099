#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "vocabulary/VocabularyTable.h"

TempDir::TempDir()
{
    const char* szBase = std::getenv("TMPDIR");
    m_path = std::string(szBase && *szBase ? szBase : "/tmp") + "/lexivant2-XXXXXX";
    if (!mkdtemp(m_path.data()))
        throw std::runtime_error("mkdtemp failed");
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

std::map<std::string, std::string> ListDirectory(const std::string& directory)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        files[entry.path().filename()] = entry.symlink_status().type() == std::filesystem::file_type::regular
                                             ? ReadFile(entry.path()) : "<not a regular file>";
    return files;
}

std::string Scramble(const std::string& plain, ScrambleKey key)
{
    std::string out;
    for (const char c : plain)
        if (const auto scrambled = ScrambleByte(static_cast<std::uint8_t>(c), key))
            out.push_back(static_cast<char>(*scrambled));
        else
            throw std::invalid_argument("byte cannot be scrambled with this key");
    return out;
}

RunResult RunProgram(const std::string& path, const std::vector<std::string>& args, const std::string& workDir,
                     const std::string& input, const std::vector<std::string>& environment,
                     const std::function<void(pid_t)>& whileRunning)
{
    const TempDir capture;  // apart, so that the work directory holds only the program's files
    WriteFile(capture / "stdin", input);
    std::vector<std::string> argStrings{path}, envStrings = environment;
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> p;
        for (std::string& string : strings)
            p.push_back(string.data());
        p.push_back(nullptr);
        return p;
    };
    std::vector<char*> argv = pointers(argStrings), envp = pointers(envStrings);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, (capture / "stdin").c_str(), O_RDONLY, 0);
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO})
        posix_spawn_file_actions_addopen(&actions, fd, (capture / std::to_string(fd)).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int nSpawn = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environment.empty() ? environ : envp.data());
    posix_spawn_file_actions_destroy(&actions);
    RunResult result;
    if (nSpawn == 0 && whileRunning)
        whileRunning(pid);
    int status = 0;
    if (nSpawn != 0 || waitpid(pid, &status, 0) != pid)
        return result;
    result.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.nSignal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.out = ReadFile(capture / std::to_string(STDOUT_FILENO));
    result.err = ReadFile(capture / std::to_string(STDERR_FILENO));
    return result;
}

RunResult SignalDuringLoad(const std::string& path, const std::vector<std::string>& args, const std::string& workDir,
                           int nSignal, bool* pbDuringLoad)
{
    auto plainFileHoldsText = [&workDir] {
        struct stat st{};
        return (::stat((workDir + "/Temp_Test_Quillon0.pyq").c_str(), &st) == 0 && st.st_size > 0) ||
               (::stat((workDir + "/Temp_Test_Quillon2.pyq").c_str(), &st) == 0 && st.st_size > 0);
    };
    RunResult result;
    *pbDuringLoad = false;
    for (int nTry = 0; nTry < 20 && !*pbDuringLoad; ++nTry)
    {
        result = RunProgram(path, args, workDir, {}, {}, [&](pid_t pid) {
            siginfo_t info{};
            while (!plainFileHoldsText())
                if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
                    return;  // it ended before
            ::kill(pid, SIGSTOP);
            if (::waitid(P_PID, static_cast<id_t>(pid), &info, WSTOPPED | WEXITED | WNOWAIT) != 0 ||
                info.si_code != CLD_STOPPED)
                return;
            *pbDuringLoad = plainFileHoldsText();  // paused, so still true when it goes on
            ::kill(pid, nSignal);
            ::kill(pid, SIGCONT);
        });
    }
    return result;
}

PlainTexts WriteNumberedVocabularies(const std::string& directory, int nLines)
{
    PlainTexts texts;
    for (int i = 0; i < nLines; ++i)
    {
        texts.general += "word " + std::to_string(i) + "|\xB4\xCA " + std::to_string(i % 977) + "\n";
        texts.technical += "compound " + std::to_string(i) + "|\xBB\xAF\xBA\xCF\xCE\xEF\r\n";
    }
    WriteFile(directory + "/0.voca", Scramble(texts.general, kGeneralKey));
    WriteFile(directory + "/17.voca", Scramble(texts.technical, kTechnicalKey));
    return texts;
}

std::vector<std::string> EntriesOf(const VocabularyTable& table)
{
    std::vector<std::string> entries;
    for (int i = 0, n = table.GetCount(); i < n; ++i)
        entries.emplace_back(table.GetAt(i));
    return entries;
}

TestLoad::TestLoad(const TempDir& dir, bool bTechnical, int nCapacity)
    : vocabularyPath(dir / (bTechnical ? "17.voca" : "0.voca")),
      plainPath(dir / (bTechnical ? "Temp_Test_Quillon2.pyq" : "Temp_Test_Quillon0.pyq")),
      table(nCapacity),
      load(bTechnical ? TechnicalVocabularyLoad() : GeneralVocabularyLoad())
{
    load.szVocabularyFile = vocabularyPath.c_str();
    load.szPlainFile = plainPath.c_str();
    load.pTable = &table;
    load.pbFileOk = &bFileOk;
}

#include "TestSupport.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

void WriteFile(const std::string& path, const std::string& bytes)
{
    if (!(std::ofstream(path, std::ios::binary) << bytes)) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::map<std::string, std::string> ListDirectory(const std::string& directory)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(directory))
        files[entry.path().filename()] =
            entry.symlink_status().type() == fs::file_type::regular ? ReadFile(entry.path()) : "<not a regular file>";
    return files;
}

std::string Scramble(const std::string& plain, ScrambleKey key)
{
    std::string out;
    for (const char c : plain)  // throws for a byte the key cannot scramble
        out.push_back(static_cast<char>(ScrambleByte(static_cast<std::uint8_t>(c), key).value()));
    return out;
}

RunResult RunProgram(const std::string& path, const std::vector<std::string>& args, const std::string& workDir,
                     const std::string& input, const std::vector<std::string>& environment,
                     const std::function<void(pid_t)>& whileRunning)
{
    const TempDir capture;  // apart, so that the work directory holds only the program's files
    WriteFile(capture / "stdin", input);
    auto pointers = [](std::vector<char*> p, const std::vector<std::string>& strings) {  // posix_spawn writes none
        for (const std::string& string : strings) p.push_back(const_cast<char*>(string.c_str()));
        return p.push_back(nullptr), p; };
    std::vector<char*> argv = pointers({const_cast<char*>(path.c_str())}, args), envp = pointers({}, environment);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, (capture / "stdin").c_str(), O_RDONLY, 0);
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO})
        posix_spawn_file_actions_addopen(&actions, fd, (capture / std::to_string(fd)).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int nSpawn = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environment.empty() ? environ : envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (nSpawn == 0 && whileRunning) whileRunning(pid);
    int status = 0;
    if (nSpawn != 0 || waitpid(pid, &status, 0) != pid) return {};
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, WIFSIGNALED(status) ? WTERMSIG(status) : 0,
            ReadFile(capture / std::to_string(STDOUT_FILENO)), ReadFile(capture / std::to_string(STDERR_FILENO))};
}

RunResult SignalDuringLoad(const std::string& path, const std::vector<std::string>& args, const std::string& workDir,
                           int nSignal, bool* pbDuringLoad)
{
    auto holdsText = [&workDir](const char* szName) { std::error_code ec; return fs::file_size(workDir + szName, ec) > 0 && !ec; };
    auto plainFileHoldsText = [&] { return holdsText("/Temp_Test_Quillon0.pyq") || holdsText("/Temp_Test_Quillon2.pyq"); };
    RunResult result;
    *pbDuringLoad = false;
    for (int nTry = 0; nTry < 20 && !*pbDuringLoad; ++nTry)
        result = RunProgram(path, args, workDir, {}, {}, [&](pid_t pid) {
            siginfo_t info{};
            while (!plainFileHoldsText())
                if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
                    return;  // it ended before
            ::kill(pid, SIGSTOP);
            if (::waitid(P_PID, static_cast<id_t>(pid), &info, WSTOPPED | WEXITED | WNOWAIT) != 0 || info.si_code != CLD_STOPPED)
                return;
            *pbDuringLoad = plainFileHoldsText();  // paused, so still true when it goes on
            ::kill(pid, nSignal), ::kill(pid, SIGCONT);
        });
    return result;
}

void WriteNumberedVocabularies(const std::string& directory, int nLines)
{
    std::string general, technical;
    for (int i = 0; i < nLines; ++i)
        general += "word " + std::to_string(i) + "|\xB4\xCA " + std::to_string(i % 977) + "\n",
            technical += "compound " + std::to_string(i) + "|\xBB\xAF\xBA\xCF\xCE\xEF\r\n";
    WriteFile(directory + "/0.voca", Scramble(general, kGeneralKey));
    WriteFile(directory + "/17.voca", Scramble(technical, kTechnicalKey));
}

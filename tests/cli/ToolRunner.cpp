#include "ToolRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace torvan::test {

namespace {

std::vector<char*> Argv(const std::vector<std::string>& args)
{
    static std::string tool;
    tool = ToolPath();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(tool.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    return argv;
}

[[noreturn]] void ExecTool(const std::vector<std::string>& args, const RunOptions& options)
{
    if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) _exit(126);
    for (const std::string& entry : options.environment) putenv(const_cast<char*>(entry.c_str()));
    std::vector<char*> argv = Argv(args);
    execv(argv[0], argv.data());
    _exit(127);
}

// Reads every given descriptor until all are closed or the deadline passes.
bool Drain(std::vector<int> fds, std::vector<std::string*> sinks,
           std::chrono::steady_clock::time_point deadline)
{
    while (!fds.empty()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return false;
        std::vector<pollfd> polls;
        for (int fd : fds) polls.push_back({fd, POLLIN, 0});
        int n = poll(polls.data(), polls.size(), static_cast<int>(left > 1000 ? 1000 : left));
        if (n < 0 && errno != EINTR) return false;
        for (size_t i = polls.size(); i-- > 0;) {
            if (!polls[i].revents) continue;
            char buffer[4096];
            ssize_t got = read(fds[i], buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, got);
            } else {
                close(fds[i]);
                fds.erase(fds.begin() + i);
                sinks.erase(sinks.begin() + i);
            }
        }
    }
    return true;
}

int Reap(pid_t pid, bool& timedOut, bool drained)
{
    if (!drained) {
        timedOut = true;
        kill(pid, SIGKILL);
    }
    int status = 0;
    // After the pipes closed the child is gone or about to be; still bounded.
    for (int i = 0; i < 600; ++i) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (i == 300) { timedOut = true; kill(pid, SIGKILL); }
        usleep(100000);
    }
    timedOut = true;
    return -1;
}

}  // namespace

std::string RunResult::LastLine() const
{
    std::string text = out;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    size_t newline = text.rfind('\n');
    std::string line = newline == std::string::npos ? text : text.substr(newline + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::string ToolPath()
{
    const char* fromEnvironment = std::getenv("TORVAN_TOOL");
    return fromEnvironment && *fromEnvironment ? fromEnvironment : TORVAN_TOOL_PATH;
}

RunResult RunTool(const std::vector<std::string>& args, const RunOptions& options)
{
    RunResult result;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
    std::fflush(nullptr);

    if (options.stderrOnTerminal) {
        int master = -1;
        pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
        if (pid < 0) return result;
        if (pid == 0) ExecTool(args, options);
        // On a terminal stdout and stderr arrive mixed; both go to err.
        std::string ignored;
        bool drained = Drain({master}, {&result.err}, deadline);
        result.exitCode = Reap(pid, result.timedOut, drained);
        return result;
    }

    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0) return result;
    if (pipe(errPipe) != 0) return result;
    pid_t pid = fork();
    if (pid < 0) return result;
    if (pid == 0) {
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        int input = open(options.stdinFile.empty() ? "/dev/null" : options.stdinFile.c_str(), O_RDONLY);
        dup2(input, 0);
        close(outPipe[0]); close(outPipe[1]); close(errPipe[0]); close(errPipe[1]);
        ExecTool(args, options);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    bool drained = Drain({outPipe[0], errPipe[0]}, {&result.out, &result.err}, deadline);
    result.exitCode = Reap(pid, result.timedOut, drained);
    return result;
}

int StartTool(const std::vector<std::string>& args, const std::string& logFile, int input)
{
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int log = open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(log, 1);
        dup2(log, 2);
        if (input >= 0) dup2(input, 0);
        ExecTool(args, RunOptions{});
    }
    return pid;
}

}  // namespace torvan::test

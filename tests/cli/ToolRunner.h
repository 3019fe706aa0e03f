// Runs the built torvan binary as a child process and collects what it says.
// Every wait is bounded: a hung child is killed and the run reported as such.
#pragma once

#include <string>
#include <vector>

namespace torvan::test {

struct RunResult {
    int exitCode = -1;       // -1 when killed by a signal or timed out
    bool timedOut = false;
    std::string out;
    std::string err;

    // The last non-empty line of stdout.
    std::string LastLine() const;
};

struct RunOptions {
    std::string workingDirectory;   // empty: inherit
    bool stderrOnTerminal = false;  // run under a pseudo-terminal (stdout and stderr)
    int timeoutSeconds = 120;
    std::vector<std::string> environment;   // extra NAME=VALUE entries
    std::string stdinFile;                  // standard input; empty: /dev/null
};

std::string ToolPath();

RunResult RunTool(const std::vector<std::string>& args, const RunOptions& options = {});

// Starts the tool and returns its pid without waiting; for tests that kill
// it. Its standard input is `input` where one is given.
int StartTool(const std::vector<std::string>& args, const std::string& logFile, int input = -1);

}  // namespace torvan::test

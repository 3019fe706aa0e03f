// Where the tool's words go: results on stdout, everything else on stderr,
// with the progress bar cleared out of the way of each message.
#pragma once

#include <cstdio>
#include <string>

#include "ConsoleProgress.h"

namespace torvan::cli {

class Console {
public:
    Console(bool quiet);

    ConsoleProgress& Progress() { return m_progress; }

    // "torvan: WHAT: WHY" on stderr; always shown, quiet or not.
    void Error(const std::string& what, const std::string& why);
    void Error(const std::string& message);
    // A result line on stdout; dropped when quiet.
    void Say(const std::string& line);
    // A result line on stdout that scripts read; shown even when quiet.
    void Result(const std::string& line);
    // The name of an entry packed or unpacked, on stdout, when verbose.
    void Entry(const std::string& name);
    void SetVerbose(bool verbose) { m_verbose = verbose; }
    // Standard output carries data (an archive to a pipe): results and
    // names go to stderr instead.
    void KeepStdoutForData() { m_out = stderr; }

    int ErrorCount() const { return m_errors; }

private:
    bool m_quiet;
    bool m_verbose = false;
    int m_errors = 0;
    std::FILE* m_out = stdout;
    ConsoleProgress m_progress;
};

}  // namespace torvan::cli

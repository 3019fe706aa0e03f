#include "Console.h"

#include <cstdio>

#include "LocalPaths.h"

namespace torvan::cli {

Console::Console(bool quiet)
    : m_quiet(quiet), m_progress(stderr, !quiet && ConsoleProgress::StderrIsTerminal())
{
}

void Console::Error(const std::string& what, const std::string& why)
{
    Error(what.empty() ? why : what + ": " + why);
}

void Console::Error(const std::string& message)
{
    m_progress.Interrupt();
    std::fflush(stdout);
    WriteText(stderr, "torvan: " + message + "\n");
    std::fflush(stderr);
    ++m_errors;
}

void Console::Say(const std::string& line)
{
    if (m_quiet) return;
    Result(line);
}

void Console::Result(const std::string& line)
{
    m_progress.Finish();
    WriteText(m_out, line + "\n");
    std::fflush(m_out);
}

void Console::Entry(const std::string& name)
{
    if (!m_verbose) return;
    m_progress.Interrupt();
    WriteText(m_out, name + "\n");
    std::fflush(m_out);
}

}  // namespace torvan::cli

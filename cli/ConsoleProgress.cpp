#include "ConsoleProgress.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace torvan::cli {

namespace {

using Clock = std::chrono::steady_clock;

// Redrawing more often than this only costs time on a fast job.
const auto kMinRedraw = std::chrono::milliseconds(100);

std::string Elapsed(long seconds)
{
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    else
        std::snprintf(text, sizeof text, "%02ld:%02ld", seconds / 60, seconds % 60);
    return text;
}

}  // namespace

std::string FormatProgressLine(int done, int total, long elapsedSeconds, int barWidth)
{
    if (total < 1) total = 1;
    if (done < 0) done = 0;
    // The file count comes from a pass before the walk; the tree can grow.
    int shown = done > total ? total : done;
    int percent = static_cast<int>(static_cast<long long>(shown) * 100 / total);
    int filled = static_cast<int>(static_cast<long long>(shown) * barWidth / total);

    std::string line = "[";
    line.append(filled, '#');
    line.append(barWidth - filled, '-');
    char tail[96];
    std::snprintf(tail, sizeof tail, "] %3d%%  %d/%d files  %s", percent, done, total,
                  Elapsed(elapsedSeconds).c_str());
    return line + tail;
}

ConsoleProgress::ConsoleProgress(std::FILE* out, bool enabled)
    : m_out(out), m_enabled(enabled), m_start(Clock::now()), m_lastDraw(m_start)
{
}

ConsoleProgress::~ConsoleProgress() { Finish(); }

bool ConsoleProgress::StderrIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

void ConsoleProgress::Update(int done, int total)
{
    if (!m_enabled) return;
    auto now = Clock::now();
    long second = static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(now - m_start).count());
    bool last = done >= total;
    bool due = now - m_lastDraw >= kMinRedraw || second != m_lastSecond;
    if (m_drawn && !last && !due) {
        m_lastDone = done;
        m_lastTotal = total;
        return;
    }
    m_lastDraw = now;
    m_lastSecond = second;
    Draw(done, total);
}

void ConsoleProgress::Draw(int done, int total)
{
    m_lastDone = done;
    m_lastTotal = total;
    long seconds = static_cast<long>(
        std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - m_start).count());
    std::fprintf(m_out, "\r%s", FormatProgressLine(done, total, seconds).c_str());
    std::fflush(m_out);
    m_drawn = true;
}

void ConsoleProgress::Finish()
{
    if (!m_enabled || !m_drawn) return;
    Draw(m_lastDone, m_lastTotal);   // the true final count, even if throttled
    std::fputc('\n', m_out);
    std::fflush(m_out);
    m_drawn = false;
    m_lastDone = -1;
}

void ConsoleProgress::Interrupt()
{
    if (!m_enabled || !m_drawn) return;
    std::fprintf(m_out, "\r%*s\r", 80, "");
    std::fflush(m_out);
    m_drawn = false;
}

}  // namespace torvan::cli

// The progress bar drawn on stderr while a job runs: bar, percentage, files
// done and elapsed time, redrawn in place on one line.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace torvan::cli {

// One frame of the bar, without the carriage return; pure, so it can be
// checked without a terminal.
std::string FormatProgressLine(int done, int total, long elapsedSeconds, int barWidth = 30);

class ConsoleProgress {
public:
    // Draws nothing when disabled (quiet, or stderr is not a terminal).
    ConsoleProgress(std::FILE* out, bool enabled);
    ~ConsoleProgress();

    void Update(int done, int total);
    // Leaves the last frame standing and moves to a fresh line, so that the
    // messages that follow do not overwrite it.
    void Finish();
    // Clears the current frame before a message is written to the same
    // stream; the bar reappears on the next update.
    void Interrupt();

    static bool StderrIsTerminal();

private:
    std::FILE* m_out;
    bool m_enabled;
    bool m_drawn = false;
    int m_lastDone = -1;
    int m_lastTotal = 0;
    long m_lastSecond = -1;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastDraw;

    void Draw(int done, int total);
};

}  // namespace torvan::cli

#include "ElapsedTime.h"

#include <cstdio>

namespace torvan {

std::string FormatElapsed(long long seconds) {
    if (seconds < 0) seconds = 0;
    int minutes = static_cast<int>((seconds / 60) % 60);
    int secs = static_cast<int>(seconds % 60);
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes, secs);
    return text;
}

}  // namespace torvan

// The progress window's clock text: "%M:%S" of the time since the operation
// started, minutes within the hour and seconds within the minute.
#pragma once

#include <string>

namespace torvan {

// 0 -> "00:00", 125 -> "02:05", 3725 (1 h 2 min 5 s) -> "02:05". A negative
// span (the system clock was set back) shows as "00:00".
std::string FormatElapsed(long long seconds);

}  // namespace torvan

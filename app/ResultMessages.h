// The boxes a worker shows at the end of its job: which icon and which
// words, chosen from the job's outcome. Texts are UTF-8; a path inside them
// must already be UTF-8 (the Win32 side converts it from the ANSI bytes).
#pragma once

#include <string>

namespace torvan {

enum class ResultIcon { Information, Warning, Error };

struct ResultMessage {
    ResultIcon icon;
    std::string text;
};

// After a successful pack of `fileCount` files into `archive`.
ResultMessage PackSucceededMessage(int fileCount, const std::string& archive);

// After every unpack: failure when nothing was extracted, success when
// nothing failed, otherwise a warning naming both counts.
ResultMessage UnpackResultMessage(int extracted, int failed, const std::string& destination);

}  // namespace torvan

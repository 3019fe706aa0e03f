// Says in words why a file is not a readable archive, for the message that
// follows a refusal: an empty file, plain text, or gzip data that breaks.
#pragma once

#include <string>

namespace torvan::cli {

std::string WhyNotAnArchive(const std::string& path);

}  // namespace torvan::cli

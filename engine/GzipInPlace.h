// Compression of a finished archive, for the writer's own use: problems are
// reported under the name the user knows, not the scratch name it works on.
#pragma once

#include <string>

#include "EngineContext.h"

namespace torvan {

bool GzipFileInPlace(const EngineContext& context, const std::string& archive, const std::string& shownAs);

}  // namespace torvan

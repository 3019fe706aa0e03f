// The exit code of an unpack, shared by `test`, which must predict it.
#pragma once

#include "ArchiveReader.h"

namespace torvan::cli {

// 0: files written, none failed; 2: some of each; 1: nothing written.
inline int UnpackExitCode(const UnpackResult& result)
{
    if (result.extracted == 0) return 1;
    return result.failed > 0 ? 2 : 0;
}

}  // namespace torvan::cli

// The command line with which TorvanExt starts Torvan: the Torvan.exe that
// lies beside the DLL, on the selected path. Every class of the DLL that
// starts Torvan builds it here, so they all start it the same way.
#pragma once

#include <cstddef>
#include <string>

#include "PackMenuRules.h"

namespace torvan {

// The longest folder and the longest selected path the launch must carry.
constexpr std::size_t kMaxPathBytes = 259;

// The DLL's own path when it lies in the deepest such folder. The system
// hands out paths that long whenever the buffer has room for them.
constexpr char kDllFileName[] = "TorvanExt.dll";
constexpr std::size_t kMaxModulePathBytes = kMaxPathBytes + 1 + (sizeof kDllFileName - 1);

// The longest command: quotes, the DLL's folder, "\Torvan.exe", a blank,
// the quoted path.
constexpr std::size_t kMaxLaunchCommand = 1 + kMaxPathBytes + 11 + 1 + 1 + 1 + kMaxPathBytes + 1;

// The system starts no program from a path longer than this.
constexpr std::size_t kMaxProgramPathBytes = 259;

// Whether the Torvan.exe beside the module can be started by that path;
// false for a module path without a folder.
bool ProgramPathStartable(const std::string& moduleFileName, LeadBytePredicate isLeadByte);

// "<folder of the DLL>\Torvan.exe" "<selected path>", both quoted. False,
// and nothing to launch, when the module path has no backslash or the
// command would be longer than kMaxLaunchCommand: a cut command would
// start Torvan on another path than the one picked.
bool FormatLaunchCommand(const std::string& moduleFileName, const std::string& selectedPath,
                         LeadBytePredicate isLeadByte, std::string& command);

}  // namespace torvan

#include "LaunchCommand.h"

namespace torvan {

namespace {

constexpr char kProgramName[] = "\\Torvan.exe";

}  // namespace

bool ProgramPathStartable(const std::string& moduleFileName, LeadBytePredicate isLeadByte) {
    std::size_t separator = FindLastCharacter(moduleFileName, '\\', isLeadByte);
    return separator != std::string::npos && separator + (sizeof kProgramName - 1) <= kMaxProgramPathBytes;
}

bool FormatLaunchCommand(const std::string& moduleFileName, const std::string& selectedPath,
                         LeadBytePredicate isLeadByte, std::string& command) {
    command.clear();
    std::size_t separator = FindLastCharacter(moduleFileName, '\\', isLeadByte);
    if (separator == std::string::npos) return false;
    std::string line = "\"" + moduleFileName.substr(0, separator) + kProgramName + "\" \"" + selectedPath + "\"";
    if (line.size() > kMaxLaunchCommand) return false;
    command = line;
    return true;
}

}  // namespace torvan

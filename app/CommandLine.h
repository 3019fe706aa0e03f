// The program's one optional argument: a path, taken whole from the command
// line and never split, so a path with blanks needs no quotes (the shell
// extension quotes it anyway).
#pragma once

#include <string>

namespace torvan {

// What follows the program's own name in a full command line: the name is
// skipped whether quoted or not, then every character of code 0x20 or below.
std::string ArgumentTail(const std::string& commandLine);

// The path the argument string names: blanks and tabs trimmed at both ends;
// then, if it starts with a double quote, all leading and all trailing
// double quotes removed. Nothing else is split, unescaped or expanded.
std::string CleanCommandLine(const std::string& arguments);

}  // namespace torvan

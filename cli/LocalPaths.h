// The few questions the tool asks the local file system before it hands a
// job to the engine, so that a refusal can say exactly what is wrong.
#pragma once

#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

namespace torvan::cli {

// The folder as the engine wants it: absolute, "." and ".." resolved by
// text, no trailing separator (a root keeps its own). Symbolic links are
// left alone, so the archive takes the name the user typed.
std::string AbsoluteFolder(const std::string& path);

// The part after the last separator; empty for a root.
std::string LastComponent(const std::string& absolutePath);

// The folder a file lies in; "." for a bare name.
std::string FolderOf(const std::string& path);

// "<folder>.dat.gz", or "<folder>.dat" when plain: beside the folder.
std::string DefaultArchivePath(const std::string& absoluteFolder, bool plain);

bool IsFolder(const std::string& path);
bool IsRegularFile(const std::string& path);
bool Exists(const std::string& path);
// A symbolic link, a FIFO, a device or a socket stands there: a name that
// is never to be replaced by a regular file.
bool IsLinkOrSpecial(const std::string& path);

// Standard output as a file-system handle, for an archive written to a pipe.
std::intptr_t StandardOutputHandle();
bool StandardOutputIsTerminal();

// Empty when a new file can be made in the folder; otherwise why not, in
// words (a read-only file system, no permission).
std::string WhyNotWritable(const std::string& folder);

// The system's reason for the last failed call, in words.
std::string LastErrorText();

// The program's arguments as the tool and the engine take paths: the bytes
// on POSIX, UTF-8 on Windows (from the wide command line, so that no name
// is lost to the ANSI code page).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Writes text of that form as this system shows it: on a Windows console
// as Unicode, redirected there in the ANSI code page.
void WriteText(std::FILE* stream, const std::string& text);

}  // namespace torvan::cli

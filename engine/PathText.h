// Path text on both platforms. Paths are narrow bytes in the system's code
// page; on Windows that may be a double-byte code page such as GBK, whose
// trail bytes can equal "\", so every search for a separator steps over
// whole characters rather than bytes.
#pragma once

#include <string>
#include <vector>

namespace torvan {

struct PathStyle {
    char separator;                      // what the platform writes between names
    bool windows;                        // "\" and "/" separate, ":" and drives refused
    bool (*isLeadByte)(unsigned char);   // first byte of a double-byte character?
};

bool IsGbkLeadByte(unsigned char byte);

const PathStyle& PosixPathStyle();
// Windows rules with GBK characters, whatever the host: lets native tests
// exercise what the Win32 back end does under code page 936.
const PathStyle& GbkWindowsPathStyle();
// The style of the platform's own file system.
const PathStyle& NativePathStyle();

// Position of the last separator, or std::string::npos.
std::string::size_type FindLastSeparator(const std::string& path, const PathStyle& style);
bool EndsWithSeparator(const std::string& path, const PathStyle& style);

// The path before its last separator: D:\work\site gives D:\work. Empty when
// the path has none.
std::string ParentDirectory(const std::string& path, const PathStyle& style);
std::string ParentDirectory(const std::string& path);

// The archive name of an item: its parent-directory text becomes "." and
// every separator "/". D:\work\site\img\b.gif with parent D:\work gives
// ./site/img/b.gif.
std::string MakeArchiveName(const std::string& path, const std::string& parent,
                            const PathStyle& style);
std::string MakeArchiveName(const std::string& path, const std::string& parent);

// folder + separator + name, without doubling a separator the folder ends with.
std::string JoinPath(const std::string& folder, const std::string& name, const PathStyle& style);

// Removes separators at the end, except the one of a root ("/", "C:\").
std::string TrimTrailingSeparators(const std::string& path, const PathStyle& style);

// False when the name's last component is empty or ".": "./site/dir/" and
// "./site/." name a folder at most, never a file.
bool NamesAFile(const std::string& name, const PathStyle& style);

// Splits an archive name into its components at "/" (and, on Windows, "\"),
// dropping empty ones. False, with a reason, when the name could lead
// outside the folder it is unpacked into.
bool SplitSafeArchiveName(const std::string& name, const PathStyle& style,
                          std::vector<std::string>& components, std::string& why);

// The archive name without its first `count` components, "./" and empty
// components not counted: with 1, "./site/img/b.gif" gives "img/b.gif"
// and "./site" gives "" (nothing left to unpack). A name that could lead
// outside the destination comes back whole, to be refused as it would be
// unstripped.
// One name as the platform tells names apart: Windows drops trailing dots
// and spaces and ignores the case of letters, so "Index.HTML." and
// "index.html" are one file there; elsewhere the name as it is.
std::string NameKey(std::string name, const PathStyle& style);

std::string StripComponents(const std::string& name, int count, const PathStyle& style);

}  // namespace torvan

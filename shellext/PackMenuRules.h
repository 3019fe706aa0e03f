// The context-menu handler's decisions, apart from COM and Win32: which item
// a selected path gets and whether a command is ours (the command line that
// starts Torvan is LaunchCommand.h's). Paths are ANSI bytes in the system's
// code page; every search steps over double-byte characters whole, because
// a GBK trail byte may have the value of "\" (or of a letter), never of a
// separator.
#pragma once

#include <cstddef>
#include <string>

namespace torvan {

// True for the first byte of a double-byte character of the code page.
using LeadBytePredicate = bool (*)(unsigned char);

enum class MenuItem { None, Pack, Unpack };

// The item's identifier is idCmdFirst + kCommandOffset; QueryContextMenu
// reports the highest offset used plus one.
constexpr unsigned kCommandOffset = 102;
constexpr unsigned kOffsetsUsed = kCommandOffset + 1;
constexpr char kVerb[] = "Torvan.";

// The item texts, UTF-8.
const char* MenuItemText(MenuItem item);

// The same texts without their access key ("(&Z)"), for menus that draw
// their own: Windows 11's first-level menu shows an access key as typed.
std::string MenuItemTitle(MenuItem item);

// What GetFileAttributes said about the selected path.
struct PathAttributes {
    bool readable;   // false: INVALID_FILE_ATTRIBUTES (no path, or gone)
    bool directory;
};

// A folder gets the pack item; a file whose path ends in ".gz" or ".dat"
// (any case, from the path's last dot on) the unpack item; anything else,
// and a path whose attributes cannot be read, nothing.
MenuItem ChooseMenuItem(const std::string& path, PathAttributes attributes, LeadBytePredicate isLeadByte);

// Whether Explorer's range of identifiers has room for our offset.
bool FitsCommandRange(unsigned idCmdFirst, unsigned idCmdLast);

// InvokeCommand's request: by offset (`verb` null) or by verb string.
// Only our own command is ours; other handlers may own the rest.
bool IsOwnCommand(unsigned offset, const char* verb);

// Position of the last `wanted` byte that is a character of its own (not a
// trail byte), or std::string::npos.
std::size_t FindLastCharacter(const std::string& text, char wanted, LeadBytePredicate isLeadByte);

}  // namespace torvan

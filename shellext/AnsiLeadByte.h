// The system code page's own answer to "does a double-byte character start
// here?", for the lead-byte-aware searches of the shell extension's logic.
#pragma once

#include <windows.h>

inline bool IsAnsiLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

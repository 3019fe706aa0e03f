// A GUID from its registry spelling "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// at compile time, so a class identifier kept as text in one header (where
// the build and the installers read it too) needs no second, binary copy.
#pragma once

#include <guiddef.h>

namespace guid_text {

constexpr unsigned HexDigit(char c) {
    return c >= '0' && c <= '9' ? unsigned(c - '0')
         : c >= 'a' && c <= 'f' ? unsigned(c - 'a' + 10)
         : c >= 'A' && c <= 'F' ? unsigned(c - 'A' + 10)
                                : throw "not a hexadecimal digit";  // fails the compile
}

constexpr unsigned long Hex(const char* text, int at, int digits) {
    return digits == 0 ? 0 : (Hex(text, at, digits - 1) << 4) | HexDigit(text[at + digits - 1]);
}

constexpr unsigned char Byte(const char* text, int at) { return static_cast<unsigned char>(Hex(text, at, 2)); }

}  // namespace guid_text

constexpr GUID GuidFromText(const char (&t)[39]) {
    using namespace guid_text;
    return t[0] != '{' || t[9] != '-' || t[14] != '-' || t[19] != '-' || t[24] != '-' || t[37] != '}'
               ? throw "not a braced GUID"
               : GUID{Hex(t, 1, 8),
                      static_cast<unsigned short>(Hex(t, 10, 4)),
                      static_cast<unsigned short>(Hex(t, 15, 4)),
                      {Byte(t, 20), Byte(t, 22), Byte(t, 25), Byte(t, 27), Byte(t, 29), Byte(t, 31), Byte(t, 33),
                       Byte(t, 35)}};
}

// The hyperlink label's decisions, worked out without any window: which
// text becomes the address and which the caption, where the label goes
// when it shrinks to its text, which colour it paints in, and how the
// browser command registered for web pages is turned into one that opens
// a given address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ControlColor.h"

namespace torvan {

// Static-control style bits the label looks at (values as in Win32).
constexpr std::uint32_t kStaticCenter = 0x0001;       // SS_CENTER
constexpr std::uint32_t kStaticRight = 0x0002;        // SS_RIGHT
constexpr std::uint32_t kStaticNotify = 0x0100;       // SS_NOTIFY
constexpr std::uint32_t kStaticCenterImage = 0x0200;  // SS_CENTERIMAGE

// A label without an address links to its own text; a label without text
// shows its address.
struct LinkTexts {
    std::string target;
    std::string caption;
    bool captionChanged = false;  // the window text has to be set
};
LinkTexts ResolveLinkTexts(const std::string& target, const std::string& windowText);

// The label's rectangle shrunk to a text of textWidth x textHeight, keeping
// the edge (or centre) its alignment style names.
Box FitLinkBox(const Box& window, int textWidth, int textHeight, std::uint32_t style);

struct LinkColors {
    Color link = MakeColor(0, 0, 255);
    Color visited = MakeColor(85, 26, 139);
    Color hover = MakeColor(180, 20, 20);
};
// Hover wins over visited, visited over the plain link colour.
Color LinkTextColor(const LinkColors& colors, bool over, bool visited);

// The registered open command with its "%1" placeholder (quoted or not) cut
// off, followed by one space and the address. False when the result would
// not fit in `bufferSize` bytes with its terminating zero: a cut-short
// command would open something else, so it is not run at all.
// The quoted placeholder is searched character by character (a trail byte
// never starts a match); the plain one byte by byte.
bool ComposeBrowserCommand(const std::string& registered, const std::string& address,
                           std::size_t bufferSize, bool (*isLeadByte)(unsigned char),
                           std::string& command);

}  // namespace torvan

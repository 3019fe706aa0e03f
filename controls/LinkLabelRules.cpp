#include "LinkLabelRules.h"

namespace torvan {

LinkTexts ResolveLinkTexts(const std::string& target, const std::string& windowText) {
    LinkTexts texts;
    texts.target = target.empty() ? windowText : target;
    texts.caption = windowText;
    if (windowText.empty()) {
        texts.caption = texts.target;
        texts.captionChanged = !texts.caption.empty();
    }
    return texts;
}

Box FitLinkBox(const Box& window, int textWidth, int textHeight, std::uint32_t style) {
    Box box = window;
    if (style & kStaticCenterImage) {
        const int shrink = (window.Height() - textHeight) / 2;
        box.top += shrink;
        box.bottom -= shrink;
    } else {
        box.bottom = box.top + textHeight;
    }
    if (style & kStaticCenter) {
        const int shrink = (window.Width() - textWidth) / 2;
        box.left += shrink;
        box.right -= shrink;
    } else if (style & kStaticRight) {
        box.left = box.right - textWidth;
    } else {
        box.right = box.left + textWidth;
    }
    return box;
}

Color LinkTextColor(const LinkColors& colors, bool over, bool visited) {
    if (over) return colors.hover;
    return visited ? colors.visited : colors.link;
}

// Where `needle` starts in `text`, stepping over double-byte characters.
static std::size_t FindByCharacter(const std::string& text, const std::string& needle,
                                   bool (*isLeadByte)(unsigned char)) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, needle.size(), needle) == 0) return i;
        const bool lead = isLeadByte && isLeadByte(static_cast<unsigned char>(text[i]));
        i += (lead && i + 1 < text.size()) ? 2 : 1;
    }
    return std::string::npos;
}

bool ComposeBrowserCommand(const std::string& registered, const std::string& address,
                           std::size_t bufferSize, bool (*isLeadByte)(unsigned char),
                           std::string& command) {
    std::size_t cut = FindByCharacter(registered, "\"%1\"", isLeadByte);
    if (cut == std::string::npos) cut = registered.find("%1");
    std::string composed = registered.substr(0, cut);
    composed += ' ';
    composed += address;
    if (composed.size() + 1 > bufferSize) return false;
    command = composed;
    return true;
}

}  // namespace torvan

#include "PackMenuRules.h"

#include <cctype>

namespace torvan {

namespace {

bool SameAsciiIgnoringCase(const std::string& text, const char* ascii) {
    std::size_t i = 0;
    for (; i < text.size() && ascii[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(ascii[i])))
            return false;
    return i == text.size() && !ascii[i];
}

}  // namespace

const char* MenuItemText(MenuItem item) {
    switch (item) {
    case MenuItem::Pack:
        return "添加到 Torvan 压缩文件(&Z)....";
    case MenuItem::Unpack:
        return "用 Torvan 解压此文件到(&E)...";
    case MenuItem::None:
        break;
    }
    return "";
}

std::string MenuItemTitle(MenuItem item) {
    std::string text = MenuItemText(item);
    std::size_t open = text.find("(&");
    std::size_t close = open == std::string::npos ? open : text.find(')', open);
    if (close != std::string::npos) text.erase(open, close - open + 1);
    return text;
}

std::size_t FindLastCharacter(const std::string& text, char wanted, LeadBytePredicate isLeadByte) {
    std::size_t found = std::string::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == wanted) {
            found = i;
        } else if (isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
            ++i;  // the trail byte belongs to this character
        }
    }
    return found;
}

MenuItem ChooseMenuItem(const std::string& path, PathAttributes attributes, LeadBytePredicate isLeadByte) {
    if (!attributes.readable) return MenuItem::None;
    if (attributes.directory) return MenuItem::Pack;
    // The last dot of the whole path, so D:\backup.gz\notes ends in
    // ".gz\notes" and is no archive.
    std::size_t dot = FindLastCharacter(path, '.', isLeadByte);
    if (dot == std::string::npos) return MenuItem::None;
    std::string extension = path.substr(dot);
    if (SameAsciiIgnoringCase(extension, ".gz") || SameAsciiIgnoringCase(extension, ".dat")) return MenuItem::Unpack;
    return MenuItem::None;
}

bool FitsCommandRange(unsigned idCmdFirst, unsigned idCmdLast) {
    return idCmdLast >= idCmdFirst && idCmdLast - idCmdFirst >= kCommandOffset;
}

bool IsOwnCommand(unsigned offset, const char* verb) {
    if (!verb) return offset == kCommandOffset;
    return SameAsciiIgnoringCase(verb, kVerb);
}

}  // namespace torvan

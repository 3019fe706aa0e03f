#include "PathText.h"

#include "FileSystem.h"

namespace torvan {

bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

static bool NoLeadBytes(unsigned char) { return false; }

const PathStyle& PosixPathStyle() {
    static const PathStyle style{'/', false, &NoLeadBytes};
    return style;
}

const PathStyle& GbkWindowsPathStyle() {
    static const PathStyle style{'\\', true, &IsGbkLeadByte};
    return style;
}

const PathStyle& NativePathStyle() { return PlatformFileSystem().Style(); }

static bool IsSeparator(char c, const PathStyle& style) {
    return c == style.separator || (style.windows && (c == '\\' || c == '/'));
}

// Calls visit(position, isSeparator) for the first byte of every character.
template <typename Visit>
static void ForEachCharacter(const std::string& text, const PathStyle& style, Visit visit) {
    std::string::size_type i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (style.isLeadByte(c) && i + 1 < text.size()) {
            visit(i, false);
            i += 2;
        } else {
            visit(i, IsSeparator(text[i], style));
            i += 1;
        }
    }
}

std::string::size_type FindLastSeparator(const std::string& path, const PathStyle& style) {
    std::string::size_type last = std::string::npos;
    ForEachCharacter(path, style, [&](std::string::size_type at, bool separator) {
        if (separator) last = at;
    });
    return last;
}

bool EndsWithSeparator(const std::string& path, const PathStyle& style) {
    return !path.empty() && FindLastSeparator(path, style) == path.size() - 1;
}

std::string ParentDirectory(const std::string& path, const PathStyle& style) {
    const std::string::size_type at = FindLastSeparator(path, style);
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

std::string ParentDirectory(const std::string& path) {
    return ParentDirectory(path, NativePathStyle());
}

std::string MakeArchiveName(const std::string& path, const std::string& parent,
                            const PathStyle& style) {
    std::string rest = path;
    if (!parent.empty() && path.compare(0, parent.size(), parent) == 0)
        rest = path.substr(parent.size());
    // A bare relative folder has no parent text to replace; it still
    // needs the "./" that every archive name begins with.
    std::string name = ".";
    if (rest.empty() || !IsSeparator(rest[0], style)) name += '/';
    std::string::size_type copied = 0;
    ForEachCharacter(rest, style, [&](std::string::size_type at, bool separator) {
        if (!separator) return;
        name.append(rest, copied, at - copied);
        name += '/';
        copied = at + 1;
    });
    name.append(rest, copied, std::string::npos);
    return name;
}

std::string MakeArchiveName(const std::string& path, const std::string& parent) {
    return MakeArchiveName(path, parent, NativePathStyle());
}

std::string JoinPath(const std::string& folder, const std::string& name, const PathStyle& style) {
    if (folder.empty()) return name;
    if (EndsWithSeparator(folder, style)) return folder + name;
    return folder + style.separator + name;
}

static bool IsRoot(const std::string& path, const PathStyle& style) {
    if (path.size() == 1) return IsSeparator(path[0], style);
    return style.windows && path.size() == 3 && path[1] == ':' && IsSeparator(path[2], style);
}

std::string TrimTrailingSeparators(const std::string& path, const PathStyle& style) {
    std::string trimmed = path;
    while (EndsWithSeparator(trimmed, style) && !IsRoot(trimmed, style))
        trimmed.pop_back();
    return trimmed;
}

// Windows drops trailing dots and spaces from names, so "..." or ".. "
// would reach the parent folder just as ".." does.
static bool ClimbsUp(const std::string& component, const PathStyle& style) {
    if (component == "..") return true;
    if (!style.windows) return false;
    int dots = 0;
    for (char c : component) {
        if (c == '.') ++dots;
        else if (c != ' ') return false;
    }
    return dots >= 2;
}

// CON, NUL, COM1... name devices in every folder on Windows, extension or
// not: a file of that name would be written to the device instead.
static bool IsDeviceName(const std::string& component) {
    std::string base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
        base == "CONOUT$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

bool NamesAFile(const std::string& name, const PathStyle& style) {
    const std::string::size_type at = FindLastSeparator(name, style);
    const std::string last = at == std::string::npos ? name : name.substr(at + 1);
    return !last.empty() && last != ".";
}

bool SplitSafeArchiveName(const std::string& name, const PathStyle& style,
                          std::vector<std::string>& components, std::string& why) {
    components.clear();
    if (name.empty()) {
        why = "empty name";
        return false;
    }
    const bool windows = style.windows;
    if (name[0] == '/' || (windows && name[0] == '\\')) {
        why = "absolute name refused";
        return false;
    }
    if (windows && name.find(':') != std::string::npos) {
        why = "name with a drive or stream (\":\") refused";
        return false;
    }
    std::string::size_type start = 0;
    bool unsafe = false;
    bool device = false;
    auto take = [&](std::string::size_type end) {
        if (end > start) {
            std::string component = name.substr(start, end - start);
            if (ClimbsUp(component, style)) unsafe = true;
            if (windows && IsDeviceName(component)) device = true;
            if (component != ".") components.push_back(component);
        }
        start = end + 1;
    };
    // "/" never occurs as a trail byte, "\" may: walk whole characters.
    ForEachCharacter(name, style, [&](std::string::size_type at, bool separator) {
        if (separator) take(at);
    });
    take(name.size());
    if (unsafe || device) {
        why = unsafe ? "name with a \"..\" component refused" : "device name (CON, NUL, COM1...) refused";
        components.clear();
        return false;
    }
    return true;
}

std::string NameKey(std::string name, const PathStyle& style) {
    if (!style.windows) return name;
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (style.isLeadByte(c) && i + 1 < name.size()) ++i;
        else if (c >= 'A' && c <= 'Z') name[i] = static_cast<char>(c + 32);
    }
    return name;
}

std::string StripComponents(const std::string& name, int count, const PathStyle& style) {
    std::vector<std::string> components;
    std::string why;
    if (count <= 0 || !SplitSafeArchiveName(name, style, components, why)) return name;
    // Cut at the start of the component after the last one dropped, so
    // the rest keeps its bytes exactly.
    int dropped = 0;
    std::string::size_type start = 0;
    std::string::size_type cut = std::string::npos;
    auto take = [&](std::string::size_type end) {
        if (cut == std::string::npos && end > start) {
            const std::string component = name.substr(start, end - start);
            if (component != "." && dropped++ == count) cut = start;
        }
        start = end + 1;
    };
    ForEachCharacter(name, style, [&](std::string::size_type at, bool separator) {
        if (separator) take(at);
    });
    take(name.size());
    return cut == std::string::npos ? std::string() : name.substr(cut);
}

}  // namespace torvan

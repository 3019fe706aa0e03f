#include "ExcludePatterns.h"

namespace torvan {
namespace {

// Bytes of the character at `at`: a GBK pair on Windows, a UTF-8 sequence
// elsewhere (only as far as its continuation bytes go), else one byte.
std::size_t CharLength(const std::string& text, std::size_t at, const PathStyle& style) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (style.windows) {
        if (style.isLeadByte(c) && at + 1 < text.size()) length = 2;
    } else if (c >= 0xC0) {
        const std::size_t wanted = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        while (length < wanted && at + length < text.size() &&
               (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80)
            ++length;
    }
    return length;
}

std::string Folded(std::string text, const PathStyle& style) {
    if (!style.windows) return text;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i, style))
        if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] + 32);
    return text;
}

// One character of the pattern at `at`, an escaped one taken literally.
std::string PatternChar(const std::string& pattern, std::size_t& at, const PathStyle& style) {
    if (!style.windows && pattern[at] == '\\' && at + 1 < pattern.size()) ++at;
    const std::size_t length = CharLength(pattern, at, style);
    const std::string c = pattern.substr(at, length);
    at += length;
    return c;
}

// The set at pattern[at] == '[' against the (folded) character `c`. False
// when the set has no closing "]": the "[" is then an ordinary character.
bool MatchSet(const std::string& pattern, std::size_t at, const std::string& c, const PathStyle& style,
              std::size_t& end, bool& matched) {
    std::size_t i = at + 1;
    const bool negated = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
    if (negated) ++i;
    bool found = false;
    bool first = true;
    while (i < pattern.size() && (pattern[i] != ']' || first)) {
        first = false;
        const std::string low = Folded(PatternChar(pattern, i, style), style);
        std::string high = low;
        if (i + 1 < pattern.size() && pattern[i] == '-' && pattern[i + 1] != ']') {
            ++i;
            high = Folded(PatternChar(pattern, i, style), style);
        }
        // Byte order is code-point order in UTF-8, and the GBK order.
        if (low <= c && c <= high) found = true;
    }
    if (i >= pattern.size()) return false;
    end = i + 1;
    matched = found != negated;
    return true;
}

}  // namespace

bool GlobMatches(const std::string& pattern, const std::string& text, const PathStyle& style) {
    const std::size_t none = std::string::npos;
    std::size_t p = 0, t = 0;
    std::size_t starP = none, starT = 0;   // where the last "*" may take one more character
    while (t < text.size()) {
        bool step = false;
        const std::size_t length = CharLength(text, t, style);
        if (p < pattern.size()) {
            const std::string c = Folded(text.substr(t, length), style);
            if (pattern[p] == '*') {
                while (p < pattern.size() && pattern[p] == '*') ++p;
                starP = p;
                starT = t;
                continue;
            }
            std::size_t end = 0;
            bool matched = false;
            if (pattern[p] == '?') {
                end = p + 1;
                step = true;
            } else if (pattern[p] == '[' && MatchSet(pattern, p, c, style, end, matched)) {
                step = matched;
            } else {
                end = p;
                step = Folded(PatternChar(pattern, end, style), style) == c;
            }
            if (step) {
                p = end;
                t += length;
                continue;
            }
        }
        if (starP == none) return false;
        starT += CharLength(text, starT, style);
        t = starT;
        p = starP;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

void ExcludePatterns::Add(const std::string& pattern) {
    std::string normal;
    for (std::size_t i = 0; i < pattern.size();) {
        const std::size_t length = CharLength(pattern, i, m_style);
        if (m_style.windows && length == 1 && pattern[i] == '\\') normal += '/';
        else normal.append(pattern, i, length);
        i += length;
    }
    while (normal.compare(0, 2, "./") == 0) normal.erase(0, 2);
    while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    if (!normal.empty()) m_patterns.push_back(normal);
}

bool ExcludePatterns::Excludes(const std::string& relative) const {
    for (const std::string& pattern : m_patterns) {
        // The whole path, then what follows each "/".
        std::size_t from = 0;
        for (;;) {
            if (GlobMatches(pattern, relative.substr(from), m_style)) return true;
            const std::size_t slash = relative.find('/', from);
            if (slash == std::string::npos) break;
            from = slash + 1;
        }
    }
    return false;
}

}  // namespace torvan

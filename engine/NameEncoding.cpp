#include "NameEncoding.h"

namespace torvan {
namespace {

// Decodes the sequence at `at` and moves past it; false where the bytes
// are no strict UTF-8 (C0, C1 and F5 to FF never occur in it).
bool NextCodePoint(const std::string& s, std::size_t& at, char32_t& cp) {
    const unsigned char first = static_cast<unsigned char>(s[at]);
    int length = 0;
    char32_t least = 0;
    if (first < 0x80) {
        cp = first;
        ++at;
        return true;
    }
    if (first >= 0xC2 && first <= 0xDF) { length = 2; least = 0x80; cp = first & 0x1F; }
    else if (first >= 0xE0 && first <= 0xEF) { length = 3; least = 0x800; cp = first & 0x0F; }
    else if (first >= 0xF0 && first <= 0xF4) { length = 4; least = 0x10000; cp = first & 0x07; }
    else return false;
    if (at + length > s.size()) return false;
    for (int i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(s[at + i]);
        if ((next & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    at += length;
    return true;
}

enum class Script { Neutral, Ascii, Latin, Greek, Cyrillic, Hebrew, Arabic, Indic, Thai, Georgian, Cjk, Mark, Odd };

struct CharClass {
    Script script;
    bool common;   // a character that GBK bytes read as UTF-8 hardly ever give
};

// What a character says about a name. Letters of the scripts that real
// file names use are letters; punctuation, symbols and emoji that names
// carry are neutral; everything else (controls, phonetic and modifier
// letters, archaic forms, private use) no real name holds, and it is
// exactly what GBK text read as UTF-8 is full of.
CharClass Classify(char32_t c) {
    if (c < 0x80) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        return {letter ? Script::Ascii : Script::Neutral, false};
    }
    if (c == 0xB7 || c == 0xA9 || c == 0xAE || c == 0xB0) return {Script::Neutral, false};
    if (c >= 0xC0 && c <= 0xFF) return {c == 0xD7 || c == 0xF7 ? Script::Neutral : Script::Latin, false};
    if (c >= 0x100 && c <= 0x17F) return {c == 0x138 || c == 0x149 ? Script::Odd : Script::Latin, false};
    // Vietnamese, pinyin with tone marks, Romanian.
    if (c == 0x1A0 || c == 0x1A1 || c == 0x1AF || c == 0x1B0 || (c >= 0x1CD && c <= 0x1DC) ||
        (c >= 0x218 && c <= 0x21B))
        return {Script::Latin, false};
    if (c >= 0x300 && c <= 0x36F) return {Script::Mark, false};
    if (c == 0x386 || (c >= 0x388 && c <= 0x38A) || c == 0x38C || (c >= 0x38E && c <= 0x3A1) ||
        (c >= 0x3A3 && c <= 0x3CE))
        return {Script::Greek, false};
    if ((c >= 0x400 && c <= 0x45F) || c == 0x490 || c == 0x491) return {Script::Cyrillic, false};
    if (c >= 0x5D0 && c <= 0x5EA) return {Script::Hebrew, false};
    if ((c >= 0x620 && c <= 0x64A) || (c >= 0x660 && c <= 0x669) || (c >= 0x671 && c <= 0x6D3))
        return {Script::Arabic, false};
    if (c >= 0x900 && c <= 0xDFF) return {Script::Indic, true};
    if (c >= 0xE00 && c <= 0xE7F) return {Script::Thai, true};
    if (c >= 0x10A0 && c <= 0x10FF) return {Script::Georgian, true};
    if (c >= 0x1E00 && c <= 0x1EFF) return {Script::Latin, true};
    if ((c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0x203A) || (c >= 0x2100 && c <= 0x21FF) ||
        (c >= 0x2460 && c <= 0x24FF) || (c >= 0x2600 && c <= 0x27BF) || c == 0x200D || c == 0x20E3 ||
        c == 0xFE0F || (c >= 0x1F000 && c <= 0x1FAFF))
        return {Script::Neutral, true};
    if (c >= 0x3000 && c <= 0x303F) return {Script::Neutral, true};
    if ((c >= 0x3040 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) || (c >= 0x4E00 && c <= 0x9FFF) ||
        (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F) ||
        (c >= 0xFF61 && c <= 0xFF9F))
        return {Script::Cjk, true};
    // Rare ideographs and fullwidth forms: real, but no evidence either way.
    if ((c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x2FFFF))
        return {Script::Cjk, false};
    if (c >= 0xFF01 && c <= 0xFF60) return {Script::Neutral, false};
    return {Script::Odd, false};
}

struct Reading {
    bool plausible = true;
    bool strong = false;   // something GBK read as UTF-8 would hardly give
};

// One word: letters (with their combining marks) between neutral characters.
struct Word {
    Script script = Script::Neutral;   // its one non-ASCII script
    bool ascii = false;
    int letters = 0;                   // non-ASCII ones

    bool Add(Script s) {
        if (s == Script::Ascii) {
            ascii = true;
        } else {
            if (script != Script::Neutral && script != s) return false;
            script = s;
            ++letters;
        }
        // ASCII letters run on into Latin and CJK words ("café", "QQ群"),
        // never into Greek or Cyrillic ones: that is a GBK name misread.
        return !ascii || script == Script::Neutral || script == Script::Latin || script == Script::Cjk;
    }

    // Two lone accented letters, or a Cyrillic syllable, are what single
    // common hanzi read as UTF-8 give; real words in those scripts run longer
    // or lean on plain Latin letters.
    bool Strong() const { return letters >= 3 || (script == Script::Latin && ascii && letters > 0); }
};

Reading ReadAsUtf8(const std::string& name) {
    Reading reading;
    Word word;
    bool afterLetter = false;
    auto endWord = [&]() {
        if (word.Strong()) reading.strong = true;
        word = Word();
    };
    for (std::size_t at = 0; at < name.size();) {
        char32_t c = 0;
        if (!NextCodePoint(name, at, c)) return {false, false};
        const CharClass cls = Classify(c);
        if (cls.common) reading.strong = true;
        switch (cls.script) {
        case Script::Odd:
            return {false, false};
        case Script::Mark:
            if (!afterLetter) return {false, false};
            break;
        case Script::Neutral:
            endWord();
            afterLetter = false;
            break;
        default:
            if (!word.Add(cls.script)) return {false, false};
            afterLetter = true;
            break;
        }
    }
    endWord();
    return reading;
}

struct GbkReading {
    bool valid = true;
    bool common = true;   // every double-byte character a GB2312 hanzi or symbol
};

GbkReading ReadAsGbk(const std::string& name) {
    GbkReading reading;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char lead = static_cast<unsigned char>(name[i]);
        if (lead < 0x80) continue;
        if (lead == 0x80 || lead == 0xFF || i + 1 >= name.size()) return {false, false};
        const unsigned char trail = static_cast<unsigned char>(name[++i]);
        if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return {false, false};
        const bool gb2312 = trail >= 0xA1 && ((lead >= 0xA1 && lead <= 0xA9) || (lead >= 0xB0 && lead <= 0xF7));
        if (!gb2312) reading.common = false;
    }
    return reading;
}

}  // namespace

bool IsStrictUtf8(const std::string& bytes) {
    char32_t c = 0;
    for (std::size_t at = 0; at < bytes.size();)
        if (!NextCodePoint(bytes, at, c)) return false;
    return true;
}

NameEncoding GuessNameEncoding(const std::vector<std::string>& names) {
    bool ascii = true, utf8 = true, plausible = true, strong = false, gbk = true, gbkCommon = true;
    for (const std::string& name : names) {
        bool nameAscii = true;
        for (char c : name)
            if (static_cast<unsigned char>(c) >= 0x80) nameAscii = false;
        if (nameAscii) continue;
        ascii = false;
        if (utf8) {
            if (!IsStrictUtf8(name)) {
                utf8 = false;
            } else {
                const Reading reading = ReadAsUtf8(name);
                plausible = plausible && reading.plausible;
                strong = strong || reading.strong;
            }
        }
        if (gbk) {
            const GbkReading reading = ReadAsGbk(name);
            gbk = reading.valid;
            gbkCommon = gbkCommon && reading.common;
        }
    }
    if (ascii) return NameEncoding::Ascii;
    if (!utf8) return gbk ? NameEncoding::Gbk : NameEncoding::Unknown;
    if (!gbk) return NameEncoding::Utf8;   // the only reading there is
    if (!plausible) return NameEncoding::Gbk;
    return strong || !gbkCommon ? NameEncoding::Utf8 : NameEncoding::Gbk;
}

const char* NameEncodingText(NameEncoding encoding) {
    switch (encoding) {
    case NameEncoding::Utf8: return "UTF-8";
    case NameEncoding::Gbk: return "GBK";
    case NameEncoding::Ascii: return "ASCII";
    case NameEncoding::Unknown: break;
    }
    return "neither UTF-8 nor GBK";
}

}  // namespace torvan

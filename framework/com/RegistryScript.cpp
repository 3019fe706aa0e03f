#include "RegistryScript.h"

#include <cctype>

namespace torvan {

namespace {

struct Token {
    std::string text;  // after unquoting and replacement
    std::string raw;   // as written, for keywords and messages
    bool quoted = false;
    int line = 0;
};

bool SameWord(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

class Parser {
public:
    Parser(const std::string& script, const ScriptReplacements& replacements)
        : m_script(script), m_replacements(replacements) {}

    bool ParseAll(std::vector<ScriptRoot>& roots) {
        Token token;
        while (Next(token)) {
            ScriptRoot root;
            if (!HiveName(token.raw, root.hive) || token.quoted) return Fail(token, "unknown hive '" + token.raw + "'");
            if (!Expect("{")) return false;
            if (!ParseKeys(root.keys, false)) return false;
            roots.push_back(std::move(root));
        }
        return m_why.empty();
    }

    const std::string& Why() const { return m_why; }

private:
    static bool HiveName(const std::string& word, std::string& hive) {
        static const char* const kNames[][2] = {
            {"HKCR", "HKCR"}, {"HKEY_CLASSES_ROOT", "HKCR"}, {"HKCU", "HKCU"}, {"HKEY_CURRENT_USER", "HKCU"},
            {"HKLM", "HKLM"}, {"HKEY_LOCAL_MACHINE", "HKLM"}, {"HKU", "HKU"},  {"HKEY_USERS", "HKU"},
        };
        for (const auto& name : kNames)
            if (SameWord(word, name[0])) {
                hive = name[1];
                return true;
            }
        return false;
    }

    bool IsKeyword(const Token& token, const char* word) const { return !token.quoted && SameWord(token.raw, word); }

    // Keys (and, inside a key, named values) up to the closing brace.
    bool ParseKeys(std::vector<ScriptKey>& keys, bool valuesAllowed, ScriptKey* owner = nullptr) {
        Token token;
        while (Next(token)) {
            if (IsKeyword(token, "}")) return true;
            if (IsKeyword(token, "val")) {
                if (!valuesAllowed) return Fail(token, "a named value needs a key");
                ScriptValue value;
                Token name;
                if (!Next(name)) return Fail(token, "value name missing");
                value.name = name.text;
                if (!Expect("=") || !ParseString(value.text)) return false;
                owner->values.push_back(std::move(value));
                continue;
            }
            ScriptKey key;
            for (;;) {
                if (IsKeyword(token, "NoRemove")) {
                    key.noRemove = true;
                } else if (IsKeyword(token, "ForceRemove")) {
                    key.forceRemove = true;
                } else if (IsKeyword(token, "Delete")) {
                    return Fail(token, "'Delete' is not supported");
                } else {
                    break;
                }
                if (!Next(token)) return Fail(token, "key name missing");
            }
            if (!token.quoted && (token.raw == "{" || token.raw == "=")) return Fail(token, "key name missing");
            if (token.text.empty()) return Fail(token, "empty key name");
            key.name = token.text;
            if (!ParseKeyTail(key)) return false;
            keys.push_back(std::move(key));
        }
        return Fail(token, "'}' missing at the end");
    }

    // What may follow a key's name: "= s 'text'", then "{ ... }", both optional.
    bool ParseKeyTail(ScriptKey& key) {
        if (PeekKeyword("=")) {
            Token equals;
            Next(equals);
            if (!ParseString(key.defaultText)) return false;
            key.hasDefault = true;
        }
        if (PeekKeyword("{")) {
            Token brace;
            Next(brace);
            return ParseKeys(key.subkeys, true, &key);
        }
        return true;
    }

    bool ParseString(std::string& text) {
        Token type;
        if (!Next(type)) return Fail(type, "value type missing");
        if (!IsKeyword(type, "s")) return Fail(type, "unsupported value type '" + type.raw + "'");
        Token value;
        if (!Next(value)) return Fail(type, "value missing");
        if (!value.quoted) return Fail(value, "a value must be quoted");
        text = value.text;
        return true;
    }

    bool Expect(const char* word) {
        Token token;
        if (!Next(token) || !IsKeyword(token, word)) return Fail(token, std::string("'") + word + "' expected");
        return true;
    }

    bool PeekKeyword(const char* word) {
        size_t pos = m_pos;
        int line = m_line;
        Token token;
        bool found = Next(token) && IsKeyword(token, word);
        m_pos = pos;
        m_line = line;
        return found;
    }

    bool Next(Token& token) {
        if (!m_why.empty()) return false;
        while (m_pos < m_script.size() && std::isspace(static_cast<unsigned char>(m_script[m_pos]))) {
            if (m_script[m_pos] == '\n') ++m_line;
            ++m_pos;
        }
        token = Token();
        token.line = m_line;
        if (m_pos >= m_script.size()) return false;
        std::string written;
        if (m_script[m_pos] == '\'') {
            token.quoted = true;
            ++m_pos;
            for (;;) {
                if (m_pos >= m_script.size()) return Fail(token, "closing quote missing");
                char c = m_script[m_pos++];
                if (c == '\n') ++m_line;
                if (c == '\'') {
                    if (m_pos < m_script.size() && m_script[m_pos] == '\'') {
                        ++m_pos;
                    } else {
                        break;
                    }
                }
                written += c;
            }
        } else {
            while (m_pos < m_script.size() && !std::isspace(static_cast<unsigned char>(m_script[m_pos])))
                written += m_script[m_pos++];
        }
        token.raw = written;
        return Replace(token);
    }

    bool Replace(Token& token) {
        const std::string& in = token.raw;
        for (size_t i = 0; i < in.size(); ++i) {
            if (in[i] != '%') {
                token.text += in[i];
                continue;
            }
            size_t end = in.find('%', i + 1);
            if (end == std::string::npos) return Fail(token, "unpaired '%' in '" + in + "'");
            std::string name = in.substr(i + 1, end - i - 1);
            if (name.empty()) {
                token.text += '%';
            } else {
                auto found = m_replacements.find(name);
                if (found == m_replacements.end()) return Fail(token, "no value for %" + name + "%");
                token.text += found->second;
            }
            i = end;
        }
        return true;
    }

    bool Fail(const Token& token, const std::string& why) {
        if (m_why.empty()) m_why = "line " + std::to_string(token.line ? token.line : m_line) + ": " + why;
        return false;
    }

    const std::string& m_script;
    const ScriptReplacements& m_replacements;
    size_t m_pos = 0;
    int m_line = 1;
    std::string m_why;
};

}  // namespace

bool ParseRegistryScript(const std::string& script, const ScriptReplacements& replacements,
                         std::vector<ScriptRoot>& roots, std::string& why) {
    roots.clear();
    Parser parser(script, replacements);
    bool ok = parser.ParseAll(roots);
    why = parser.Why();
    if (!ok) roots.clear();
    return ok;
}

}  // namespace torvan

#include "DialogTemplate.h"

#include <cstring>

namespace testing_win {

namespace {

// Reads the template's little-endian fields in order; any read past the end
// leaves it failed, so a damaged template is refused rather than misread.
class Reader {
public:
    Reader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

    bool Ok() const { return m_ok; }
    WORD Word() { return static_cast<WORD>(Take(2)); }
    DWORD Dword() { return Take(4); }
    int Short() { return static_cast<short>(Word()); }
    void AlignToDword() { m_at = (m_at + 3) & ~static_cast<size_t>(3); }
    void Skip(size_t bytes) {
        if (m_at + bytes > m_size) m_ok = false;
        m_at += bytes;
    }

    std::wstring String() {
        std::wstring text;
        for (WORD c = Word(); m_ok && c != 0; c = Word()) text += static_cast<wchar_t>(c);
        return text;
    }

    // A name or a number: 0 for none, 0xFFFF and a number, else a string.
    std::wstring NameOrNumber(WORD* number = nullptr) {
        WORD first = Word();
        if (first == 0) return L"";
        if (first == 0xFFFF) {
            WORD value = Word();
            if (number) *number = value;
            return L"";
        }
        std::wstring text(1, static_cast<wchar_t>(first));
        return text + String();
    }

private:
    DWORD Take(size_t bytes) {
        if (!m_ok || m_at + bytes > m_size) {
            m_ok = false;
            return 0;
        }
        DWORD value = 0;
        std::memcpy(&value, m_data + m_at, bytes);
        m_at += bytes;
        return value;
    }

    const BYTE* m_data;
    size_t m_size;
    size_t m_at = 0;
    bool m_ok = true;
};

std::wstring PredefinedClass(WORD atom) {
    switch (atom) {
        case 0x80: return L"Button";
        case 0x81: return L"Edit";
        case 0x82: return L"Static";
        case 0x83: return L"ListBox";
        case 0x84: return L"ScrollBar";
        case 0x85: return L"ComboBox";
        default: return L"";
    }
}

}  // namespace

bool ReadDialogTemplate(HMODULE module, UINT id, DialogTemplate& out) {
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    if (!data) return false;
    Reader in(data, ::SizeofResource(module, found));

    out = DialogTemplate();
    if (in.Word() != 1 || in.Word() != 0xFFFF) return false;  // not the extended kind
    in.Dword();  // help id
    in.Dword();  // extended style
    DWORD style = in.Dword();
    WORD count = in.Word();
    in.Short();
    in.Short();
    out.cx = in.Short();
    out.cy = in.Short();
    in.NameOrNumber();  // menu
    in.NameOrNumber();  // class
    in.String();        // caption
    if (style & DS_SETFONT) {
        out.points = in.Word();
        in.Word();     // weight
        in.Skip(2);    // italic, character set
        out.face = in.String();
    }

    for (WORD i = 0; i < count && in.Ok(); ++i) {
        TemplateControl control;
        in.AlignToDword();
        in.Dword();  // help id
        in.Dword();  // extended style
        control.style = in.Dword();
        control.x = in.Short();
        control.y = in.Short();
        control.cx = in.Short();
        control.cy = in.Short();
        control.id = static_cast<int>(in.Dword());
        WORD atom = 0;
        control.className = in.NameOrNumber(&atom);
        if (control.className.empty()) control.className = PredefinedClass(atom);
        control.text = in.NameOrNumber();
        in.Skip(in.Word());  // creation data
        out.controls.push_back(control);
    }
    return in.Ok();
}

}  // namespace testing_win

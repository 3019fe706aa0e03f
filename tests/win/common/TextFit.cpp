#include "TextFit.h"

#include <cstdio>

#include "ButtonLayout.h"
#include "DialogTemplate.h"

namespace testing_win {

namespace {

// Windows' average character width at 96 DPI, in pixels, for the faces the
// dialogs use; a dialog unit is a quarter of it. Tahoma at 9 points lies
// close to the rounding edge between 6 and 7; 6 asks more of a layout.
struct WindowsFace {
    const wchar_t* face;
    int points;
    int averageWidth;
};
const WindowsFace kWindowsFaces[] = {{L"Verdana", 9, 7}, {L"Tahoma", 8, 6}, {L"Tahoma", 9, 6}};

// The box a check box draws left of its text, at 96 DPI; half a digit of
// the font separates them.
const int kCheckBoxPixels = 13;

// Drawn by the Chinese fallback font, one em wide each: ideographs, their
// punctuation and the full-width forms.
bool IsWide(wchar_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6);
}

enum class Kind { None, Wrapped, Line, Check, Push };

Kind KindOf(const TemplateControl& control) {
    if (_wcsicmp(control.className.c_str(), L"Static") == 0) {
        switch (control.style & SS_TYPEMASK) {
            case SS_LEFT:
            case SS_CENTER:
            case SS_RIGHT: return Kind::Wrapped;
            case SS_SIMPLE:
            case SS_LEFTNOWORDWRAP: return Kind::Line;
            default: return Kind::None;  // icons, frames, pictures
        }
    }
    if (_wcsicmp(control.className.c_str(), L"Button") == 0) {
        switch (control.style & BS_TYPEMASK) {
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX:
            case BS_3STATE:
            case BS_AUTO3STATE:
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON: return Kind::Check;
            case BS_GROUPBOX: return Kind::None;
            default: return Kind::Push;
        }
    }
    return Kind::None;
}

SIZE BitmapSize(HMODULE module, UINT id) {
    SIZE size = {0, 0};
    HANDLE image = ::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
    BITMAP bitmap = {};
    if (image && ::GetObjectW(image, sizeof bitmap, &bitmap)) size = {bitmap.bmWidth, bitmap.bmHeight};
    if (image) ::DeleteObject(image);
    return size;
}

// Pixels that the control's own drawing takes left of its text within a
// client area `width` x `height`: the check box and its gap, or a flat
// button's image placed as the button places it.
int DecorationPixels(Kind kind, SIZE image, int halfDigit, int width, int height) {
    if (kind == Kind::Check) return kCheckBoxPixels + halfDigit;
    if (kind != Kind::Push || image.cx == 0) return 0;
    torvan::Box item{0, 0, width, height};
    torvan::Box caption = item;
    torvan::LayoutImage(item, caption, true, false, image.cx, image.cy);
    return caption.left;
}

std::string Utf8(const std::wstring& text) {
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
    return out;
}

std::string Name(int id, const std::wstring& text) {
    return "control " + std::to_string(id) + " \"" + Utf8(text) + "\"";
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

double WindowsUnit(const DialogTemplate& layout) {
    for (const WindowsFace& known : kWindowsFaces)
        if (_wcsicmp(known.face, layout.face.c_str()) == 0 && known.points == layout.points)
            return known.averageWidth / 4.0;
    return 0;
}

// One control: the live text in its own font, and the template's text by
// Windows' arithmetic. Every static of these dialogs is one line high, so
// the arithmetic asks for one line.
class Measure {
public:
    Measure(HWND dialog, HWND control, HMODULE module, const TemplateControl& entry, Kind kind, UINT image)
        : m_dialog(dialog), m_control(control), m_entry(entry), m_kind(kind) {
        if (image) m_image = BitmapSize(module, image);
        m_dc = ::GetDC(control);
        HFONT font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
        m_oldFont = ::SelectObject(m_dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    }
    ~Measure() {
        ::SelectObject(m_dc, m_oldFont);
        ::ReleaseDC(m_control, m_dc);
    }

    void AsDrawnHere(std::vector<std::string>& cuts) const {
        const std::wstring text = WindowText(m_control);
        if (text.empty()) return;
        RECT client = {};
        ::GetClientRect(m_control, &client);
        int digit = 0;
        ::GetCharWidth32W(m_dc, L'0', L'0', &digit);
        const int width = client.right - DecorationPixels(m_kind, m_image, digit / 2, client.right, client.bottom);
        UINT flags = DT_CALCRECT | DT_EXPANDTABS | (m_kind == Kind::Wrapped ? DT_WORDBREAK : DT_SINGLELINE);
        if ((m_kind == Kind::Wrapped || m_kind == Kind::Line) && (m_entry.style & SS_NOPREFIX)) flags |= DT_NOPREFIX;
        RECT needed = {0, 0, width, 0};
        ::DrawTextW(m_dc, text.c_str(), -1, &needed, flags);
        if (needed.right <= width && needed.bottom <= client.bottom) return;
        char line[160];
        std::snprintf(line, sizeof line, ": needs %ld x %ld pixels here, has %d x %ld", needed.right, needed.bottom,
                      width, client.bottom);
        cuts.push_back(Name(m_entry.id, text) + line);
    }

    void AsWindowsLaysItOut(const DialogTemplate& layout, double windowsUnit, std::vector<std::string>& cuts) const {
        if (m_entry.text.empty() || windowsUnit == 0) return;
        std::wstring narrow;
        int wide = 0;
        for (wchar_t c : m_entry.text) {
            if (IsWide(c)) ++wide;
            else narrow += c;
        }
        // Dialog units follow the face's average width, so the narrow part
        // measures about the same in units here as there; the wide part is
        // what differs: one em of the fallback font, whatever the face.
        RECT probe = {0, 0, 400, 0};
        ::MapDialogRect(m_dialog, &probe);
        const double hereUnit = probe.right / 400.0;
        SIZE narrowSize = {0, 0};
        if (!narrow.empty()) ::GetTextExtentPoint32W(m_dc, narrow.c_str(), static_cast<int>(narrow.size()), &narrowSize);
        const int em = ::MulDiv(layout.points, 96, 72);
        const int halfDigit = static_cast<int>(windowsUnit * 2);
        const int room = static_cast<int>(m_entry.cx * windowsUnit);
        const double needed = narrowSize.cx / hereUnit + wide * em / windowsUnit +
                              DecorationPixels(m_kind, m_image, halfDigit, room, 0) / windowsUnit;
        if (needed <= m_entry.cx) return;
        char line[160];
        std::snprintf(line, sizeof line, ": needs %.1f dialog units on Windows, has %d", needed, m_entry.cx);
        cuts.push_back(Name(m_entry.id, m_entry.text) + line);
    }

private:
    HWND m_dialog;
    HWND m_control;
    const TemplateControl& m_entry;
    Kind m_kind;
    SIZE m_image = {0, 0};
    HDC m_dc = nullptr;
    HGDIOBJ m_oldFont = nullptr;
};

}  // namespace

std::vector<std::string> CutTexts(HWND dialog, HMODULE module, UINT templateId, const ButtonImages& images) {
    DialogTemplate layout;
    if (!ReadDialogTemplate(module, templateId, layout))
        return {"template " + std::to_string(templateId) + " cannot be read"};
    std::vector<std::string> cuts;
    const double windowsUnit = WindowsUnit(layout);
    if (windowsUnit == 0)
        cuts.push_back("no Windows figures for " + Utf8(layout.face) + " at " + std::to_string(layout.points) + " points");

    // The dialog manager creates the controls in template order.
    HWND child = ::GetWindow(dialog, GW_CHILD);
    for (const TemplateControl& entry : layout.controls) {
        if (!child || LOWORD(::GetDlgCtrlID(child)) != LOWORD(entry.id)) {
            cuts.push_back("the controls of template " + std::to_string(templateId) + " are not in template order");
            break;
        }
        HWND control = child;
        child = ::GetWindow(child, GW_HWNDNEXT);
        const Kind kind = KindOf(entry);
        if (kind == Kind::None) continue;
        auto image = images.find(entry.id);
        Measure measure(dialog, control, module, entry, kind, image == images.end() ? 0 : image->second);
        measure.AsDrawnHere(cuts);
        measure.AsWindowsLaysItOut(layout, windowsUnit, cuts);
    }
    return cuts;
}

}  // namespace testing_win

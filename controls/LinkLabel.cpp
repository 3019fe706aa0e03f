#include "LinkLabel.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>

#include "Text.h"

namespace {

const UINT_PTR kToolId = 1;
const DWORD kPathBuffer = 260;
const size_t kCommandBuffer = 520;

bool IsAnsiLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

}  // namespace

CLinkLabel::~CLinkLabel() {
    if (m_hWnd && ::IsWindow(m_hWnd)) ::SendMessageW(m_hWnd, WM_SETFONT, 0, FALSE);
    if (m_hToolTip && ::IsWindow(m_hToolTip)) ::DestroyWindow(m_hToolTip);
    if (m_hFont) ::DeleteObject(m_hFont);
}

// ---- configuration -------------------------------------------------------

void CLinkLabel::SetTarget(const std::string& target) {
    m_strTarget = target;
    if (!m_hWnd) return;
    FitToText();
    if (m_hToolTip) {
        std::wstring text = WideFromUtf8(m_strTarget);
        TOOLINFOW tool = {};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = m_hWnd;
        tool.uId = kToolId;
        tool.lpszText = &text[0];
        ::SendMessageW(m_hToolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void CLinkLabel::MarkVisited(BOOL visited) {
    m_bVisited = visited;
    if (m_hWnd) Invalidate(TRUE);
}

void CLinkLabel::FitToText() {
    if (!m_hWnd || !m_bFitToText) return;
    HWND parent = ::GetParent(m_hWnd);
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);

    std::wstring text = WindowTextWide();
    SIZE extent = {0, 0};
    HDC hdc = ::GetDC(m_hWnd);
    if (!hdc) return;
    HFONT font = m_hFont ? m_hFont : reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    HGDIOBJ old = font ? ::SelectObject(hdc, font) : nullptr;
    ::GetTextExtentPoint32W(hdc, text.c_str(), static_cast<int>(text.size()), &extent);
    if (old) ::SelectObject(hdc, old);
    ::ReleaseDC(m_hWnd, hdc);

    DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
    torvan::Box fitted =
        torvan::FitLinkBox({rc.left, rc.top, rc.right, rc.bottom}, extent.cx, extent.cy, style);
    ::SetWindowPos(m_hWnd, nullptr, fitted.left, fitted.top, fitted.Width(), fitted.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);

    // The tool covers the whole label, so it moves with it.
    if (m_hToolTip) {
        TOOLINFOW tool = {};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = m_hWnd;
        tool.uId = kToolId;
        ::GetClientRect(m_hWnd, &tool.rect);
        ::SendMessageW(m_hToolTip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void CLinkLabel::LoadHandCursor() {
    // The system's own link cursor: shared, so nothing to copy or destroy.
    if (!m_hHandCursor) m_hHandCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32649) /* IDC_HAND */);
}

// ---- attaching -----------------------------------------------------------

void CLinkLabel::PreSubclassWindow() {
    ::SetWindowLongW(m_hWnd, GWL_STYLE, ::GetWindowLongW(m_hWnd, GWL_STYLE) | SS_NOTIFY);

    torvan::LinkTexts texts = torvan::ResolveLinkTexts(m_strTarget, Utf8FromWide(WindowTextWide()));
    m_strTarget = texts.target;
    if (texts.captionChanged) SetWindowText(texts.caption.c_str());

    HFONT current = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    LOGFONTW logFont = {};
    ::GetObjectW(current ? static_cast<HGDIOBJ>(current) : ::GetStockObject(SYSTEM_FONT), sizeof(logFont),
                 &logFont);
    logFont.lfUnderline = m_bUnderline ? TRUE : FALSE;
    m_hFont = ::CreateFontIndirectW(&logFont);
    if (m_hFont) SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), TRUE);

    FitToText();
    LoadHandCursor();
    CreateToolTip();
    CWnd::PreSubclassWindow();
}

void CLinkLabel::CreateToolTip() {
    m_hToolTip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    if (!m_hToolTip) return;
    std::wstring text = WideFromUtf8(m_strTarget);
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = m_hWnd;
    tool.uId = kToolId;
    ::GetClientRect(m_hWnd, &tool.rect);
    tool.lpszText = &text[0];
    ::SendMessageW(m_hToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// ---- messages ------------------------------------------------------------

BOOL CLinkLabel::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == STN_CLICKED) {
            OpenTarget(m_strTarget, SW_SHOW);  // a failed open is not reported
            MarkVisited(TRUE);
            *result = 0;
            return TRUE;  // the parent is not told
        }
        break;
    case WM_CTLCOLORSTATIC: {
        HDC hdc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(hdc, torvan::LinkTextColor(m_colors, m_bOver != FALSE, m_bVisited != FALSE));
        ::SetBkMode(hdc, TRANSPARENT);
        // A hollow brush: the dialog's background shows through.
        *result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return TRUE;
    }
    }
    return CWnd::OnChildNotify(message, wParam, lParam, result);
}

LRESULT CLinkLabel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_hToolTip && message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        MSG relayed = {m_hWnd, message, wParam, lParam, static_cast<DWORD>(::GetMessageTime()), {0, 0}};
        DWORD pos = ::GetMessagePos();
        relayed.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
        ::SendMessageW(m_hToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    switch (message) {
    case WM_SETCURSOR:
        if (!m_hHandCursor) return FALSE;
        ::SetCursor(m_hHandCursor);
        return TRUE;
    case WM_MOUSEMOVE: {
        LRESULT result = DefWindowProc(message, wParam, lParam);
        OnMouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return result;
    }
    case WM_CAPTURECHANGED:
        // Someone else took the mouse (a menu, a box, another window): the
        // move that leaves the label will not reach it, so end hover now.
        if (m_bOver && reinterpret_cast<HWND>(lParam) != m_hWnd) EndHover();
        break;
    case WM_DESTROY:
        if (m_hToolTip) {
            ::DestroyWindow(m_hToolTip);
            m_hToolTip = nullptr;
        }
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CLinkLabel::OnMouseMove(POINT point) {
    if (m_bOver) {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        if (!::PtInRect(&client, point)) {
            EndHover();
            ::ReleaseCapture();
        }
        return;
    }
    m_bOver = TRUE;
    RepaintNow();
    // With the capture, the move that leaves the label still comes here.
    ::SetCapture(m_hWnd);
}

void CLinkLabel::EndHover() {
    m_bOver = FALSE;
    RepaintNow();
}

void CLinkLabel::RepaintNow() {
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

std::wstring CLinkLabel::WindowTextWide() const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(m_hWnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

// ---- opening -------------------------------------------------------------

HINSTANCE CLinkLabel::OpenTarget(const std::string& address, int showCommand) {
    HINSTANCE shell = ::ShellExecuteW(nullptr, L"open", WideFromUtf8(address).c_str(), nullptr, nullptr,
                                      showCommand);
    if (reinterpret_cast<INT_PTR>(shell) > 32) return shell;

    // The browser registered for web pages, given the address itself.
    char buffer[kCommandBuffer] = {};
    if (ReadDefaultValue(HKEY_CLASSES_ROOT, ".htm", buffer) != ERROR_SUCCESS) return shell;
    std::strcat(buffer, "\\shell\\open\\command");  // the class name is under 260 bytes
    if (ReadDefaultValue(HKEY_CLASSES_ROOT, buffer, buffer) != ERROR_SUCCESS) return shell;
    std::string command;
    if (!torvan::ComposeBrowserCommand(buffer, AnsiFromUtf8(address), kCommandBuffer, &IsAnsiLeadByte,
                                       command))
        return shell;
    return reinterpret_cast<HINSTANCE>(static_cast<UINT_PTR>(::WinExec(command.c_str(), showCommand)));
}

LONG CLinkLabel::ReadDefaultValue(HKEY root, const char* subKey, char* out) {
    HKEY key = nullptr;
    LONG status = ::RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS) return status;
    char value[kPathBuffer + 1] = {};  // one spare zero in case the value carries none
    LONG size = kPathBuffer;
    status = ::RegQueryValueA(key, nullptr, value, &size);
    if (status == ERROR_SUCCESS) {
        size_t length = ::strnlen(value, kPathBuffer - 1);
        std::memcpy(out, value, length);
        out[length] = '\0';
    }
    ::RegCloseKey(key);
    return status;
}

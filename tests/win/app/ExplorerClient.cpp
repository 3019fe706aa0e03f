#include "ExplorerClient.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include "Driver.h"

namespace explorer {

const CLSID kPackMenu = {0x5E1C0B7A, 0x3D42, 0x4F8E, {0x9A, 0x61, 0x2C, 0x7B, 0x0D, 0x4E, 0x8F, 0x13}};
const wchar_t kClsid[] = L"{5E1C0B7A-3D42-4F8E-9A61-2C7B0D4E8F13}";
const wchar_t kClassServerKey[] = L"CLSID\\{5E1C0B7A-3D42-4F8E-9A61-2C7B0D4E8F13}\\InprocServer32";

namespace {

constexpr UINT kFirstCommand = 1, kPackOffset = 102;

// A data object for one path, made by the shell as Explorer's would be.
IDataObject* ShellDataObject(const std::string& ansiPath) {
    IShellFolder* desktop = nullptr;
    if (FAILED(::SHGetDesktopFolder(&desktop))) return nullptr;
    std::wstring name = driver::WideFromAnsi(ansiPath);
    LPITEMIDLIST item = nullptr;
    IDataObject* data = nullptr;
    if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, &item, nullptr))) {
        IShellFolder* parent = nullptr;
        LPCITEMIDLIST child = nullptr;
        if (SUCCEEDED(::SHBindToParent(item, IID_IShellFolder, reinterpret_cast<void**>(&parent), &child))) {
            parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, reinterpret_cast<void**>(&data));
            parent->Release();
        }
        ::CoTaskMemFree(item);
    }
    desktop->Release();
    return data;
}

struct TitleSearch {
    std::wstring title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND hWnd, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    if (!::IsWindowVisible(hWnd) || driver::WindowText(hWnd) != search->title) return TRUE;
    search->found = hWnd;
    return FALSE;
}

}  // namespace

std::wstring DefaultValue(const wchar_t* path) {
    wchar_t text[520] = {};
    LONG size = sizeof(text) - sizeof(wchar_t);
    if (::RegQueryValueW(HKEY_CLASSES_ROOT, path, text, &size) != ERROR_SUCCESS) return L"";
    return text;
}

bool InvokePackItem(const std::string& ansiFolder) {
    IShellExtInit* init = nullptr;
    HRESULT created = ::CoCreateInstance(kPackMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                         reinterpret_cast<void**>(&init));
    EXPECT_EQ(created, S_OK);
    if (FAILED(created)) return false;
    IDataObject* data = ShellDataObject(ansiFolder);
    EXPECT_NE(data, nullptr);
    bool ok = data != nullptr;
    if (data) {
        HRESULT initialized = init->Initialize(nullptr, data, nullptr);
        EXPECT_EQ(initialized, S_OK);
        ok = initialized == S_OK;
        data->Release();
    }
    IContextMenu* menu = nullptr;
    if (ok && init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)) == S_OK) {
        HMENU popup = ::CreatePopupMenu();
        HRESULT built = menu->QueryContextMenu(popup, 0, kFirstCommand, kFirstCommand + 200, CMF_NORMAL);
        EXPECT_EQ(built, MAKE_HRESULT(SEVERITY_SUCCESS, 0, kPackOffset + 1));
        CMINVOKECOMMANDINFO invoke = {};
        invoke.cbSize = sizeof(invoke);
        invoke.lpVerb = MAKEINTRESOURCEA(kPackOffset);
        invoke.nShow = SW_SHOWNORMAL;
        HRESULT invoked = menu->InvokeCommand(&invoke);
        EXPECT_EQ(invoked, S_OK);
        ok = built == MAKE_HRESULT(SEVERITY_SUCCESS, 0, kPackOffset + 1) && invoked == S_OK;
        ::DestroyMenu(popup);
        menu->Release();
    } else {
        ADD_FAILURE() << "the handler has no IContextMenu";
        ok = false;
    }
    init->Release();
    return ok;
}

HWND FindTopLevel(const std::wstring& title) {
    TitleSearch search = {title, nullptr};
    ::EnumWindows(&MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace explorer

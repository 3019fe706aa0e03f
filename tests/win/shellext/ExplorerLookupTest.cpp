// The way Explorer finds the handler: from the ContextMenuHandlers keys of
// the folder class and of all files to the class identifier, and from there
// to the registered server. Torvan's integration dialog writes those keys;
// this test writes them itself when they are not there, and takes away only
// what it wrote.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "PackMenuClsid.h"
#include "RegisteredServer.h"
#include "ShellExtHarness.h"

using namespace shellext_test;

namespace {

const wchar_t* const kHandlerKeys[] = {
    L"Directory\\shellex\\ContextMenuHandlers\\Torvan",
    L"*\\shellex\\ContextMenuHandlers\\Torvan",
};

class ExplorerLookup : public RegisteredServer {
protected:
    void SetUp() override {
        for (const wchar_t* key : kHandlerKeys) {
            if (KeyExists(HKEY_CLASSES_ROOT, key)) continue;
            HKEY handle = nullptr;
            ASSERT_EQ(::RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr),
                      ERROR_SUCCESS);
            std::wstring clsid = Wide(PACKMENU_CLSID_TEXT);
            ::RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid.c_str()),
                             static_cast<DWORD>((clsid.size() + 1) * sizeof(wchar_t)));
            ::RegCloseKey(handle);
            m_written.push_back(key);
        }
    }
    void TearDown() override {
        for (const wchar_t* key : m_written) ::RegDeleteKeyW(HKEY_CLASSES_ROOT, key);
    }

    // What Explorer does for one selection under one handler key: read the
    // identifier, make the object, hand it the items, let it fill a menu.
    std::wstring ItemFor(const wchar_t* handlerKey, const std::string& path) {
        std::wstring text;
        EXPECT_TRUE(ReadString(HKEY_CLASSES_ROOT, handlerKey, nullptr, text)) << handlerKey;
        CLSID clsid = {};
        if (FAILED(::CLSIDFromString(text.c_str(), &clsid))) return L"<no class identifier>";
        IShellExtInit* init = nullptr;
        if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                      reinterpret_cast<void**>(&init))))
            return L"<not created>";
        IDataObject* data = ShellDataObject({path});
        IContextMenu* menu = nullptr;
        std::wstring item;
        if (data && SUCCEEDED(init->Initialize(nullptr, data, nullptr)) &&
            SUCCEEDED(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)))) {
            HMENU popup = ::CreatePopupMenu();
            if (HRESULT_CODE(menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL)) == 103) {
                wchar_t buffer[260] = {};
                ::GetMenuStringW(popup, 0, buffer, 260, MF_BYPOSITION);
                item = buffer;
            }
            ::DestroyMenu(popup);
            menu->Release();
        }
        if (data) data->Release();
        init->Release();
        return item;
    }

    std::vector<const wchar_t*> m_written;
};

}  // namespace

TEST_F(ExplorerLookup, TheHandlerKeysLeadToThePackMenuItems) {
    TempFolder folder("explorer");
    EXPECT_EQ(ItemFor(kHandlerKeys[0], folder.AddFolder("site")),
              Wide(AnsiFromUtf8("添加到 Torvan 压缩文件(&Z)....")));
    EXPECT_EQ(ItemFor(kHandlerKeys[1], folder.AddFile("site.dat.gz")),
              Wide(AnsiFromUtf8("用 Torvan 解压此文件到(&E)...")));
    EXPECT_EQ(ItemFor(kHandlerKeys[1], folder.AddFile("notes.txt")), L"");
}

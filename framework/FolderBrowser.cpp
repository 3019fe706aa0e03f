#include "FolderBrowser.h"

#include "Text.h"

std::string ShowFolderBrowser(HWND owner, const std::string& utf8Title, UINT flags, BFFCALLBACK callback,
                              LPARAM data) {
    // The new dialog style hosts shell objects, which want COM on this thread.
    HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string result;
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(::SHGetMalloc(&allocator)) && allocator) {
        std::string title = AnsiFromUtf8(utf8Title);
        BROWSEINFOA info = {};
        info.hwndOwner = owner;
        info.lpszTitle = title.c_str();
        info.ulFlags = flags;
        info.lpfn = callback;
        info.lParam = data;
        if (LPITEMIDLIST chosen = ::SHBrowseForFolderA(&info)) {
            char path[MAX_PATH] = {};
            if (::SHGetPathFromIDListA(chosen, path)) result = path;
            allocator->Free(chosen);
        }
        allocator->Release();
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return result;
}

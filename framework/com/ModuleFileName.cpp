#include "ModuleFileName.h"

std::wstring ModuleFileNameW(HINSTANCE module) {
    // Paths longer than MAX_PATH exist; grow until the name is not cut.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
}

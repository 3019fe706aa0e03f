#include "SelectedItem.h"

#include "AnsiLeadByte.h"
#include "LaunchCommand.h"

namespace {

// The ANSI spelling of a UTF-16 path, refused when a character has none:
// the best-fit replacement would name another file.
bool AnsiFromWidePath(const wchar_t* wide, std::string& ansi) {
    BOOL lossy = FALSE;
    int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, nullptr, &lossy);
    if (size <= 1 || lossy || static_cast<size_t>(size - 1) > torvan::kMaxPathBytes) return false;
    ansi.assign(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, &ansi[0], size, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(size - 1));
    return true;
}

}  // namespace

bool ReadFirstSelected(IShellItemArray* items, std::string& ansiPath, bool& folder) {
    ansiPath.clear();
    folder = false;
    IShellItem* item = nullptr;
    if (!items || FAILED(items->GetItemAt(0, &item)) || !item) return false;
    bool read = false;
    wchar_t* path = nullptr;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path) {
        read = AnsiFromWidePath(path, ansiPath);
        ::CoTaskMemFree(path);
    }
    SFGAOF attributes = 0;
    if (read && FAILED(item->GetAttributes(SFGAO_FOLDER | SFGAO_STREAM, &attributes))) read = false;
    folder = (attributes & SFGAO_FOLDER) && !(attributes & SFGAO_STREAM);
    item->Release();
    if (!read) ansiPath.clear();
    return read;
}

torvan::MenuItem ChooseForSelection(IShellItemArray* items) {
    std::string path;
    bool folder = false;
    if (!ReadFirstSelected(items, path, folder)) return torvan::MenuItem::None;
    return torvan::ChooseMenuItem(path, {true, folder}, IsAnsiLeadByte);
}

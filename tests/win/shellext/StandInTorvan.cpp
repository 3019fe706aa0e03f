// A stand-in for Torvan.exe: it records how it was started (the whole
// command line, then the show command it was asked for) as one line of
// launches.txt beside itself, and ends. One line per start, so a test can
// tell one launch from two.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Wide, because a test may install the stand-in deeper than MAX_PATH.
    wchar_t self[1024] = {};
    ::GetModuleFileNameW(nullptr, self, 1024);
    std::wstring log = self;
    log = log.substr(0, log.find_last_of(L'\\') + 1) + L"launches.txt";

    STARTUPINFOA startup = {sizeof startup};
    ::GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    std::string line = std::string(::GetCommandLineA()) + "|" + std::to_string(show) + "\n";

    // One write of the whole line, so a reader never sees half of it.
    std::FILE* out = ::_wfopen(log.c_str(), L"ab");
    if (!out) return 1;
    bool ok = std::fwrite(line.data(), 1, line.size(), out) == line.size();
    return (std::fclose(out) == 0 && ok) ? 0 : 1;
}

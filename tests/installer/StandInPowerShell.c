/* A stand-in for powershell.exe in the test prefix: it appends its command
 * line to the file TORVAN_POWERSHELL_LOG, with "dll present" or "dll gone"
 * for the file TORVAN_WATCHED_DLL at that moment, and exits with the code in
 * TORVAN_POWERSHELL_EXIT (0 when unset). */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int main(void) {
    const char* log = getenv("TORVAN_POWERSHELL_LOG");
    const char* dll = getenv("TORVAN_WATCHED_DLL");
    const char* code = getenv("TORVAN_POWERSHELL_EXIT");
    FILE* file = log ? fopen(log, "ab") : NULL;
    if (file) {
        int present = dll && GetFileAttributesA(dll) != INVALID_FILE_ATTRIBUTES;
        fprintf(file, "%s | dll %s\n", GetCommandLineA(), present ? "present" : "gone");
        fclose(file);
    }
    return code ? atoi(code) : 0;
}

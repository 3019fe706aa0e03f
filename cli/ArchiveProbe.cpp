#include "ArchiveProbe.h"

#include <zlib.h>

#include <cctype>
#include <cstdio>
#include <vector>

#include "FileSystem.h"
#include "GzipFile.h"
#include "LocalPaths.h"

namespace torvan::cli {

namespace {

bool PreambleLooksValid(const unsigned char* head, size_t size)
{
    if (size < 32) return false;
    for (int field = 0; field < 2; ++field) {
        long value = 0;
        const unsigned char* p = head + field * 16;
        int i = 0;
        while (i < 16 && std::isspace(p[i])) ++i;
        if (i < 16 && p[i] == '+') ++i;
        while (i < 16 && std::isdigit(p[i])) value = value * 10 + (p[i++] - '0');
        if (value <= 0) return false;
    }
    return true;
}

}  // namespace

bool CheckArchiveArgument(Console& console, const std::string& path, const std::string& command)
{
    if (!Exists(path)) {
        console.Error(path, "no such archive");
        return false;
    }
    if (!IsRegularFile(path)) {
        console.Error(path, "not a file (" + command + " takes an archive file)");
        return false;
    }
    return true;
}

std::string WhyNotAnArchive(const std::string& path)
{
    FileSystem& fs = PlatformFileSystem();
    const FileSystem::Handle file = fs.OpenShared(path);
    if (file == FileSystem::kNoHandle) return "cannot be opened";
    unsigned char magic[2] = {};
    const long long got = fs.Read(file, magic, 2);
    fs.Close(file);
    if (got <= 0) return "empty file, not an archive";
    bool gzip = got == 2 && magic[0] == 0x1f && magic[1] == 0x8b;

    gzFile gz = OpenGzipFile(path, "rb");
    if (!gz) return "cannot be opened";
    std::vector<unsigned char> buffer(1 << 16);
    int first = gzread(gz, buffer.data(), static_cast<unsigned>(buffer.size()));
    std::string why;
    if (first < 0) {
        int code = 0;
        why = std::string("corrupt gzip data (") + gzerror(gz, &code) + ")";
    } else if (!PreambleLooksValid(buffer.data(), static_cast<size_t>(first))) {
        why = gzip ? "not an archive (valid gzip, but not of an archive)"
                   : "not an archive (it does not begin with the archive's two numbers)";
    } else if (gzip) {
        // The head is fine: read on to find where the compressed data breaks.
        int more;
        while ((more = gzread(gz, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) {
        }
        int code = 0;
        if (more < 0) why = std::string("corrupt gzip data (") + gzerror(gz, &code) + ")";
    }
    gzclose(gz);
    return why.empty() ? "not an archive, or it cannot be read" : why;
}

}  // namespace torvan::cli

// msixpack: writes a sparse package from its manifest and payload files.
//
//   msixpack <out.msix> <AppxManifest.xml> [<name in package>=<file>]...
//
// e.g. msixpack TorvanShell.msix AppxManifest.xml 'Assets\Logo.png=logo.png'.
// Exits non-zero, saying why, on anything it cannot read, refuses or write,
// and then leaves no package behind.
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>

#include "Package.h"

namespace {

bool ReadFile(const std::string& path, msix::Bytes& data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

int Fail(const std::string& why) {
    std::fprintf(stderr, "msixpack: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Fail("usage: msixpack <out.msix> <AppxManifest.xml> [<name>=<file>]...");
    try {
        msix::Bytes manifest;
        if (!ReadFile(argv[2], manifest)) return Fail(std::string("cannot read ") + argv[2]);
        std::vector<msix::PayloadFile> payload;
        for (int i = 3; i < argc; ++i) {
            std::string argument = argv[i];
            std::size_t equals = argument.find('=');
            if (equals == std::string::npos) return Fail("'" + argument + "' is not <name>=<file>");
            msix::PayloadFile file{argument.substr(0, equals), {}};
            if (!ReadFile(argument.substr(equals + 1), file.data))
                return Fail("cannot read " + argument.substr(equals + 1));
            payload.push_back(file);
        }
        msix::Bytes package;
        std::string why;
        if (!msix::BuildPackage(std::string(manifest.begin(), manifest.end()), payload, package, why))
            return Fail(why);
        std::string out = argv[1];
        std::ofstream file(out, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(package.data()), static_cast<std::streamsize>(package.size()));
        file.close();
        if (!file) {
            std::remove(out.c_str());
            return Fail("cannot write " + out);
        }
        return 0;
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
}

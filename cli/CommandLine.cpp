#include "CommandLine.h"

namespace torvan::cli {

namespace {

bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

bool ParseNames(const std::string& value, NameMode& mode, std::string& error)
{
    if (value == "auto") { mode = NameMode::Auto; return true; }
    if (value == "gbk") { mode = NameMode::Gbk; return true; }
    if (value == "utf8") { mode = NameMode::Utf8; return true; }
    if (value == "raw") { mode = NameMode::Raw; return true; }
    error = "unknown name encoding '" + value + "' (use auto, gbk, utf8 or raw)";
    return false;
}

// A whole number from `least` to 10000.
bool ParseCount(const std::string& option, const std::string& value, int least, int& count,
                std::string& error)
{
    int n = 0;
    for (char c : value) {
        if (c < '0' || c > '9' || n > 10000) { n = -1; break; }
        n = n * 10 + (c - '0');
    }
    if (value.empty() || n < least || n > 10000) {
        error = option + " needs a whole number from " + std::to_string(least) + " up, got '" + value + "'";
        return false;
    }
    count = n;
    return true;
}

// Takes the value of an option given either as "--opt VALUE" or "--opt=VALUE".
bool TakeValue(const std::vector<std::string>& args, size_t& i, const std::string& name,
               std::string& value, std::string& error)
{
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
    }
    value = args[++i];
    return true;
}

bool StartsWithOption(const std::string& arg, const std::string& name)
{
    return arg == name || arg.compare(0, name.size() + 1, name + "=") == 0;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, Request& request,
                      std::string& error)
{
    request = Request{};
    if (args.empty()) {
        error = "no command given (try 'torvan --help')";
        return false;
    }

    const std::string& verb = args[0];
    if (verb == "--help" || verb == "-h" || verb == "help") {
        request.command = Command::Help;
        return true;
    }
    if (verb == "--version" || verb == "-V") {
        request.command = Command::Version;
        return true;
    }
    if (verb == "pack") request.command = Command::Pack;
    else if (verb == "unpack") request.command = Command::Unpack;
    else if (verb == "list") request.command = Command::List;
    else if (verb == "test") request.command = Command::Test;
    else {
        error = "unknown command '" + verb + "' (try 'torvan --help')";
        return false;
    }

    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !IsOption(arg)) {
            operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            request.command = Command::Help;
            return true;
        } else if (arg == "--version" || arg == "-V") {
            request.command = Command::Version;
            return true;
        } else if (arg == "--quiet" || arg == "-q") {
            request.quiet = true;
        } else if ((arg == "--verbose" || arg == "-v") &&
                   (request.command == Command::Pack || request.command == Command::Unpack)) {
            request.verbose = true;
        } else if (arg == "--plain" && request.command == Command::Pack) {
            request.plain = true;
        } else if (arg == "--ignore-failed-read" && request.command == Command::Pack) {
            request.ignoreFailedRead = true;
        } else if (StartsWithOption(arg, "--exclude") && request.command == Command::Pack) {
            std::string value;
            if (!TakeValue(args, i, "--exclude", value, error)) return false;
            if (value.empty()) { error = "--exclude needs a pattern"; return false; }
            request.excludes.push_back(value);
        } else if (StartsWithOption(arg, "--exclude-from") && request.command == Command::Pack) {
            std::string value;
            if (!TakeValue(args, i, "--exclude-from", value, error)) return false;
            if (value.empty()) { error = "--exclude-from needs a file"; return false; }
            request.excludeFiles.push_back(value);
        } else if (StartsWithOption(arg, "--strip-components") && request.command != Command::Pack) {
            std::string value;
            if (!TakeValue(args, i, "--strip-components", value, error)) return false;
            if (!ParseCount("--strip-components", value, 0, request.stripComponents, error)) return false;
        } else if (StartsWithOption(arg, "--names")) {
            std::string value;
            if (!TakeValue(args, i, "--names", value, error)) return false;
            if (!ParseNames(value, request.names, error)) return false;
        } else if (StartsWithOption(arg, "--threads") && request.command == Command::Pack) {
            std::string value;
            if (!TakeValue(args, i, "--threads", value, error)) return false;
            if (!ParseCount("--threads", value, 1, request.threads, error)) return false;
        } else if (StartsWithOption(arg, "-o") && request.command == Command::Pack) {
            if (!TakeValue(args, i, "-o", request.archive, error)) return false;
            if (request.archive.empty()) { error = "-o needs a value"; return false; }
        } else if (StartsWithOption(arg, "-C") &&
                   (request.command == Command::Unpack || request.command == Command::Test)) {
            if (!TakeValue(args, i, "-C", request.destination, error)) return false;
            if (request.destination.empty()) { error = "-C needs a value"; return false; }
        } else {
            error = "unknown option '" + arg + "' for " + verb + " (try 'torvan --help')";
            return false;
        }
    }

    const char* what = request.command == Command::Pack ? "FOLDER" : "ARCHIVE";
    if (operands.empty()) {
        error = verb + " needs " + what + " (try 'torvan --help')";
        return false;
    }
    if (operands.size() > 1) {
        error = verb + " takes one " + what + ", got '" + operands[1] + "' too";
        return false;
    }
    if (operands[0].empty()) {
        error = std::string(what) + " is empty";
        return false;
    }
    if (request.command == Command::Pack) request.folder = operands[0];
    else request.archive = operands[0];
    return true;
}

std::string VersionText()
{
    return std::string("torvan ") + TORVAN_VERSION;
}

const char* HelpText()
{
    return
        "usage:\n"
        "  torvan pack [-q] [-v] [--plain] [--threads N] [--names MODE]\n"
        "              [--exclude PATTERN]... [--exclude-from FILE]...\n"
        "              [--ignore-failed-read] FOLDER [-o ARCHIVE]\n"
        "  torvan unpack [-q] [-v] [--names MODE] [--strip-components N] ARCHIVE [-C DEST]\n"
        "  torvan list [--names MODE] [--strip-components N] ARCHIVE\n"
        "  torvan test [-q] [--names MODE] [--strip-components N] ARCHIVE [-C DEST]\n"
        "  torvan --version\n"
        "  torvan --help\n"
        "\n"
        "pack     packs FOLDER, with everything below it, into one archive.\n"
        "         ARCHIVE defaults to <name>.dat.gz beside FOLDER (<name>.dat\n"
        "         with --plain, which leaves out the gzip wrapping). A relative\n"
        "         FOLDER is taken from the current directory; trailing\n"
        "         separators are ignored. An existing ARCHIVE is replaced only\n"
        "         when the new one is complete. Every item that cannot be\n"
        "         packed is named, then nothing is written. Prints the archive\n"
        "         and the file count; exit 0 on success, 1 on failure, 2 when\n"
        "         --ignore-failed-read left something out.\n"
        "unpack   unpacks ARCHIVE (plain or gzip-wrapped) into DEST, which must\n"
        "         exist (default: the current directory). The last line of\n"
        "         output is always 'extracted N, failed M'. Exit 0 when files\n"
        "         were written and none failed, 2 when some were written and\n"
        "         some failed, 1 when none was written.\n"
        "         Names leading outside DEST are refused and count as failed,\n"
        "         and so does a file the archive ends before (it is written\n"
        "         at its full size, zeros in place of the missing bytes; an\n"
        "         existing file is kept).\n"
        "         Damaged archives: gzip data that is corrupt or whose checksum\n"
        "         does not match unpacks nothing. Gzip data that ends before\n"
        "         its checksum never replaces an existing file, is written only\n"
        "         into free places and is never a full success. A manifest\n"
        "         line the archive ends inside is no entry and counts as failed.\n"
        "list     shows the entries of ARCHIVE with their sizes, folders ending\n"
        "         in '/', without unpacking anything. Reads gzip data to its end\n"
        "         to check its checksum. Exit 1 if it is no archive or damaged.\n"
        "test     reads ARCHIVE as unpack would and writes nothing: prints each\n"
        "         problem an unpack into an empty folder (or, with -C, into\n"
        "         DEST as it is) would meet, then 'ok: N files, M folders, B\n"
        "         bytes', 'damaged: N files, F failing', 'not an archive' or\n"
        "         'cannot test: WHY'. Names the archive's own damage, and warns\n"
        "         of bytes after the payload. Exits with the code that unpack\n"
        "         would.\n"
        "         An ARCHIVE of '-' is standard input for unpack, list and test\n"
        "         (gzip or plain), so an archive can come through a pipe; a\n"
        "         file named '-' is './-'.\n"
        "\n"
        "options:\n"
        "  --plain        pack without gzip\n"
        "  --threads N    pack: compress on N threads (default: one per core);\n"
        "                 the archive is byte for byte the same for any N\n"
        "  -o ARCHIVE     pack into ARCHIVE; '-o -' writes it to standard output\n"
        "                 (the count then goes to stderr). A symbolic link or a\n"
        "                 device at ARCHIVE is refused, never replaced\n"
        "  --exclude PATTERN\n"
        "                 pack: leave out items matching the shell pattern, in\n"
        "                 which * crosses '/'. It is tried on each item's path\n"
        "                 below FOLDER and on every trailing part of it, so\n"
        "                 '.git', '*.log' and 'cache/tmp' match at any depth.\n"
        "                 A folder left out is not read at all. Repeatable.\n"
        "  --exclude-from FILE\n"
        "                 pack: read patterns from FILE, one a line\n"
        "  --ignore-failed-read\n"
        "                 pack: leave out, each named, what cannot be read\n"
        "                 (broken links, special files, unreadable files and\n"
        "                 folders) and exit 2; names an archive cannot hold\n"
        "                 still fail the pack\n"
        "  -C DEST        unpack into DEST; test: check an unpack into DEST\n"
        "                 as it is now (a folder or a read-only file in the\n"
        "                 way, a link), without writing anything\n"
        "  --strip-components N\n"
        "                 unpack, list, test: drop the first N folders of every\n"
        "                 name (not counting './'), so that with 1 the\n"
        "                 contents of the archive's top folder land in DEST\n"
        "                 itself; entries left with no name are passed over\n"
        "  --names MODE   how names are read (unpack, list, test) or written\n"
        "                 (pack): auto, gbk, utf8 or raw. unpack, list and test\n"
        "                 default to auto: the archive's names are found to be\n"
        "                 UTF-8 (as Linux and the server script write them) or\n"
        "                 GBK (as Chinese Windows writes them), once for the\n"
        "                 whole archive; when they are neither, the bytes are\n"
        "                 kept and a message says so. gbk or utf8 says what the\n"
        "                 archive holds; raw hands the bytes over unchanged (on\n"
        "                 Windows: in the ANSI code page). pack writes the local\n"
        "                 bytes by default (raw) on Linux and the ANSI code page\n"
        "                 on Windows; --names gbk writes GBK, --names utf8\n"
        "                 UTF-8 (on Windows also names outside the code page).\n"
        "                 A name with no form on the other side is an error\n"
        "                 naming it; it is never written under another name.\n"
        "  -v, --verbose  pack, unpack: name each entry on standard output as\n"
        "                 it is packed or unpacked\n"
        "  -q, --quiet    no progress bar and no messages except errors (unpack\n"
        "                 still ends with its 'extracted N, failed M' line,\n"
        "                 test with its verdict)\n"
        "  -V, --version  print the version\n"
        "\n"
        "A progress bar with percentage, files done and elapsed time is shown on\n"
        "standard error while packing, unpacking and testing, when that is a\n"
        "terminal.\n"
        "\n"
        "An archive holds names, sizes and contents only: no permissions, owners,\n"
        "times or links. New files get the mode the umask allows; a file that is\n"
        "replaced keeps its own. A line of the archive holds at most 323 bytes\n"
        "(name and size), a file at most 2147483647 bytes.\n"
        "\n"
        "Symbolic links: a link to a file is packed as a file with the contents\n"
        "of its target; a link to a folder is not followed but left out, with\n"
        "a message naming it. A link that leads nowhere stops the pack, like\n"
        "any file that cannot be opened, and so do other special files\n"
        "(devices, pipes, sockets), with a message naming them. Unpacking\n"
        "never creates links and never writes through one.\n";
}

}  // namespace torvan::cli

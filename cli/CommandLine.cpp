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

bool ParseThreads(const std::string& value, int& threads, std::string& error)
{
    int n = 0;
    for (char c : value) {
        if (c < '0' || c > '9' || n > 10000) { n = -1; break; }
        n = n * 10 + (c - '0');
    }
    if (value.empty() || n < 1 || n > 10000) {
        error = "--threads needs a whole number from 1 up, got '" + value + "'";
        return false;
    }
    threads = n;
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
        } else if (arg == "--quiet" || arg == "-q") {
            request.quiet = true;
        } else if (arg == "--plain" && request.command == Command::Pack) {
            request.plain = true;
        } else if (StartsWithOption(arg, "--names")) {
            std::string value;
            if (!TakeValue(args, i, "--names", value, error)) return false;
            if (!ParseNames(value, request.names, error)) return false;
        } else if (StartsWithOption(arg, "--threads") && request.command == Command::Pack) {
            std::string value;
            if (!TakeValue(args, i, "--threads", value, error)) return false;
            if (!ParseThreads(value, request.threads, error)) return false;
        } else if (StartsWithOption(arg, "-o") && request.command == Command::Pack) {
            if (!TakeValue(args, i, "-o", request.archive, error)) return false;
            if (request.archive.empty()) { error = "-o needs a value"; return false; }
        } else if (StartsWithOption(arg, "-C") && request.command == Command::Unpack) {
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

const char* HelpText()
{
    return
        "usage:\n"
        "  torvan pack [--plain] [--threads N] FOLDER [-o ARCHIVE]\n"
        "  torvan unpack ARCHIVE [-C DEST]\n"
        "  torvan list ARCHIVE\n"
        "  torvan test ARCHIVE\n"
        "  torvan --help\n"
        "\n"
        "pack     packs FOLDER, with everything below it, into one archive.\n"
        "         ARCHIVE defaults to <name>.dat.gz beside FOLDER (<name>.dat\n"
        "         with --plain, which leaves out the gzip wrapping). A relative\n"
        "         FOLDER is taken from the current directory; trailing\n"
        "         separators are ignored. An existing ARCHIVE is replaced only\n"
        "         when the new one is complete. Prints the archive and the file\n"
        "         count; exit 0 on success, 1 on failure.\n"
        "unpack   unpacks ARCHIVE (plain or gzip-wrapped) into DEST, which must\n"
        "         exist (default: the current directory). The last line of\n"
        "         output is always 'extracted N, failed M'. Exit 0 when files\n"
        "         were written and none failed, 2 when some were written and\n"
        "         some failed, 1 when none was written.\n"
        "         Names leading outside DEST are refused and count as failed,\n"
        "         and so does a file the archive ends before (it is written\n"
        "         at its full size, zeros in place of the missing bytes).\n"
        "list     shows the entries of ARCHIVE with their sizes, folders ending\n"
        "         in '/', without unpacking anything. Exit 1 if it is no archive.\n"
        "test     reads ARCHIVE as unpack would and writes nothing: prints each\n"
        "         problem an unpack into an empty folder would meet, then\n"
        "         'ok: N files, M folders, B bytes' or 'damaged: N files, F\n"
        "         failing'. Exits with the code that unpack would.\n"
        "\n"
        "options:\n"
        "  --plain        pack without gzip\n"
        "  --threads N    pack: compress on N threads (default: one per core);\n"
        "                 the archive is byte for byte the same for any N\n"
        "  -o ARCHIVE     pack into ARCHIVE\n"
        "  -C DEST        unpack into DEST\n"
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
        "  -q, --quiet    no progress bar and no messages except errors (unpack\n"
        "                 still ends with its 'extracted N, failed M' line,\n"
        "                 test with its verdict)\n"
        "\n"
        "A progress bar with percentage, files done and elapsed time is shown on\n"
        "standard error while packing, unpacking and testing, when that is a\n"
        "terminal.\n"
        "\n"
        "Symbolic links: a link to a file is packed as a file with the contents\n"
        "of its target; a link to a folder is not followed but left out, with\n"
        "a message naming it. A link that leads nowhere stops the pack, like\n"
        "any file that cannot be opened, and so do other special files\n"
        "(devices, pipes, sockets), with a message naming them. Unpacking\n"
        "never creates links and never writes through one.\n";
}

}  // namespace torvan::cli

// What a caller may add to a pack or unpack job beyond its paths: progress,
// a voice for problems, name translation and the file system to work on.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace torvan {

class ExcludePatterns;
class FileSystem;
class NameCodec;

// Called with a percentage at every tenth file, as the format's peers expect.
using ProgressFn = std::function<void(int percent)>;

struct EngineOptions {
    // Called after every file with (files so far, file count); lets a console
    // show a finer bar than the every-tenth-file percentage does.
    std::function<void(int done, int total)> fileDone;

    // Told about every refusal and failure: the path or archive name it
    // concerns, and why, in plain English. The counting rules do not change.
    std::function<void(const std::string& what, const std::string& why)> problem;

    // Translates names between the local file system and the archive's
    // bytes. Null means this side's own narrow form (RawNames): the bytes
    // unchanged on POSIX, the ANSI code page on Windows.
    const NameCodec* names = nullptr;

    // Unpacking and listing: called once per archive with every name its
    // manifest holds, before any is used; what it returns reads them all
    // (null: `names`). So a site never lands half in one encoding.
    std::function<const NameCodec*(const std::vector<std::string>& archiveNames)> chooseNames;

    // Null means the platform's own file system.
    FileSystem* fs = nullptr;

    // Threads that compress; 0 means one per core. The archive's bytes
    // are the same whatever the number.
    int threads = 0;

    // Called with the archive name of every folder and file as it goes
    // into the manifest, or as it is unpacked.
    std::function<void(const std::string& name)> entryDone;

    // Pack: items to leave out; their folders are not even walked.
    const ExcludePatterns* exclude = nullptr;

    // Pack: an item that cannot be read (a broken link, a special file, an
    // unreadable file or folder) is left out, with a problem report,
    // instead of failing the pack. Names an archive cannot hold still fail.
    bool ignoreFailedRead = false;

    // Unpack and list: leading components of every archive name to drop
    // (after "./"), so that a top folder's contents land in the
    // destination itself. Entries left with no name are passed over.
    int stripComponents = 0;
};

}  // namespace torvan

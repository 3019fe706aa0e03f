#include <cstdio>

#include "ArchiveWriter.h"
#include "Commands.h"
#include "EngineSetup.h"
#include "ExcludePatterns.h"
#include "LocalPaths.h"

namespace torvan::cli {

namespace {

// Patterns one a line; a Windows editor's line ends are fine too.
bool ReadPatterns(Console& console, const std::string& file, ExcludePatterns& patterns)
{
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (!in) {
        console.Error(file, "cannot be opened: " + LastErrorText());
        return false;
    }
    std::string line;
    for (int c; (c = std::fgetc(in)) != EOF;) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        patterns.Add(line);
        line.clear();
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    patterns.Add(line);
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) console.Error(file, "cannot be read: " + LastErrorText());
    return !failed;
}

int ReportLeftOut(Console& console, const PackJob& job)
{
    if (job.leftOut == 0) return 0;
    // Not the whole folder: a script must not take it for one.
    console.Error(std::to_string(job.leftOut) + (job.leftOut == 1 ? " item" : " items") +
                  " that could not be read left out (named above)");
    return 2;
}

std::string FilesText(int count) { return std::to_string(count) + (count == 1 ? " file" : " files"); }

// The archive goes down a pipe as it is made; the count goes to stderr,
// where it cannot mix with the data.
int PackToStdout(Console& console, EngineSetup& setup, PackJob& job)
{
    if (StandardOutputIsTerminal()) {
        // Compressed bytes would only garble the screen.
        console.Error("-o -: standard output is a terminal; redirect it to a file or a pipe");
        return 1;
    }
    job.archive = "standard output";
    job.stream = StandardOutputHandle();
    const int errorsBefore = console.ErrorCount();
    const bool ok = Pack(job, nullptr, setup.options);
    console.Progress().Finish();
    if (!ok) {
        if (console.ErrorCount() == errorsBefore) console.Error(job.folder, "packing failed");
        console.Error("the archive on standard output is incomplete; do not unpack it");
        return 1;
    }
    console.Say("packed " + FilesText(job.fileCount) + " to standard output");
    return ReportLeftOut(console, job);
}

}  // namespace

int RunPack(const Request& request)
{
    Console console(request.quiet);
    const bool toStdout = request.archive == "-";
    if (toStdout) console.KeepStdoutForData();
    EngineSetup setup;
    MakeEngineSetup(request, console, setup);

    setup.options.threads = request.threads;
    setup.options.ignoreFailedRead = request.ignoreFailedRead;
    ExcludePatterns exclude(NativePathStyle());
    for (const std::string& pattern : request.excludes) exclude.Add(pattern);
    for (const std::string& file : request.excludeFiles)
        if (!ReadPatterns(console, file, exclude)) return 1;
    if (!exclude.Empty()) setup.options.exclude = &exclude;

    PackJob job;
    job.folder = AbsoluteFolder(request.folder);
    job.gzip = !request.plain;

    if (!Exists(job.folder)) {
        console.Error(job.folder, "no such folder");
        return 1;
    }
    if (!IsFolder(job.folder)) {
        console.Error(job.folder, "not a folder (pack takes a folder)");
        return 1;
    }
    if (LastComponent(job.folder).empty()) {
        console.Error(job.folder, "a root folder has no name to pack under; pack a folder inside it");
        return 1;
    }

    if (toStdout) return PackToStdout(console, setup, job);

    job.archive = request.archive.empty() ? DefaultArchivePath(job.folder, request.plain)
                                          : request.archive;
    if (IsLinkOrSpecial(job.archive)) {
        // Replacing it would cut the link, or swap a device node (as
        // /dev/stdout is) for a regular file; "-o -" is the way to a pipe.
        console.Error(job.archive, "is a symbolic link or a special file, not replaced; "
                                   "name a regular file with -o, or write to standard output with -o -");
        return 1;
    }
    if (IsFolder(job.archive)) {
        console.Error(job.archive, "is a folder; name an archive file with -o");
        return 1;
    }

    int errorsBefore = console.ErrorCount();
    bool ok = Pack(job, nullptr, setup.options);
    console.Progress().Finish();
    if (!ok) {
        // The engine names the cause when it knows one; never fail silently.
        if (console.ErrorCount() == errorsBefore)
            console.Error(job.folder, "packing failed");
        std::string why = WhyNotWritable(FolderOf(job.archive));
        if (!why.empty()) console.Error(FolderOf(job.archive), "cannot be written: " + why);
        console.Error("no archive written; " + job.archive + " is as it was");
        return 1;
    }

    console.Say("packed " + FilesText(job.fileCount) + " into " + job.archive);
    return ReportLeftOut(console, job);
}

}  // namespace torvan::cli

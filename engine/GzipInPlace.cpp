#include <vector>

#include "ArchiveFormat.h"
#include "ArchiveWriter.h"
#include "EngineContext.h"
#include "ParallelDeflate.h"
#include "ScopedFile.h"

namespace torvan {

bool GzipInPlace(const std::string& archive, const EngineOptions& options) {
    EngineContext context(options);
    FileSystem& fs = context.fs;

    ScopedHandle plain(fs, fs.OpenRead(archive));
    if (!plain.IsOpen()) {
        context.Problem(archive, "cannot be opened for compression: " + fs.LastErrorText());
        return false;
    }
    // Beside the archive, so that the final move is a rename on one volume.
    ScratchFile compressed(fs);
    if (!compressed.Create(context.FolderOf(archive))) {
        context.Problem(archive, "cannot create a scratch file in the archive's folder: " + fs.LastErrorText());
        return false;
    }
    const FileSystem::Handle out = compressed.Handle();
    ParallelDeflate gzip([&](const void* data, std::size_t size) { return fs.Write(out, data, size); },
                         options.threads);

    std::vector<char> buffer(kCopyBufferSize);
    for (;;) {
        const long long got = fs.Read(plain.Get(), buffer.data(), buffer.size());
        if (got < 0) {
            context.Problem(archive, "read failed while compressing");
            return false;
        }
        if (got == 0) break;
        if (!gzip.Write(buffer.data(), static_cast<std::size_t>(got))) {
            context.Problem(archive, "write failed while compressing (disk full?)");
            return false;
        }
    }
    if (!gzip.Finish()) {
        context.Problem(archive, "write failed while compressing (disk full?)");
        return false;
    }
    plain.Close();
    if (!compressed.Keep(archive)) {
        context.Problem(archive, "cannot be replaced by its compressed form: " + fs.LastErrorText());
        return false;
    }
    return true;
}

}  // namespace torvan

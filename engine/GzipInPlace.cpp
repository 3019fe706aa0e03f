#include <zlib.h>

#include <vector>

#include "ArchiveFormat.h"
#include "ArchiveWriter.h"
#include "GzipInPlace.h"
#include "EngineContext.h"
#include "ScopedFile.h"

namespace torvan {

bool GzipFileInPlace(const EngineContext& context, const std::string& archive, const std::string& shownAs) {
    FileSystem& fs = context.fs;

    ScopedHandle plain(fs, fs.OpenRead(archive));
    if (!plain.IsOpen()) {
        context.Problem(shownAs, "cannot be opened for compression");
        return false;
    }
    // Beside the archive, so that the final move is a rename on one volume.
    ScratchFile compressed(fs);
    if (!compressed.Create(context.FolderOf(archive))) {
        context.Problem(shownAs, "cannot create a scratch file in the archive's folder");
        return false;
    }
    gzFile gz = gzopen(compressed.Path().c_str(), "wb");
    if (!gz) {
        context.Problem(shownAs, "cannot be opened for compression");
        return false;
    }

    std::vector<char> buffer(kCopyBufferSize);
    bool written = true;
    for (;;) {
        const long long got = fs.Read(plain.Get(), buffer.data(), buffer.size());
        if (got < 0) {
            context.Problem(shownAs, "read failed while compressing");
            written = false;
            break;
        }
        if (got == 0) break;
        if (gzwrite(gz, buffer.data(), static_cast<unsigned>(got)) != got) {
            context.Problem(shownAs, "write failed while compressing (disk full?)");
            written = false;
            break;
        }
    }
    // gzclose flushes the last block and the trailer: its result counts too.
    if (gzclose(gz) != Z_OK && written) {
        context.Problem(shownAs, "write failed while compressing (disk full?)");
        written = false;
    }
    plain.Close();
    if (!written) return false;

    if (!fs.Replace(compressed.Path(), archive)) {
        context.Problem(shownAs, "cannot be replaced by its compressed form");
        return false;
    }
    compressed.Release();
    return true;
}

bool GzipInPlace(const std::string& archive, const EngineOptions& options) {
    return GzipFileInPlace(EngineContext(options), archive, archive);
}

}  // namespace torvan

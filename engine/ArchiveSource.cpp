#include "ArchiveSource.h"

#include <zlib.h>

#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "ArchiveFormat.h"
#include "GzipFile.h"

namespace torvan {
namespace {

// Larger reads than zlib's default 8 KiB: a 1 GiB archive otherwise costs
// over a hundred thousand read calls.
constexpr unsigned kGzipReadBufferSize = 262144;

// Reads until `size` bytes are in or the file ends; the count read, or -1.
long long ReadUpTo(FileSystem& fs, FileSystem::Handle file, char* buffer, std::size_t size) {
    std::size_t total = 0;
    while (total < size) {
        const long long got = fs.Read(file, buffer + total, size - total);
        if (got < 0) return -1;
        if (got == 0) break;
        total += static_cast<std::size_t>(got);
    }
    return static_cast<long long>(total);
}

bool StartsWithGzipMagic(const char* bytes, long long size) {
    return size >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f &&
           static_cast<unsigned char>(bytes[1]) == 0x8b;
}

// zlib's words for a trailer that does not match what was inflated.
bool IsCheckMismatch(const char* message) {
    return message && (std::strstr(message, "incorrect data check") || std::strstr(message, "incorrect length check"));
}

}  // namespace

ArchiveSource::ArchiveSource(const EngineContext& context, const std::string& archive)
    : m_context(context), m_fs(context.fs), m_archive(archive),
      m_shownAs(archive == kStandardInput ? "standard input" : archive), m_direct(context.fs, FileSystem::kNoHandle) {}

ArchiveSource::~ArchiveSource() { Close(); }

void ArchiveSource::Close() {
    if (m_gz) gzclose(m_gz);
    m_gz = nullptr;
    m_direct.Close();
    m_plain = FileSystem::kNoHandle;
}

long long ArchiveSource::PayloadStart() const {
    return static_cast<long long>(kPreambleSize) + m_manifestLength;
}

bool ArchiveSource::Fail(ArchiveOutcome outcome, const std::string& why) {
    m_findings.outcome = outcome;
    m_findings.why = why;
    m_context.Problem(m_shownAs, why);
    return false;
}

bool ArchiveSource::Open() {
    if (m_archive == kStandardInput) {
        if (!OpenStandardInput()) return false;
        return ReadPreamble();
    }
    if (m_fs.KindOf(m_archive) != ItemKind::File) return Fail(ArchiveOutcome::Unread, "archive not found");
    m_direct.Reset(m_fs.OpenShared(m_archive));
    if (!m_direct.IsOpen()) return Fail(ArchiveOutcome::Unread, "cannot be opened: " + m_fs.LastErrorText());
    char magic[2] = {};
    const long long sniffed = ReadUpTo(m_fs, m_direct.Get(), magic, sizeof magic);
    if (sniffed < 0 || !m_fs.Seek(m_direct.Get(), 0)) return Fail(ArchiveOutcome::Unread, "cannot be read");
    if (sniffed == 0) return Fail(ArchiveOutcome::NotAnArchive, "empty file, not an archive");

    if (!StartsWithGzipMagic(magic, sniffed)) {
        // Read where it lies: there is no checksum, and nothing to expand.
        m_findings.outcome = ArchiveOutcome::Plain;
        m_plain = m_direct.Get();
        m_dataSize = m_fs.SizeOf(m_plain);
        return ReadPreamble();
    }
    m_direct.Close();
    m_gzip = true;
    m_gz = OpenGzipFile(m_archive, "rb");
    if (!m_gz) return Fail(ArchiveOutcome::Unread, "cannot be opened");
    gzbuffer(m_gz, kGzipReadBufferSize);
    // Until the stream's end says otherwise.
    m_findings.outcome = ArchiveOutcome::Verified;
    return ReadPreamble();
}

// A pipe cannot be sniffed and re-read, so zlib reads it either way: a
// gzip stream is inflated, anything else passed through as it is.
bool ArchiveSource::OpenStandardInput() {
#ifdef _WIN32
    _setmode(0, _O_BINARY);
    const int input = _dup(0);
#else
    const int input = dup(0);
#endif
    if (input >= 0) m_gz = gzdopen(input, "rb");
    if (!m_gz) return Fail(ArchiveOutcome::Unread, "cannot be read");
    m_fromStandardInput = true;
    gzbuffer(m_gz, kGzipReadBufferSize);
    m_findings.outcome = ArchiveOutcome::Verified;
    return true;
}

long long ArchiveSource::GzRead(char* buffer, std::size_t size) {
    std::size_t total = 0;
    while (total < size && !m_gzEnded) {
        const std::size_t want = size - total < kCopyBufferSize ? size - total : kCopyBufferSize;
        const int got = gzread(m_gz, buffer + total, static_cast<unsigned>(want));
        if (got > 0) {
            total += static_cast<std::size_t>(got);
            continue;
        }
        // Only here does zlib tell a stream that ended before its trailer
        // from one whose trailer it checked.
        m_gzEnded = true;
        int code = Z_OK;
        const char* message = gzerror(m_gz, &code);
        if (got < 0 && code == Z_ERRNO) {
            Fail(ArchiveOutcome::Unread, "cannot be read");
        } else if (got < 0) {
            Fail(ArchiveOutcome::Corrupt, IsCheckMismatch(message) ? "checksum does not match" : "corrupt compressed data");
        } else if (code == Z_BUF_ERROR) {
            m_findings.outcome = ArchiveOutcome::CutShort;
            m_context.Problem(m_shownAs, "compressed data ends before its checksum");
        }
    }
    // Only the first read tells whether the input was gzip at all.
    if (m_fromStandardInput && m_streamPosition == 0 && total > 0) {
        m_gzip = !gzdirect(m_gz);
        if (!m_gzip && m_findings.outcome == ArchiveOutcome::Verified) m_findings.outcome = ArchiveOutcome::Plain;
    }
    m_streamPosition += static_cast<long long>(total);
    if (m_gzEnded) m_dataSize = m_streamPosition;
    return static_cast<long long>(total);
}

bool ArchiveSource::ReadPreamble() {
    char preamble[kPreambleSize] = {};
    const long long got = ReadAt(0, preamble, sizeof preamble);
    if (!m_findings.Opened()) return false;   // a stream that broke at once
    if (got < 0) return Fail(ArchiveOutcome::Unread, "cannot be read");
    if (!ParsePreamble(preamble, m_fileCount, m_manifestLength))
        return Fail(ArchiveOutcome::NotAnArchive, m_gzip ? "not an archive (gzip data, but not of an archive)"
                                                       : "not an archive (it does not begin with the archive's two numbers)");
    return true;
}

long long ArchiveSource::ReadAt(long long offset, char* buffer, std::size_t size) {
    if (m_plain != FileSystem::kNoHandle) {
        if (!m_fs.Seek(m_plain, offset)) return -1;
        return ReadUpTo(m_fs, m_plain, buffer, size);
    }
    if (!m_gz || offset < m_streamPosition) return -1;
    char skipped[4096];
    while (m_streamPosition < offset && !m_gzEnded) {
        const long long gap = offset - m_streamPosition;
        GzRead(skipped, gap < static_cast<long long>(sizeof skipped) ? static_cast<std::size_t>(gap) : sizeof skipped);
    }
    return m_streamPosition < offset ? 0 : GzRead(buffer, size);
}

FileIdentity ArchiveSource::Identity() {
    return m_plain != FileSystem::kNoHandle ? m_fs.IdentityOf(m_plain) : FileIdentity();
}

void ArchiveSource::Finish(long long payloadEnd) {
    if (m_gz && m_plain == FileSystem::kNoHandle && !m_gzEnded) {
        std::vector<char> rest(kCopyBufferSize);
        while (!m_gzEnded) GzRead(rest.data(), rest.size());
    }
    if (payloadEnd < 0 || m_dataSize < 0 || !m_findings.Opened()) return;
    if (m_dataSize > payloadEnd) {
        m_findings.trailingBytes = m_dataSize - payloadEnd;
        m_context.Problem(m_shownAs, "warning: " + std::to_string(m_findings.trailingBytes) +
                                         " bytes after the end of the payload belong to no file");
    } else {
        m_findings.missingBytes = payloadEnd - m_dataSize;
    }
}

}  // namespace torvan

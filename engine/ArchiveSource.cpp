#include "ArchiveSource.h"

#include <errno.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "ArchiveFormat.h"
#include "InflateStream.h"
#include "ReadAhead.h"

namespace torvan {
namespace {

// Standard input, as it comes: a pipe hands out what it has.
long long ReadStandardInput(char* buffer, std::size_t size) {
    for (;;) {
#ifdef _WIN32
        const int got = _read(0, buffer, static_cast<unsigned>(size));
#else
        const ssize_t got = read(0, buffer, size);
#endif
        if (got >= 0 || errno != EINTR) return got;
    }
}

}  // namespace

ArchiveSource::ArchiveSource(const EngineContext& context, const std::string& archive)
    : m_context(context), m_fs(context.fs), m_archive(archive),
      m_shownAs(archive == kStandardInput ? "standard input" : archive), m_direct(context.fs, FileSystem::kNoHandle) {}

ArchiveSource::~ArchiveSource() { Close(); }

// A plain archive stays open until the source goes: where the system
// tells no identities (Windows), its share modes are what keeps an entry
// from replacing it.
void ArchiveSource::Close() {
    m_input.reset();   // its thread is done with the file first
    if (m_gzip) m_direct.Close();
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

// Plain or gzip, file or pipe: one input, read forward on a thread of its
// own while the entries are written, so that reading, inflating,
// checksumming and writing overlap. A file can be read again from its
// start, which lets zlib have the last word on damaged data whichever
// inflater ran; a pipe cannot, so zlib reads it from the first byte.
bool ArchiveSource::Open() {
    ByteSource bytes;
    std::function<bool()> rewind;
    Inflater inflater = Inflater::Fastest;
    if (m_archive == kStandardInput) {
#ifdef _WIN32
        _setmode(0, _O_BINARY);
#endif
        m_fromStandardInput = true;
        bytes = ReadStandardInput;
        inflater = Inflater::Zlib;
    } else {
        if (m_fs.KindOf(m_archive) != ItemKind::File) return Fail(ArchiveOutcome::Unread, "archive not found");
        m_direct.Reset(m_fs.OpenShared(m_archive));
        if (!m_direct.IsOpen()) return Fail(ArchiveOutcome::Unread, "cannot be opened: " + m_fs.LastErrorText());
        FileSystem& fs = m_fs;
        const FileSystem::Handle file = m_direct.Get();
        bytes = [&fs, file](char* buffer, std::size_t size) { return fs.Read(file, buffer, size); };
        rewind = [&fs, file] { return fs.Seek(file, 0); };
    }
    m_input = std::make_unique<ReadAhead>(std::make_unique<InflateStream>(bytes, inflater, rewind));
    // Until the data's end says otherwise.
    m_findings.outcome = ArchiveOutcome::Verified;
    return ReadPreamble();
}

long long ArchiveSource::Read(char* buffer, std::size_t size) {
    if (m_ended || !m_input) return 0;
    const long long got = m_input->Read(buffer, size);
    if (m_position == 0) m_gzip = m_input->IsGzip();
    if (got > 0) m_position += got;
    if (got < static_cast<long long>(size)) End();
    return got > 0 ? got : 0;
}

// What the end of the data says about all of it.
void ArchiveSource::End() {
    m_ended = true;
    m_dataSize = m_position;
    switch (m_input->Ending()) {
    case InflateEnd::Plain:
        m_findings.outcome = ArchiveOutcome::Plain;
        break;
    case InflateEnd::CutShort:
        m_findings.outcome = ArchiveOutcome::CutShort;
        m_context.Problem(m_shownAs, "compressed data ends before its checksum");
        break;
    case InflateEnd::Corrupt:
        Fail(ArchiveOutcome::Corrupt, "corrupt compressed data");
        break;
    case InflateEnd::CheckMismatch:
        Fail(ArchiveOutcome::Corrupt, "checksum does not match");
        break;
    case InflateEnd::ReadError:
        Fail(ArchiveOutcome::Unread, "cannot be read");
        break;
    case InflateEnd::NotYet:
    case InflateEnd::Verified:
        break;
    }
}

bool ArchiveSource::ReadPreamble() {
    char preamble[kPreambleSize] = {};
    const long long got = ReadAt(0, preamble, sizeof preamble);
    if (!m_findings.Opened()) return false;   // a stream that broke at once
    if (got == 0 && !m_fromStandardInput) return Fail(ArchiveOutcome::NotAnArchive, "empty file, not an archive");
    if (!ParsePreamble(preamble, m_fileCount, m_manifestLength))
        return Fail(ArchiveOutcome::NotAnArchive, m_gzip ? "not an archive (gzip data, but not of an archive)"
                                                       : "not an archive (it does not begin with the archive's two numbers)");
    return true;
}

long long ArchiveSource::ReadAt(long long offset, char* buffer, std::size_t size) {
    if (offset < m_position) return -1;
    char skipped[4096];
    while (m_position < offset && !m_ended) {
        const long long gap = offset - m_position;
        Read(skipped, gap < static_cast<long long>(sizeof skipped) ? static_cast<std::size_t>(gap) : sizeof skipped);
    }
    return m_position < offset ? 0 : Read(buffer, size);
}

FileIdentity ArchiveSource::Identity() {
    return m_direct.IsOpen() && !m_gzip ? m_fs.IdentityOf(m_direct.Get()) : FileIdentity();
}

void ArchiveSource::Finish(long long payloadEnd) {
    if (!m_ended) {
        std::vector<char> rest(kCopyBufferSize);
        while (!m_ended) Read(rest.data(), rest.size());
    }
    if (payloadEnd < 0 || !m_findings.Opened()) return;
    if (m_dataSize > payloadEnd) {
        m_findings.trailingBytes = m_dataSize - payloadEnd;
        m_context.Problem(m_shownAs, "warning: " + std::to_string(m_findings.trailingBytes) +
                                         " bytes after the end of the payload belong to no file");
    } else {
        m_findings.missingBytes = payloadEnd - m_dataSize;
    }
}

}  // namespace torvan

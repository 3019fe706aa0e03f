#include "ZipWriter.h"

#include <zlib.h>

#include <stdexcept>

namespace msix {

namespace {

// A fixed time stamp (1 January 1980, the earliest DOS date), so the same
// sources give the same package.
constexpr std::uint16_t kDosTime = 0;
constexpr std::uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;
constexpr std::uint16_t kVersionPlain = 20;  // deflate, folders
constexpr std::uint16_t kVersionZip64 = 45;

void Put(Bytes& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutText(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

}  // namespace

// What a local header and a central record both say of an entry, from
// "version needed" to the length of the extra field.
void ZipWriter::PutEntryFields(Bytes& out, const Entry& entry) {
    Put(out, kVersionPlain, 2);
    Put(out, 0, 2);  // flags: no data descriptor, no encryption
    Put(out, entry.method, 2);
    Put(out, kDosTime, 2);
    Put(out, kDosDate, 2);
    Put(out, entry.crc, 4);
    Put(out, entry.compressedSize, 4);
    Put(out, entry.size, 4);
    Put(out, entry.name.size(), 2);
    Put(out, 0, 2);  // no extra field
}

Bytes Deflate(const Bytes& data) {
    z_stream stream = {};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    Bytes out(deflateBound(&stream, static_cast<uLong>(data.size())));
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) throw std::runtime_error("deflate did not finish");
    return out;
}

std::size_t ZipWriter::Add(const std::string& name, const Bytes& data, bool deflate) {
    Entry entry;
    entry.name = name;
    entry.method = deflate ? 8 : 0;
    entry.crc = static_cast<std::uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
    Bytes stored = deflate ? Deflate(data) : data;
    entry.compressedSize = stored.size();
    entry.size = data.size();
    entry.offset = m_out.size();
    if (entry.compressedSize >= 0xFFFFFFFFu || entry.size >= 0xFFFFFFFFu)
        throw std::runtime_error(name + ": entries of 4 GiB and more are not supported");

    std::size_t start = m_out.size();
    Put(m_out, 0x04034b50, 4);
    PutEntryFields(m_out, entry);
    PutText(m_out, name);
    std::size_t headerSize = m_out.size() - start;
    m_out.insert(m_out.end(), stored.begin(), stored.end());
    m_entries.push_back(entry);
    return headerSize;
}

Bytes ZipWriter::Finish() {
    std::uint64_t directoryOffset = m_out.size();
    for (const Entry& entry : m_entries) {
        Put(m_out, 0x02014b50, 4);
        Put(m_out, kVersionZip64, 2);  // made by: version 4.5, MS-DOS attributes
        PutEntryFields(m_out, entry);
        Put(m_out, 0, 2);  // comment
        Put(m_out, 0, 2);  // disk
        Put(m_out, 0, 2);  // internal attributes
        Put(m_out, 0, 4);  // external attributes
        Put(m_out, entry.offset, 4);
        PutText(m_out, entry.name);
    }
    std::uint64_t directorySize = m_out.size() - directoryOffset;
    std::uint64_t zip64EndOffset = m_out.size();

    Put(m_out, 0x06064b50, 4);  // Zip64 end of central directory record
    Put(m_out, 44, 8);          // its size after this field
    Put(m_out, kVersionZip64, 2);
    Put(m_out, kVersionZip64, 2);
    Put(m_out, 0, 4);  // this disk
    Put(m_out, 0, 4);  // the directory's disk
    Put(m_out, m_entries.size(), 8);
    Put(m_out, m_entries.size(), 8);
    Put(m_out, directorySize, 8);
    Put(m_out, directoryOffset, 8);

    Put(m_out, 0x07064b50, 4);  // Zip64 end of central directory locator
    Put(m_out, 0, 4);
    Put(m_out, zip64EndOffset, 8);
    Put(m_out, 1, 4);  // disks in all

    // The classic record defers every field to the Zip64 record.
    Put(m_out, 0x06054b50, 4);
    Put(m_out, 0xFFFF, 2);
    Put(m_out, 0xFFFF, 2);
    Put(m_out, 0xFFFF, 2);
    Put(m_out, 0xFFFF, 2);
    Put(m_out, 0xFFFFFFFF, 4);
    Put(m_out, 0xFFFFFFFF, 4);
    Put(m_out, 0, 2);  // no comment
    m_entries.clear();
    return std::move(m_out);
}

}  // namespace msix

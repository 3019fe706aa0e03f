// The ZIP container of a package, written the way Windows' package reader
// expects: local headers without data descriptors, sizes known up front,
// no comments, and Zip64 end records after the central directory with the
// classic end record pointing to them. Entries stay in the order added.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace msix {

using Bytes = std::vector<std::uint8_t>;

class ZipWriter {
public:
    // Appends one entry; `name` uses "/" between folders. Returns the size
    // of its local file header, which the block map records.
    std::size_t Add(const std::string& name, const Bytes& data, bool deflate);
    // The central directory and the end records; the writer is done then.
    Bytes Finish();

private:
    struct Entry {
        std::string name;
        std::uint16_t method;
        std::uint32_t crc;
        std::uint64_t compressedSize;
        std::uint64_t size;
        std::uint64_t offset;
    };
    static void PutEntryFields(Bytes& out, const Entry& entry);

    Bytes m_out;
    std::vector<Entry> m_entries;
};

// Raw deflate (no zlib or gzip wrapper), as ZIP's method 8 stores it.
Bytes Deflate(const Bytes& data);

}  // namespace msix

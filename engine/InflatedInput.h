// The expanded bytes of an archive as one forward-only input, whatever
// arrived: a gzip stream of one or more members, or plain bytes passed
// through. Read until it returns short, then Ending says how far the bytes
// can be trusted. InflateStream does the work on the caller's thread,
// ReadAhead on a thread of its own; the reader takes either.
#pragma once

#include <cstddef>
#include <functional>

namespace torvan {

// Where the raw bytes come from: the count read into `buffer`, 0 at the
// end, -1 on a read error. A pipe may return fewer bytes than asked for.
using ByteSource = std::function<long long(char* buffer, std::size_t size)>;

enum class InflateEnd {
    NotYet,          // the data has not ended
    Verified,        // gzip, every member's checksum and length matched
    Plain,           // not gzip: passed through, nothing to check
    CutShort,        // gzip that ends before a member's trailer is complete
    Corrupt,         // gzip whose header or deflate data is broken
    CheckMismatch,   // a member's trailer does not match its bytes
    ReadError,       // the source failed (or memory ran out): the data is unknown from there on
};

class InflatedInput {
public:
    virtual ~InflatedInput() = default;

    // Fills `buffer` unless the data ends first; the count, 0 once ended.
    // Never throws. After Corrupt or CheckMismatch the bytes returned are
    // not to be used: they are the reason nothing may be taken from them.
    virtual long long Read(char* buffer, std::size_t size) = 0;
    // NotYet until a Read has come back short.
    virtual InflateEnd Ending() const = 0;
    // Known once the first Read has returned.
    virtual bool IsGzip() const = 0;
};

}  // namespace torvan

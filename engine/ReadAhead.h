// Runs an input's reads on a thread of its own, a few buffers ahead of the
// consumer: while the consumer writes files, the next megabytes are already
// being read, inflated and checksummed on the other core. The buffers are
// bounded (at most 16 MiB in all), so memory does not grow with the archive.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "InflatedInput.h"

namespace torvan {

class ReadAhead : public InflatedInput {
public:
    static constexpr std::size_t kMaxBuffered = 16 * 1024 * 1024;

    // chunkSize * chunks is held to kMaxBuffered. When no thread can be
    // started, the reads simply happen on the caller's thread.
    explicit ReadAhead(std::unique_ptr<InflatedInput> input, std::size_t chunkSize = 1024 * 1024,
                       std::size_t chunks = 8);
    // Stops the reading thread after the read it is in, and waits for it.
    ~ReadAhead() override;
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    long long Read(char* buffer, std::size_t size) override;
    InflateEnd Ending() const override;
    bool IsGzip() const override;

private:
    struct Chunk {
        std::vector<char> bytes;
        std::size_t size = 0;   // how many of bytes hold data
    };

    void Produce();
    // The next filled chunk, waiting for it; nullptr once the input ended.
    Chunk* NextFilled(std::unique_lock<std::mutex>& lock);

    std::unique_ptr<InflatedInput> m_input;
    std::vector<Chunk> m_chunks;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Chunk*> m_free;     // for the producer to fill
    std::deque<Chunk*> m_filled;   // for the consumer, in order
    Chunk* m_reading = nullptr;    // the consumer's current chunk
    std::size_t m_readFrom = 0;    // and how far it has got in it
    bool m_produced = false;       // the producer has seen the input end
    bool m_stopping = false;
    InflateEnd m_ending = InflateEnd::NotYet;
    bool m_gzip = false;
    std::thread m_thread;
    bool m_threaded = false;
};

}  // namespace torvan

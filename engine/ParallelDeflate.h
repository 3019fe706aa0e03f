// gzip compression on every core: the input is cut into blocks of a fixed
// size, the blocks are deflated on worker threads and laid end to end in
// order, their CRCs combined. The result is one standard gzip member, and
// its bytes depend only on the input, never on the number of threads.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "DeflateBlock.h"

namespace torvan {

// Where bytes go, in order; false when they could not be written.
using ByteSink = std::function<bool(const void* data, std::size_t size)>;

class ParallelDeflate {
public:
    // Fixed, since the output depends on it. Measured on the benchmark's
    // web set, 128 KiB to 1 MiB cost the same time; 128 KiB gave the
    // smallest archive (0.04% under 512 KiB) and the least memory.
    static constexpr std::size_t kBlockSize = 128 * 1024;

    // threads <= 0: one per core.
    ParallelDeflate(ByteSink sink, int threads);
    // Stops the workers; a stream not finished is simply abandoned.
    ~ParallelDeflate();
    ParallelDeflate(const ParallelDeflate&) = delete;
    ParallelDeflate& operator=(const ParallelDeflate&) = delete;

    // False once anything has failed (the sink, or zlib); then for good.
    bool Write(const void* data, std::size_t size);
    // Compresses what is left and writes the trailer.
    bool Finish();

    static int DefaultThreads();

private:
    struct Job {
        DeflateBlock block;
        bool done = false;   // guarded by m_lock
    };
    using JobPtr = std::shared_ptr<Job>;

    void Submit(bool last);
    // Writes out finished blocks in order; waits for the oldest while more
    // than `keep` are in flight.
    bool Drain(std::size_t keep);
    void WorkerLoop();
    JobPtr NewJob();

    ByteSink m_sink;
    bool m_failed = false;
    bool m_finished = false;
    JobPtr m_filling;
    std::vector<unsigned char> m_window;   // the last bytes of the block before
    bool m_firstSubmitted = false;
    std::size_t m_blocksWritten = 0;
    unsigned long m_crc = 0;
    unsigned long long m_length = 0;

    // With one thread there are no workers: blocks are compressed in place.
    std::unique_ptr<BlockDeflater> m_inline;
    std::vector<std::thread> m_workers;
    std::size_t m_maxInFlight = 1;

    std::mutex m_lock;
    std::condition_variable m_workReady;
    std::condition_variable m_blockDone;
    std::deque<JobPtr> m_queue;      // waiting for a worker
    std::deque<JobPtr> m_inFlight;   // submitted, not yet written, in order
    std::vector<JobPtr> m_spare;     // written; their buffers are reused
    bool m_stopping = false;
};

}  // namespace torvan

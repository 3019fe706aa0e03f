#include "ParallelDeflate.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace torvan {

int ParallelDeflate::DefaultThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
}

ParallelDeflate::ParallelDeflate(ByteSink sink, int threads) : m_sink(std::move(sink)) {
    if (threads <= 0) threads = DefaultThreads();
    if (threads > 1) {
        try {
            for (int i = 0; i < threads; ++i) m_workers.emplace_back(&ParallelDeflate::WorkerLoop, this);
        } catch (const std::system_error&) {
            // Fewer threads only cost time: the bytes come out the same.
        }
    }
    if (m_workers.empty()) m_inline = std::make_unique<BlockDeflater>();
    // Two blocks per worker keep every core busy while the oldest block
    // waits to be written; a fixed count keeps memory bounded.
    m_maxInFlight = m_workers.empty() ? 1 : 2 * m_workers.size();
    m_filling = NewJob();
}

ParallelDeflate::~ParallelDeflate() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stopping = true;
    }
    m_workReady.notify_all();
    for (std::thread& worker : m_workers) worker.join();
}

ParallelDeflate::JobPtr ParallelDeflate::NewJob() {
    JobPtr job;
    if (!m_spare.empty()) {
        job = m_spare.back();
        m_spare.pop_back();
    } else {
        job = std::make_shared<Job>();
        job->block.input.reserve(kBlockSize);
    }
    job->block.input.clear();
    job->done = false;
    return job;
}

bool ParallelDeflate::Write(const void* data, std::size_t size) {
    if (m_failed || m_finished) return false;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        std::vector<unsigned char>& input = m_filling->block.input;
        // A full block goes only when more data follows, so that an input
        // of exactly one block is still compressed as a single piece.
        if (input.size() == kBlockSize) {
            Submit(false);
            if (!Drain(m_maxInFlight - 1)) return false;
            continue;
        }
        const std::size_t take = std::min(size, kBlockSize - input.size());
        input.insert(input.end(), bytes, bytes + take);
        bytes += take;
        size -= take;
    }
    return true;
}

bool ParallelDeflate::Finish() {
    if (m_failed || m_finished) return false;
    Submit(true);
    m_finished = true;
    if (!Drain(0)) return false;
    if (m_blocksWritten == 1) return true;   // zlib wrote the trailer itself
    unsigned char trailer[8];
    for (int i = 0; i < 4; ++i) {
        trailer[i] = static_cast<unsigned char>(m_crc >> (8 * i));
        trailer[4 + i] = static_cast<unsigned char>(m_length >> (8 * i));
    }
    if (!m_sink(trailer, sizeof trailer)) m_failed = true;
    return !m_failed;
}

void ParallelDeflate::Submit(bool last) {
    JobPtr job = m_filling;
    DeflateBlock& block = job->block;
    block.first = !m_firstSubmitted;
    block.last = last;
    block.dictionary = m_window;
    m_firstSubmitted = true;
    if (!last) {
        const std::size_t keep = std::min(block.input.size(), kDeflateWindow);
        m_window.assign(block.input.end() - static_cast<std::ptrdiff_t>(keep), block.input.end());
        m_filling = NewJob();
    }
    if (m_inline) {
        m_inline->Compress(block);
        job->done = true;
        m_inFlight.push_back(job);
        return;
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_inFlight.push_back(job);
        m_queue.push_back(job);
    }
    m_workReady.notify_one();
}

bool ParallelDeflate::Drain(std::size_t keep) {
    for (;;) {
        JobPtr oldest;
        {
            std::unique_lock<std::mutex> guard(m_lock);
            if (m_inFlight.empty()) break;
            if (!m_inFlight.front()->done) {
                if (m_inFlight.size() <= keep) break;
                m_blockDone.wait(guard, [&] { return m_inFlight.front()->done; });
            }
            oldest = m_inFlight.front();
            m_inFlight.pop_front();
        }
        const DeflateBlock& block = oldest->block;
        if (block.failed || !m_sink(block.output.data(), block.output.size())) m_failed = true;
        if (m_failed) return false;
        m_crc = crc32_combine(m_crc, block.crc, static_cast<z_off_t>(block.input.size()));
        m_length += block.input.size();
        ++m_blocksWritten;
        m_spare.push_back(oldest);
    }
    return !m_failed;
}

void ParallelDeflate::WorkerLoop() {
    BlockDeflater deflater;
    for (;;) {
        JobPtr job;
        {
            std::unique_lock<std::mutex> guard(m_lock);
            m_workReady.wait(guard, [&] { return m_stopping || !m_queue.empty(); });
            if (m_stopping) return;
            job = m_queue.front();
            m_queue.pop_front();
        }
        deflater.Compress(job->block);
        {
            std::lock_guard<std::mutex> guard(m_lock);
            job->done = true;
        }
        m_blockDone.notify_all();
    }
}

}  // namespace torvan

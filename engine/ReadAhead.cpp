#include "ReadAhead.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace torvan {

ReadAhead::ReadAhead(std::unique_ptr<InflatedInput> input, std::size_t chunkSize, std::size_t chunks)
    : m_input(std::move(input)) {
    chunkSize = std::max<std::size_t>(chunkSize, 1);
    chunks = std::clamp<std::size_t>(chunks, 2, std::max<std::size_t>(kMaxBuffered / chunkSize, 2));
    try {
        m_chunks.resize(chunks);
        for (Chunk& chunk : m_chunks) {
            chunk.bytes.resize(chunkSize);
            m_free.push_back(&chunk);
        }
        m_thread = std::thread(&ReadAhead::Produce, this);
        m_threaded = true;
    } catch (const std::exception&) {
        // No memory or no thread for reading ahead: Read reads directly.
        m_chunks.clear();
        m_free.clear();
    }
}

ReadAhead::~ReadAhead() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

// Reads whole chunks ahead; the chunk that comes back short is the last.
void ReadAhead::Produce() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return m_stopping || !m_free.empty(); });
        if (m_stopping) return;
        Chunk* chunk = m_free.front();
        m_free.pop_front();
        lock.unlock();
        chunk->size = static_cast<std::size_t>(m_input->Read(chunk->bytes.data(), chunk->bytes.size()));
        const bool ended = chunk->size < chunk->bytes.size();
        lock.lock();
        m_filled.push_back(chunk);
        if (ended) {
            m_ending = m_input->Ending();
            m_gzip = m_input->IsGzip();
            m_produced = true;
        } else if (!m_gzip) {
            m_gzip = m_input->IsGzip();
        }
        m_changed.notify_all();
        if (ended) return;
    }
}

ReadAhead::Chunk* ReadAhead::NextFilled(std::unique_lock<std::mutex>& lock) {
    m_changed.wait(lock, [this] { return !m_filled.empty() || m_produced; });
    if (m_filled.empty()) return nullptr;
    Chunk* chunk = m_filled.front();
    m_filled.pop_front();
    return chunk;
}

long long ReadAhead::Read(char* buffer, std::size_t size) {
    if (!m_threaded) return m_input->Read(buffer, size);
    std::size_t done = 0;
    std::unique_lock<std::mutex> lock(m_mutex);
    while (done < size) {
        if (!m_reading) {
            m_reading = NextFilled(lock);
            m_readFrom = 0;
            if (!m_reading) break;
        }
        // Copying needs no lock: the producer does not touch a filled chunk.
        lock.unlock();
        const std::size_t piece = std::min(size - done, m_reading->size - m_readFrom);
        std::memcpy(buffer + done, m_reading->bytes.data() + m_readFrom, piece);
        done += piece;
        m_readFrom += piece;
        lock.lock();
        if (m_readFrom == m_reading->size) {
            m_free.push_back(m_reading);
            m_reading = nullptr;
            m_changed.notify_all();
        }
    }
    return static_cast<long long>(done);
}

InflateEnd ReadAhead::Ending() const {
    if (!m_threaded) return m_input->Ending();
    std::lock_guard<std::mutex> lock(m_mutex);
    // Only once the consumer has had every byte.
    return m_filled.empty() && !m_reading ? m_ending : InflateEnd::NotYet;
}

bool ReadAhead::IsGzip() const {
    if (!m_threaded) return m_input->IsGzip();
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_gzip;
}

}  // namespace torvan

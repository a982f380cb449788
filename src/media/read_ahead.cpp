#include "media/read_ahead.h"

namespace quelvo {

namespace {
constexpr size_t kSlots = 4;
}

ReadAhead::ReadAhead(PcmStream& stream, int blockFrames, bool onThread)
    : m_stream(stream), m_blockFrames(blockFrames), m_slots(onThread ? kSlots : 1) {
    const int channels = stream.format().channels;
    for (Slot& slot : m_slots) {
        slot.data.assign(static_cast<size_t>(channels),
                         std::vector<double>(static_cast<size_t>(blockFrames)));
        for (auto& plane : slot.data)
            slot.planes.push_back(plane.data());
    }
    if (onThread) m_thread = std::thread([this] { decode(); });
}

ReadAhead::~ReadAhead() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void ReadAhead::decode() {
    for (;;) {
        Slot* slot = nullptr;
        {
            std::unique_lock lock(m_mutex);
            // The slot the reader holds (m_read - 1) is not written over.
            m_changed.wait(
                lock, [this] { return m_stopping || m_written + 1 < m_read + m_slots.size(); });
            if (m_stopping) return;
            slot = &m_slots[m_written % m_slots.size()];
        }
        slot->frames = m_stream.read(slot->planes.data(), m_blockFrames);
        {
            std::lock_guard lock(m_mutex);
            ++m_written;
            if (slot->frames <= 0) m_ended = true;
        }
        m_changed.notify_all();
        if (slot->frames <= 0) return;
    }
}

int ReadAhead::next(const double* const*& planes) {
    if (!m_thread.joinable()) {
        Slot& slot = m_slots[0];
        slot.frames = m_ended ? 0 : m_stream.read(slot.planes.data(), m_blockFrames);
        m_ended = slot.frames <= 0;
        planes = slot.planes.data();
        return slot.frames;
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_written > m_read || m_ended; });
    if (m_written == m_read) return 0; // asked again after the end
    Slot& slot = m_slots[m_read % m_slots.size()];
    ++m_read;
    lock.unlock();
    m_changed.notify_all();
    planes = slot.planes.data();
    return slot.frames;
}

} // namespace quelvo

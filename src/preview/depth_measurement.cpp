#include "preview/depth_measurement.h"

namespace quelvo::preview {

DepthMeasurement::DepthMeasurement(Done done)
    : m_done(std::move(done)), m_thread([this] { run(); }) {}

DepthMeasurement::~DepthMeasurement() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_waiting.reset();
    }
    m_wake.notify_one();
    m_thread.join();
}

unsigned DepthMeasurement::request(DepthRequest request) {
    std::lock_guard lock(m_mutex);
    m_waiting = std::move(request);
    m_wake.notify_one();
    return ++m_generation;
}

void DepthMeasurement::cancel() {
    std::lock_guard lock(m_mutex);
    m_waiting.reset();
    ++m_generation;
}

unsigned DepthMeasurement::generation() const {
    std::lock_guard lock(m_mutex);
    return m_generation;
}

void DepthMeasurement::run() {
    for (;;) {
        Answer answer;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || m_waiting; });
            if (m_stopping) return;
            answer.request = std::move(*m_waiting);
            answer.generation = m_generation;
            m_waiting.reset();
        }
        const DepthRequest& r = answer.request;
        answer.depths = mix::loudnessDepths(r.dialoguePath, r.musicPath, r.speech, r.rolls,
                                            r.underLU, r.fixedLevel, r.overallDb);
        std::lock_guard lock(m_mutex);
        if (!m_stopping && answer.generation == m_generation) m_done(answer);
    }
}

} // namespace quelvo::preview

#include "preview/depth_measurement.h"

#include <utility>

namespace quelvo::preview {

DepthMeasurement::DepthMeasurement(Done done) : m_done(std::move(done)) {}

DepthMeasurement::~DepthMeasurement() {
    TaskHandle<TaskDone> running;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_waiting.reset();
        running = m_task;
    }
    if (running.valid()) running.wait();
}

unsigned DepthMeasurement::request(DepthRequest request) {
    unsigned generation;
    bool start;
    {
        std::lock_guard lock(m_mutex);
        m_waiting = std::move(request);
        generation = ++m_generation;
        start = !std::exchange(m_running, true);
    }
    if (start) startRunning();
    return generation;
}

// A task runs while requests keep coming, and ends when none waits. It is
// started without the lock: with no thread to be had it runs right here.
void DepthMeasurement::startRunning() {
    TaskRequest<TaskDone> request;
    request.name = "preview depths";
    request.delivery = Delivery{};
    request.work = [this](TaskControl&) -> TaskReturn<TaskDone> {
        run();
        return TaskDone{};
    };
    TaskHandle<TaskDone> started = TaskRunner::shared().start(std::move(request));
    std::lock_guard lock(m_mutex);
    m_task = std::move(started);
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
            std::lock_guard lock(m_mutex);
            if (m_stopping || !m_waiting) {
                m_running = false;
                return;
            }
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

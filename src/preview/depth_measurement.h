#pragma once
// Depth by loudness for the preview: the core's loudnessDepths (the one the
// job, and so --plot and render, use) run as a background task for the
// speech the preview shows. The measurement reads both files from start to
// end and cannot stop half-way, so requests do not queue: the latest one
// waits for the running measurement and every older answer is dropped. No Qt
// here: the desktop program hops the answers to its GUI thread.
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "base/cluster.h"
#include "base/task_runner.h"
#include "mix/loudness_depth.h"
#include "project/envelope_timing.h"

namespace quelvo::preview {

// Everything the ducked levels depend on.
struct DepthRequest {
    std::string dialoguePath, musicPath;
    quelvo::ClusterList speech;
    EnvelopeTiming rolls;
    double underLU = 0;
    int fixedLevel = 0; // where the loudness says nothing (silent music, no speech)
    int overallDb = 0;
    bool operator==(const DepthRequest&) const = default;
};

class DepthMeasurement {
  public:
    struct Answer {
        unsigned generation = 0;
        DepthRequest request;
        mix::LoudnessDepths depths;
    };
    // Called on the measurement's task, only for the latest request.
    using Done = std::function<void(const Answer&)>;

    explicit DepthMeasurement(Done done);
    // Waits for a running measurement.
    ~DepthMeasurement();
    DepthMeasurement(const DepthMeasurement&) = delete;
    DepthMeasurement& operator=(const DepthMeasurement&) = delete;

    // Measures for `request` once the running measurement is done; returns its generation.
    unsigned request(DepthRequest request);
    // Drops the waiting request and the running one's answer.
    void cancel();
    unsigned generation() const;

  private:
    void run();
    void startRunning();

    Done m_done;
    mutable std::mutex m_mutex;
    std::optional<DepthRequest> m_waiting;
    unsigned m_generation = 0;
    bool m_stopping = false;
    bool m_running = false;
    TaskHandle<TaskDone> m_task;
};

} // namespace quelvo::preview

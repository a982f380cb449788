#pragma once
// The preview's background analysis for the GUI: the core's runner with its
// answers moved to the GUI thread, and the kept track of a path reused, so
// that changing the music does not decode the dialogue again.
#include <memory>
#include <string>

#include <QObject>
#include <QString>

#include "preview/background_analysis.h"
#include "preview/depth_measurement.h"

namespace quelvo::ui {

class PreviewAnalysis : public QObject {
    Q_OBJECT
  public:
    using Track = quelvo::preview::BackgroundAnalysis::Track;

    explicit PreviewAnalysis(QObject* parent = nullptr);
    ~PreviewAnalysis() override;

    // `features` says when the dialogue's speech features are measured: with
    // the levels when the picture needs them, otherwise after the first picture.
    void start(const std::string& dialoguePath, const std::string& musicPath,
               quelvo::preview::BackgroundAnalysis::FeaturesWhen features =
                   quelvo::preview::BackgroundAnalysis::FeaturesWhen::withLevels);
    void cancel() { m_runner.cancel(); }
    bool isRunning() const { return m_runner.hasThread(); }
    // The picture is shown and the dialogue's features are still being measured.
    bool featuresPending() const { return m_featuresPending; }

    // Depth by loudness: measures the levels for the request (the latest
    // wins; see DepthMeasurement), answered by depthsMeasured.
    void measureDepths(quelvo::preview::DepthRequest request) {
        m_depths.request(std::move(request));
    }
    void cancelDepths() { m_depths.cancel(); }
    const quelvo::preview::DepthMeasurement::Answer& lastDepths() const { return m_lastDepths; }

  signals:
    void progressed(double share);
    // The tracks for the paths of the latest start(); `problem` says why one is missing.
    void finished(Track dialogue, Track music, QString problem);
    // After a finished() whose features were pending: the dialogue's track
    // again, now with its speech features (the same track, still without
    // them, when the second reading failed; `problem` says why).
    void featuresArrived(Track dialogue, QString problem);
    // lastDepths() holds the answer to the latest measureDepths().
    void depthsMeasured();

  private:
    void deliver(const quelvo::preview::BackgroundAnalysis::Outcome& outcome);

    quelvo::preview::BackgroundAnalysis m_runner;
    std::string m_dialoguePath, m_musicPath;
    Track m_dialogue, m_music; // kept for the paths above
    bool m_featuresPending = false;
    quelvo::preview::DepthMeasurement::Answer m_lastDepths;
    // Last: destroyed first, it waits for its thread while the rest is alive.
    quelvo::preview::DepthMeasurement m_depths;
};

} // namespace quelvo::ui

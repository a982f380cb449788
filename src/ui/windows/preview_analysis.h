#pragma once
// The preview's background analysis: decodes the dialogue and the music once
// on a thread of its own and hands the kept levels to the GUI thread. A new
// request, cancel() or destruction stops the running one and waits for its
// thread, so no analysis outlives the files it was started for.
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include <QObject>
#include <QString>

#include "preview/level_track.h"

namespace kyui {

class PreviewAnalysis : public QObject {
    Q_OBJECT
public:
    using Track = std::shared_ptr<const quelvo::preview::LevelTrack>;

    explicit PreviewAnalysis(QObject* parent = nullptr);
    ~PreviewAnalysis() override;

    // Analyses the files not already kept ("" for none); a track kept for the
    // same path is reused, so changing the music does not decode the dialogue.
    void start(const std::string& dialoguePath, const std::string& musicPath);
    void cancel();
    bool isRunning() const { return m_thread.joinable(); }

    // Threads of every PreviewAnalysis alive right now (for tests).
    static int liveThreads();

signals:
    void progressed(double share);
    // Both tracks for the paths of the latest start(); a track is null where
    // its path was "" or could not be read (`problem` then says why).
    void finished(Track dialogue, Track music, QString problem);

private:
    void deliver(unsigned generation, Track dialogue, Track music, QString problem);

    std::thread m_thread;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    unsigned m_generation = 0;
    std::string m_dialoguePath, m_musicPath;
    Track m_dialogue, m_music;  // kept for the paths above
};

} // namespace kyui

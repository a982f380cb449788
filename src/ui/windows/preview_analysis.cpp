#include "ui/windows/preview_analysis.h"

#include <QMetaObject>

namespace quelvo::ui {

using quelvo::preview::BackgroundAnalysis;

// The runner's callbacks run on its thread; Qt drops the queued calls if this
// object is gone, and the destructor waits for the thread before that.
PreviewAnalysis::PreviewAnalysis(QObject* parent)
    : QObject(parent),
      m_runner(
          [this](unsigned generation, double share) {
              QMetaObject::invokeMethod(
                  this,
                  [this, generation, share] {
                      if (generation == m_runner.generation()) emit progressed(share);
                  },
                  Qt::QueuedConnection);
          },
          [this](const BackgroundAnalysis::Outcome& outcome) {
              QMetaObject::invokeMethod(
                  this, [this, outcome] { deliver(outcome); }, Qt::QueuedConnection);
          }),
      m_depths([this](const quelvo::preview::DepthMeasurement::Answer& answer) {
          QMetaObject::invokeMethod(
              this,
              [this, answer] {
                  if (answer.generation != m_depths.generation()) return;
                  m_lastDepths = answer;
                  emit depthsMeasured();
              },
              Qt::QueuedConnection);
      }) {
    qRegisterMetaType<Track>("Track");
}

PreviewAnalysis::~PreviewAnalysis() {
    m_runner.cancel();
    m_depths.cancel();
}

void PreviewAnalysis::start(const std::string& dialoguePath, const std::string& musicPath,
                            BackgroundAnalysis::FeaturesWhen features) {
    Track dialogue = dialoguePath == m_dialoguePath ? m_dialogue : nullptr;
    Track music = musicPath == m_musicPath ? m_music : nullptr;
    m_dialoguePath = dialoguePath;
    m_musicPath = musicPath;
    m_featuresPending = false;
    m_runner.start(dialoguePath, musicPath, dialogue, music, features);
}

void PreviewAnalysis::deliver(const BackgroundAnalysis::Outcome& outcome) {
    // A newer start() has taken over; its own answer follows.
    if (outcome.generation != m_runner.generation()) return;
    // The thread goes on to measure the features; joining it here would block the window.
    if (!outcome.featuresPending) m_runner.reap();
    m_featuresPending = outcome.featuresPending;
    m_dialogue = outcome.dialogue;
    m_music = outcome.music;
    if (outcome.featuresMeasured)
        emit featuresArrived(outcome.dialogue, QString::fromStdString(outcome.problem));
    else
        emit finished(outcome.dialogue, outcome.music, QString::fromStdString(outcome.problem));
}

} // namespace quelvo::ui

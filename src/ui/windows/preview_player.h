#pragma once
// Listening to the mix: Qt Multimedia's audio output pulls samples that our
// own mix source makes from the decoded inputs (dialogue, music under the
// envelope, fillers); nothing is written to disk.
#include <memory>

#include <QObject>
#include <QString>

#include "mix/mixer.h"

class QAudioSink;
class QTimer;

namespace quelvo::ui {

class PreviewPlayer : public QObject {
    Q_OBJECT
  public:
    explicit PreviewPlayer(QObject* parent = nullptr);
    ~PreviewPlayer() override;

    // Why playback is impossible here ("" when it is possible): no audio
    // output on a server, in CI or a container.
    static QString unavailableReason();

    // Plays from `seconds`; a playing mix stops first. False with `problem` set
    // when an input cannot be read.
    bool play(const quelvo::mix::MixInputs& inputs, double seconds, QString* problem = nullptr);
    void stop();
    bool isPlaying() const;

  signals:
    // The time being heard, several times a second while playing.
    void positionChanged(double seconds);
    void stopped();

  private:
    class Device;
    std::unique_ptr<QAudioSink> m_sink;
    std::unique_ptr<Device> m_device;
    QTimer* m_clock;
    double m_startedAt = 0;
};

} // namespace quelvo::ui

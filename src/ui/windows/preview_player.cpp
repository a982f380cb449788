#include "ui/windows/preview_player.h"

#include <algorithm>
#include <vector>

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QTimer>

#include "mix/mix_source.h"

namespace quelvo::ui {

// The sink's pull side: each read asks the mix source for the next frames.
class PreviewPlayer::Device : public QIODevice {
  public:
    explicit Device(std::unique_ptr<quelvo::mix::MixSource> source) : m_source(std::move(source)) {
        open(QIODevice::ReadOnly);
    }
    bool atEnd() const override { return m_ended; }
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const int channels = m_source->format().channels;
        const int frames = static_cast<int>(maxSize / (sizeof(float) * channels));
        if (frames <= 0 || m_ended) return 0;
        auto* out = reinterpret_cast<float*>(data);
        const int got = m_source->read(out, frames);
        // Playback does not run the renderer's whole-mix level pass; a sum
        // above full scale is held at it rather than wrapping.
        for (int i = 0; i < got * channels; ++i)
            out[i] = std::clamp(out[i], -1.0f, 1.0f);
        if (got == 0) m_ended = true;
        return static_cast<qint64>(got) * channels * sizeof(float);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    std::unique_ptr<quelvo::mix::MixSource> m_source;
    bool m_ended = false;
};

PreviewPlayer::PreviewPlayer(QObject* parent) : QObject(parent), m_clock(new QTimer(this)) {
    m_clock->setInterval(40);
    connect(m_clock, &QTimer::timeout, this, [this] {
        if (!m_sink) return;
        emit positionChanged(m_startedAt + static_cast<double>(m_sink->processedUSecs()) / 1e6);
        if (m_device && m_device->atEnd() && m_sink->state() != QAudio::ActiveState) stop();
    });
}

PreviewPlayer::~PreviewPlayer() {
    stop();
}

QString PreviewPlayer::unavailableReason() {
    if (QMediaDevices::defaultAudioOutput().isNull())
        return tr("Playback needs an audio output, and this computer has none.");
    return QString();
}

bool PreviewPlayer::isPlaying() const {
    return m_sink != nullptr;
}

bool PreviewPlayer::play(const quelvo::mix::MixInputs& inputs, double seconds, QString* problem) {
    stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        if (problem) *problem = unavailableReason();
        return false;
    }
    Status status = Status::success();
    // The dialogue's rate unless the output cannot take it; channels as the
    // output prefers (the mix source resamples and remixes).
    QAudioFormat format = device.preferredFormat();
    format.setSampleFormat(QAudioFormat::Float);
    auto source = quelvo::mix::MixSource::open(
        inputs, seconds, {format.sampleRate(), std::clamp(format.channelCount(), 1, 2), 0}, status);
    if (!source) {
        if (problem) *problem = QString::fromStdString(status.message());
        return false;
    }
    format.setChannelCount(source->format().channels);
    m_startedAt = source->position();
    m_device = std::make_unique<Device>(std::move(source));
    m_sink = std::make_unique<QAudioSink>(device, format);
    m_sink->start(m_device.get());
    m_clock->start();
    return true;
}

void PreviewPlayer::stop() {
    if (!m_sink) return;
    m_clock->stop();
    m_sink->stop();
    m_sink.reset();
    m_device.reset();
    emit stopped();
}

} // namespace quelvo::ui

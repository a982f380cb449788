#pragma once
// The level measure of the analysis: the sample peak of every 10 ms frame,
// taken over all channels (no downmix), straight from the decoder's own
// sample format so that nothing is converted or resampled on the way.
#include <cstddef>
#include <cstdint>
#include <functional>

namespace quelvo {

// Frames of the level analysis per second (10 ms frames).
inline constexpr int kLevelFramesPerSecond = 100;

// How the samples of a block are stored. Integer formats are signed
// two's complement unless U8; BE forms are big-endian, the others native
// (little-endian on every machine we build for). S24 is packed, 3 bytes.
enum class SampleEncoding {
    U8,
    S8,
    S16,
    S16BE,
    S24,
    S24BE,
    S32,
    S32BE,
    S64,
    F32,
    F32BE,
    F64,
    F64BE
};

size_t bytesPerSample(SampleEncoding encoding);

// The largest absolute value among `count` consecutive samples, 1.0 being full
// scale. Float NaNs are ignored; float values may exceed 1.0.
float blockPeak(SampleEncoding encoding, const uint8_t* data, size_t count);

// Sees every block of samples the meter takes, in order, before the meter
// measures it: analyses that need the samples themselves (filters, pitch)
// ride on the same decoding run instead of decoding the file again.
class SampleBlockObserver {
  public:
    virtual ~SampleBlockObserver() = default;
    // Called once, before the first block.
    virtual void start(int sampleRate) = 0;
    virtual void interleaved(SampleEncoding encoding, const uint8_t* data, int64_t frames,
                             int channels) = 0;
    virtual void planar(SampleEncoding encoding, const uint8_t* const* planes, int channels,
                        int64_t frames) = 0;
};

// Splits a stream of sample frames into analysis frames and reports each
// frame's peak. Frame k covers samples [floor(k*rate/100), floor((k+1)*rate/100)),
// so frame starts are k/100 s exactly whatever the rate.
class FramePeakMeter {
  public:
    // An empty sink measures nothing: the frames are only counted (for an
    // observer that measures what it needs itself).
    using Sink = std::function<void(float peak)>;
    FramePeakMeter(int sampleRate, Sink sink, SampleBlockObserver* observer = nullptr);
    // Counts from frame `firstFrame` of the file on (its first sample is
    // floor(firstFrame x rate / 100)): a segment decoded apart from the rest.
    FramePeakMeter(int sampleRate, int64_t firstFrame, Sink sink, SampleBlockObserver* observer);

    // `frames` sample frames of `channels` interleaved samples each.
    void addInterleaved(SampleEncoding encoding, const uint8_t* data, int64_t frames, int channels);
    // One plane per channel, `frames` samples in each.
    void addPlanar(SampleEncoding encoding, const uint8_t* const* planes, int channels,
                   int64_t frames);
    // Reports a last, shorter frame if samples are left over.
    void finish();

    // Sample frames from the start of the file (a segment's meter counts
    // those before its first frame too).
    int64_t sampleFrames() const { return m_samples; }
    int64_t frameIndex() const { return m_frameIndex; }
    int sampleRate() const { return m_rate; }

  private:
    int64_t samplesLeftInFrame() const { return m_frameEnd - m_samples; }
    void advance(int64_t count, float peak);

    int m_rate;
    Sink m_sink;
    SampleBlockObserver* m_observer;
    int64_t m_samples = 0; // sample frames taken so far
    int64_t m_frameIndex = 0;
    int64_t m_frameEnd = 0; // first sample frame of the next analysis frame
    float m_framePeak = 0;
};

} // namespace quelvo

#pragma once
#include <atomic>
// Per-frame features for the automatic speech detection, measured in the same
// decoding run as the 10 ms peaks and kept in memory (an hour is 360,000
// frames, a few megabytes), so that the decision can be made after the last
// frame from the recording's own figures.
//
// For every 10 ms frame (frame k covers samples [floor(k*rate/100),
// floor((k+1)*rate/100)), as the peak meter's):
//   level    the sample peak of the speech band (200 Hz - 4 kHz, two
//            2nd-order high-passes and two low-passes, run at 16 kHz or more
//            on box-averaged input), the largest over the channels, in dBFS;
//            digital silence is kFeatureSilenceDb
//   voicing  how periodic the frame is at a voice's pitch (70-400 Hz): the
//            largest normalised autocorrelation of an 80 Hz - 1 kHz copy at
//            about 4 kHz, in a 30 ms window centred on the frame. It is the
//            costly feature, so it is measured only where the level rises
//            clearly above the quietest frames so far (kNotMeasured elsewhere),
//            on every other frame (the odd one takes its neighbour's value)
//            and only on the loudest channel of the frame.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/audio_reader.h"
#include "media/frame_peaks.h"
#include "media/parallelism.h"

namespace quelvo {

inline constexpr float kFeatureSilenceDb = -100.0f;

struct SpeechFeatures {
    std::vector<float> level;   // dBFS, >= kFeatureSilenceDb
    std::vector<float> voicing; // 0..1, or kNotMeasured
    static constexpr float kNotMeasured = -1.0f;
};

// The block observer that measures the features; also usable on its own
// (tests feed it generated signals). Its whole state is a few filter
// memories, a 40 ms history and the level histogram of the gate, so a run
// could be restarted at a seam (see docs/speech-detection.md).
class SpeechFeatureMeter final : public SampleBlockObserver {
  public:
    SpeechFeatureMeter();
    ~SpeechFeatureMeter() override;
    SpeechFeatureMeter(const SpeechFeatureMeter&) = delete;
    SpeechFeatureMeter& operator=(const SpeechFeatureMeter&) = delete;

    // A segment of a file decoded apart from the rest (parallel analysis):
    // frame numbers, the every-other-frame rule and the box averages follow
    // the file from `firstFrame` on. With `everyCandidate` the voicing is
    // measured wherever a later gate could ask for it, not only above the
    // quiet tenth of this segment's own frames; applyVoicingGate then keeps
    // what one run over the whole file would have measured. A segment that
    // knows about how many frames it holds says so in `expectedFrames`: the
    // lists are then made once at their size instead of growing while the
    // decoder allocates around them. Call before start().
    void beginSegment(int64_t firstFrame, bool everyCandidate, int64_t expectedFrames = 0);
    // Everything that decides the features of later frames, except the
    // gate's histogram: two meters whose states are equal at a frame
    // boundary measure the same from there on, given the same samples.
    std::vector<uint8_t> stateAtFrameBoundary() const;

    // Samples at `sampleRate` that one step of the meter's averaging spans:
    // a segment must start on a multiple of it to average as one run does.
    static int64_t averagingStep(int sampleRate);

    void start(int sampleRate) override;
    void interleaved(SampleEncoding encoding, const uint8_t* data, int64_t frames,
                     int channels) override;
    void planar(SampleEncoding encoding, const uint8_t* const* planes, int channels,
                int64_t frames) override;
    // Closes a last, shorter frame and returns what was measured.
    SpeechFeatures finish();

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Replays, over a whole file's features measured with everyCandidate, the
// gate one meter would have applied frame by frame, so that the voicing is
// kept exactly where that meter would have measured it.
void applyVoicingGate(SpeechFeatures& features);

struct FeatureAnalysis {
    DecodeSummary decoded;
    SpeechFeatures features;
};

// Decodes the file once, streaming on the calling thread, and measures the
// features of every frame. Fails as readFramePeaks does.
FeatureAnalysis readSpeechFeaturesInOneRun(const std::string& path,
                                           const std::atomic<bool>* stop = nullptr);

// The same with the given jobs (parallel_reader.h): more than one job
// decodes a long file in segments side by side, with the very features of
// one run; a long AAC file is read in fixed chunks at every number of jobs.
FeatureAnalysis readSpeechFeatures(const std::string& path, const Parallelism& parallelism = {});

} // namespace quelvo

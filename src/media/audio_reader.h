#pragma once
#include <atomic>
// Streaming decode of a file's audio into 10 ms peak levels. Packets are read
// and measured as they come, so memory stays the same whatever the length.
#include <cstdint>
#include <string>

#include "base/result.h"
#include "media/audio_damage.h"
#include "media/frame_peaks.h"

namespace quelvo {

struct DecodeOptions {
    // Measure PCM packets in place instead of passing them through the codec;
    // both give the same peaks (tests compare them), this one is faster.
    bool directPcm = true;
    // Count the samples the packets carry without decoding them and call no
    // sink: enough to tell whether the audio is all there, at a fraction of
    // the cost. Files whose packets do not say how long they are are decoded.
    bool packetsOnly = false;
    // Also handed every decoded block (not with packetsOnly); not owned.
    SampleBlockObserver* observer = nullptr;
    // Set from another thread to stop decoding between two packets; the
    // read then fails with kCancelledReason. Not owned.
    const std::atomic<bool>* stop = nullptr;
};

// Why a read stopped by DecodeOptions::stop failed.
inline constexpr const char* kCancelledReason = "the analysis was cancelled";

struct DecodeSummary {
    Status status = Status::failure("not decoded");
    int sampleRate = 0;
    int channels = 0;
    int64_t sampleFrames = 0; // decoded, after FFmpeg dropped the encoder delay and padding
    double duration = 0;      // sampleFrames / sampleRate
    // Passed over as silence or closed up (audio_damage.h), at sampleRate.
    AudioDamage damage;
    // How long the packets that are there last, in seconds, whatever the
    // header says (0 where the packets do not say); frameSeconds is the
    // longest packet (a codec frame).
    double packetSeconds = 0;
    double frameSeconds = 0;
};

// Decodes the file's main audio stream and calls sink with the peak of every
// 10 ms frame, in order (the last frame may be shorter). A file that cannot be
// opened, holds no audio, decodes to nothing, is more than 5% damaged or
// stops well before the length its header declares gives a failure with the
// reason. Packets that cannot be decoded and frames above +12 dBFS are
// measured as silence and counted in `damage`; packets whose timestamps jump
// are placed right after the packet before them.
// Placed at their timestamps, decoded frames leave silence only where the
// container's packet durations do (the joins of a looped file).
DecodeSummary readFramePeaks(const std::string& path, const FramePeakMeter::Sink& sink,
                             const DecodeOptions& options = {});

} // namespace quelvo

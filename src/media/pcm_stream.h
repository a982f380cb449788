#pragma once
// Streaming decode of a file's main audio stream into blocks of planar
// double samples, converted by libswresample to a chosen rate and channel
// layout. Mixing, rendering and loudness measurement read through it, so
// memory stays the same whatever the file's length. The audio follows the
// timeline the analysis reads (audio_reader.h): frames at their timestamps,
// damaged packets and frames as silence, timestamp jumps closed up.
#include <cstdint>
#include <memory>
#include <string>

#include "base/result.h"
#include "media/audio_damage.h"

namespace quelvo {

// A rate and a channel layout. channelMask 0 means FFmpeg's default layout
// for that many channels.
struct PcmFormat {
    int sampleRate = 0;
    int channels = 0;
    uint64_t channelMask = 0;
    bool operator==(const PcmFormat&) const = default;
};

// How the source stores its samples, for writers that keep it.
enum class SourceSamples { s16, s24, s32, f32, f64, other };

class PcmStream {
  public:
    // Opens path; `target` with a rate of 0 keeps the file's own format.
    static std::unique_ptr<PcmStream> open(const std::string& path, const PcmFormat& target,
                                           Status& status);
    ~PcmStream();
    PcmStream(const PcmStream&) = delete;
    PcmStream& operator=(const PcmStream&) = delete;

    // The file's own format and sample storage.
    PcmFormat sourceFormat() const;
    SourceSamples sourceSamples() const;
    // What read() delivers.
    PcmFormat format() const;

    // Fills planes[c][0..frames) and returns how many frames were written;
    // fewer than asked only at the end of the audio. A decoding failure ends
    // the stream early and is kept in status().
    int read(double* const* planes, int frames);
    bool atEnd() const;
    const Status& status() const;
    // What was passed over so far, at the source's rate, and how many
    // source samples were placed in all (silence included).
    AudioDamage damage() const;
    int64_t placedSamples() const;
    // Once the stream is read to its end: failure when more than
    // kMostDamagedShare of the audio was damaged (tooDamagedReason).
    Status damageVerdict() const;

  private:
    struct Impl;
    explicit PcmStream(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace quelvo

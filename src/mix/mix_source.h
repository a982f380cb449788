#pragma once
// The ducked mix pulled block by block from any point, for listening: the
// dialogue, the music under the project's gain envelope and the filler clips
// with their fade, at the dialogue's rate and channel layout. The renderer
// writes the same sum to a file; this one hands it to an audio output.
#include <cstdint>
#include <memory>

#include "base/result.h"
#include "media/pcm_stream.h"
#include "mix/mixer.h"

namespace quelvo::mix {

class MixSource {
  public:
    // Starts at `startSeconds` (the inputs are decoded up to there and
    // dropped: the stream layer cannot seek). `format` with a rate of 0 is
    // the dialogue's own.
    static std::unique_ptr<MixSource> open(const MixInputs& inputs, double startSeconds,
                                           const quelvo::PcmFormat& format, quelvo::Status& status);
    ~MixSource();
    MixSource(const MixSource&) = delete;
    MixSource& operator=(const MixSource&) = delete;

    const quelvo::PcmFormat& format() const;
    // Fills `frames` interleaved frames; returns how many, 0 at the end or
    // after a decoding failure (kept in status()).
    int read(float* interleaved, int frames);
    // Seconds from the inputs' start of the next frame read() delivers.
    double position() const;
    const quelvo::Status& status() const;

  private:
    struct Impl;
    explicit MixSource(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace quelvo::mix

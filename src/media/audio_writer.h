#pragma once
// Encoding planar double blocks to a WAV, FLAC or M4A (AAC) file through
// libavcodec and libavformat. The file is written under a temporary name
// beside the target and renamed over it only by finish(), so a failure or a
// crash never leaves a partial file in the target's place.
#include <memory>
#include <optional>
#include <string>

#include "base/result.h"
#include "media/pcm_stream.h"

namespace quelvo {

enum class AudioContainer { wav, flac, m4a };

// The container a file name asks for by its extension (any case); absent
// for anything else.
std::optional<AudioContainer> containerForPath(const std::string& path);
// "wav", "flac", "m4a".
const char* extensionOf(AudioContainer container);

// How samples are stored: WAV keeps the source's own storage where it can
// carry it (16, 24, 32-bit integer, float), 24-bit otherwise; FLAC keeps 16
// bits for 16-bit sources and 24 otherwise; M4A is AAC.
struct EncodeSettings {
    AudioContainer container = AudioContainer::wav;
    PcmFormat format;
    SourceSamples samples = SourceSamples::other;
    int aacBitRate = 256000;
};

class AudioFileWriter {
  public:
    static std::unique_ptr<AudioFileWriter> create(const std::string& path,
                                                   const EncodeSettings& settings, Status& status);
    ~AudioFileWriter(); // removes the temporary file unless finish() succeeded
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    // Samples beyond [-1, 1] are clipped by the integer formats.
    Status write(const double* const* planes, int frames);
    // Flushes the encoder, closes the file and puts it in place.
    Status finish();
    // A short description, e.g. "WAV 24-bit" or "AAC 256 kb/s".
    std::string description() const;

  private:
    struct Impl;
    explicit AudioFileWriter(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace quelvo

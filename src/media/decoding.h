#pragma once
// The pieces of a decoding run that the one-thread reader and the segment
// decoders of the parallel analysis share, so that both open, read, place
// and judge a file's audio the same way. Internal to platform/audio.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>

#include "media/audio_damage.h"
#include "media/ffmpeg_input.h"
#include "media/frame_peaks.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace quelvo::detail {

// Large enough that a long WAV takes few calls, small enough that each packet
// is still in the cache when it is measured (1 MB packets measured slower).
inline constexpr int kWavPacketBytes = 64 * 1024;

// PCM that can be measured straight from the packets.
std::optional<SampleEncoding> directEncoding(AVCodecID codec);
// The decoder's output format; planar formats keep one plane per channel.
std::optional<SampleEncoding> decodedEncoding(AVSampleFormat format);
// The stream's PCM can be measured from its packets as they are: each one a
// whole number of plain sample frames.
std::optional<SampleEncoding> packetEncoding(const AVCodecParameters* parameters);

// A file opened for the analysis: its main audio stream chosen, the other
// streams discarded, the rate and channel count checked.
struct AudioInput {
    quelvo::Status status = quelvo::Status::failure("not opened");
    FormatPtr format;
    int streamIndex = -1;
    AVStream* stream() const { return format->streams[streamIndex]; }
};
AudioInput openAudioInput(const std::string& path);

// PCM measured from its packets is measured as PCM whatever FFmpeg would
// guess from the packets' bytes (a compressed stream disguised as PCM); its
// guessing, on every packet of the first megabytes, costs a third of the
// measuring. Takes effect from the next seek on.
void stopCodecGuessing(AVFormatContext* format);

// Reads the next packet of the stream; false at the end of the file or when
// reading fails (then readError keeps FFmpeg's code).
bool readStreamPacket(AVFormatContext* format, int streamIndex, AVPacket* packet, int& readError);

// A single-threaded decoder for the stream, ready for packets.
quelvo::Status openStreamDecoder(const AVStream* stream, CodecPtr& codec);

// Where a decoded frame starts, in samples at `rate` from the stream's time
// base; nullopt when it carries no timestamp.
std::optional<int64_t> frameStart(const AVFrame* frame, const AVStream* stream);

// The silence to insert before a frame that starts at `at` (samples, same
// origin as `position`) when `position` samples were placed so far: a gap a
// joined file leaves between packets, never a timestamp's rounding, never
// beyond what the header declares.
int64_t gapBefore(const AVFormatContext* format, const AVStream* stream, int rate, int64_t at,
                  int64_t position);

// Hands `count` samples of digital silence to take(data, samples), in
// blocks of mono F32 (how a gap is measured), so that both readers measure
// a gap in the same blocks.
template <typename Take> void feedSilence(int64_t count, Take take) {
    static const float silence[1024] = {};
    while (count > 0) {
        const int64_t step = std::min<int64_t>(count, std::size(silence));
        take(reinterpret_cast<const uint8_t*>(silence), step);
        count -= step;
    }
}

// Keeps the stream's packets on one timeline. A packet whose timestamp
// jumps away from where the packet before it ended (a damaged or badly
// joined file) is moved to follow on from it: only the container's own
// packet durations (which count the joins of a looped file) leave room
// between decoded frames. Every reader passes its packets through one.
class PacketTimeline {
  public:
    explicit PacketTimeline(const AVStream* stream);
    // Moves the packet's timestamps onto the timeline; true when it had
    // jumped (more than a millisecond either way).
    bool follow(AVPacket* packet);
    // How long the packets so far last on the timeline (packetSpan).
    double seconds() const;
    // The longest packet so far: one codec frame.
    double frameSeconds() const;

  private:
    AVRational m_timeBase;
    int64_t m_tolerance;
    int64_t m_shift = 0;
    int64_t m_expected = AV_NOPTS_VALUE;
    int64_t m_first = AV_NOPTS_VALUE;
    int64_t m_duration = 0; // in the time base, to avoid rounding each packet
    int64_t m_longest = 0;
};

// How long packets last together, in seconds: from the first one's
// timestamp (or 0, where the first ones are the encoder's delay before it) to
// the end of the last, or their durations added up where they have no
// timestamps. 0 when the packets do not say.
double packetSpan(int64_t firstPts, int64_t endPts, int64_t durations, AVRational timeBase);

// Whether a decoded frame holds samples no recording holds: above +12 dBFS
// or not numbers (a damaged packet the decoder took for audio).
bool isDamagedFrame(const AVFrame* frame);

// What a decoding run found, for the verdict on whether it is all there.
struct DecodeFacts {
    int rate = 0;
    int64_t sampleFrames = 0;
    int64_t packets = 0;
    int64_t failedPackets = 0;
    int readError = 0;
    int lastDecodeError = 0;
    AudioDamage damage;
};
// Whether what was decoded is the whole of the audio: not nothing, not more
// than kMostDamagedShare damaged, and not well short of what the header declares (a truncated
// copy).
quelvo::Status checkComplete(const std::string& path, const AVFormatContext* format,
                             const AVStream* stream, const DecodeFacts& facts);

} // namespace quelvo::detail

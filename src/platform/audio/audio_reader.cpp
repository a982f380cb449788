#include "platform/audio/audio_reader.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/audio/ffmpeg_input.h"
#include "platform/audio/wav_header.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

namespace kyaudio {

namespace {

static_assert(std::endian::native == std::endian::little,
              "PCM samples are read in place assuming a little-endian machine");

// PCM that can be measured straight from the packets.
std::optional<SampleEncoding> directEncoding(AVCodecID codec) {
    switch (codec) {
    case AV_CODEC_ID_PCM_U8: return SampleEncoding::U8;
    case AV_CODEC_ID_PCM_S8: return SampleEncoding::S8;
    case AV_CODEC_ID_PCM_S16LE: return SampleEncoding::S16;
    case AV_CODEC_ID_PCM_S16BE: return SampleEncoding::S16BE;
    case AV_CODEC_ID_PCM_S24LE: return SampleEncoding::S24;
    case AV_CODEC_ID_PCM_S24BE: return SampleEncoding::S24BE;
    case AV_CODEC_ID_PCM_S32LE: return SampleEncoding::S32;
    case AV_CODEC_ID_PCM_S32BE: return SampleEncoding::S32BE;
    case AV_CODEC_ID_PCM_S64LE: return SampleEncoding::S64;
    case AV_CODEC_ID_PCM_F32LE: return SampleEncoding::F32;
    case AV_CODEC_ID_PCM_F32BE: return SampleEncoding::F32BE;
    case AV_CODEC_ID_PCM_F64LE: return SampleEncoding::F64;
    case AV_CODEC_ID_PCM_F64BE: return SampleEncoding::F64BE;
    default: return std::nullopt;
    }
}

// The decoder's output format; planar formats keep one plane per channel.
std::optional<SampleEncoding> decodedEncoding(AVSampleFormat format) {
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8: return SampleEncoding::U8;
    case AV_SAMPLE_FMT_S16: return SampleEncoding::S16;
    case AV_SAMPLE_FMT_S32: return SampleEncoding::S32;
    case AV_SAMPLE_FMT_S64: return SampleEncoding::S64;
    case AV_SAMPLE_FMT_FLT: return SampleEncoding::F32;
    case AV_SAMPLE_FMT_DBL: return SampleEncoding::F64;
    default: return std::nullopt;
    }
}

bool headerIsComplete(const AVFormatContext* format) {
    const int index = av_find_best_stream(const_cast<AVFormatContext*>(format), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) return false;
    const AVCodecParameters* p = format->streams[index]->codecpar;
    const std::optional<SampleEncoding> encoding = directEncoding(p->codec_id);
    return encoding && p->sample_rate > 0 && p->ch_layout.nb_channels > 0 &&
           p->block_align == static_cast<int>(bytesPerSample(*encoding)) * p->ch_layout.nb_channels;
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

// Large enough that a long WAV takes few calls, small enough that each packet
// is still in the cache when it is measured (1 MB packets measured slower).
constexpr int kWavPacketBytes = 64 * 1024;
constexpr int kMaxRetries = 1000;

// One decoding run: the state that the loop and its helpers share.
class Decoder {
public:
    Decoder(const std::string& path, AVFormatContext* format, int streamIndex, const FramePeakMeter::Sink& sink,
            SampleBlockObserver* observer = nullptr)
        : m_path(path), m_format(format), m_stream(format->streams[streamIndex]), m_index(streamIndex),
          m_sink(sink), m_observer(observer) {}

    kykit::Status run(bool directPcm);
    // Counts the packets' samples instead of decoding them. Fails with
    // "unknownPacketDuration" when a packet does not say how long it is.
    kykit::Status countPackets();
    // What was measured; the rate is the decoder's (HE-AAC, for one, decodes
    // at twice the rate its header gives).
    int sampleRate() const { return m_counted ? m_countedRate : m_meter ? m_meter->sampleRate() : 0; }
    int64_t sampleFrames() const { return m_counted ? m_countedFrames : m_meter ? m_meter->sampleFrames() : 0; }
    bool unknownPacketDuration() const { return m_unknownPacketDuration; }
    int channels() const { return m_channels; }

private:
    // Reads the next packet of our stream into `packet`; false at the end of
    // the file or when reading fails (the reason is kept for checkComplete).
    bool nextPacket(AVPacket* packet);
    kykit::Status openCodec();
    kykit::Status measureFrame(const AVFrame* frame);
    void fillGapBefore(const AVFrame* frame);
    // How many packets the container's own index promises (an MP4 sample
    // table); 0 where it gives no such count.
    int64_t promisedPackets() const;
    kykit::Status drain();
    kykit::Status checkComplete() const;

    const std::string& m_path;
    AVFormatContext* m_format;
    AVStream* m_stream;
    int m_index;
    const FramePeakMeter::Sink& m_sink;
    SampleBlockObserver* m_observer;
    std::optional<FramePeakMeter> m_meter;
    detail::CodecPtr m_codec;
    detail::FramePtr m_frame;
    std::optional<SampleEncoding> m_direct;
    int64_t m_packets = 0;
    int64_t m_failedPackets = 0;
    int m_lastDecodeError = 0;
    int m_readError = 0;  // what stopped reading, when it was not the end of the file
    int m_channels = 0;
    bool m_counted = false;
    int m_countedRate = 0;
    int64_t m_countedFrames = 0;
    bool m_unknownPacketDuration = false;
    // Sample position of the first decoded frame: later frames are placed
    // at their own timestamps relative to it.
    std::optional<int64_t> m_origin;
};

int64_t Decoder::promisedPackets() const {
    if (!m_format->iformat || !std::strstr(m_format->iformat->name, "mov")) return 0;
    return m_stream->nb_frames > 0 ? m_stream->nb_frames : 0;
}

// A file joined from pieces (a loop, a concatenation) may leave gaps between
// its packets' timestamps; the editor's timeline keeps them, so the analysis
// counts them as silence instead of pulling the later audio forward.
void Decoder::fillGapBefore(const AVFrame* frame) {
    const int64_t stamp = frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
    if (stamp == AV_NOPTS_VALUE) return;
    const int rate = frame->sample_rate;
    const int64_t at = av_rescale_q(stamp, m_stream->time_base, AVRational{1, rate});
    if (!m_origin) {
        m_origin = at;
        return;
    }
    int64_t gap = at - *m_origin - m_meter->sampleFrames();
    // Below a millisecond it is the rounding of timestamps, not a gap.
    if (gap <= rate / 1000) return;
    // A damaged timestamp must not make up hours of silence: never beyond
    // what the header declares, and at most a second where it declares nothing.
    const int64_t declared = detail::declaredSampleCount(m_format, m_stream, rate);
    gap = declared > 0 ? std::min(gap, declared - m_meter->sampleFrames()) : std::min<int64_t>(gap, rate);
    static const uint8_t silence[4096] = {};
    while (gap > 0) {
        const int64_t step = std::min<int64_t>(gap, sizeof silence / sizeof(float));
        m_meter->addInterleaved(SampleEncoding::F32, silence, step, 1);
        gap -= step;
    }
}

kykit::Status Decoder::countPackets() {
    const AVCodecParameters* parameters = m_stream->codecpar;
    const std::optional<SampleEncoding> pcm = directEncoding(parameters->codec_id);
    // What the PCM decoder makes of a packet: whole sample frames of its
    // bytes, whatever the header's block alignment says.
    const int64_t frameBytes =
        pcm ? static_cast<int64_t>(bytesPerSample(*pcm)) * parameters->ch_layout.nb_channels : 0;
    m_counted = true;
    m_countedRate = parameters->sample_rate;
    m_channels = parameters->ch_layout.nb_channels;
    detail::PacketPtr packet(av_packet_alloc());
    if (!packet) return kykit::Status::failure("out of memory");
    while (nextPacket(packet.get())) {
        ++m_packets;
        const int64_t duration = packet->duration;
        const int size = packet->size;
        av_packet_unref(packet.get());
        if (frameBytes > 0) {
            m_countedFrames += size / frameBytes;
        } else if (duration > 0) {
            m_countedFrames += av_rescale_q(duration, m_stream->time_base, AVRational{1, m_countedRate});
        } else {
            m_unknownPacketDuration = true;
            return kykit::Status::failure("a packet without a duration");
        }
    }
    return checkComplete();
}

bool Decoder::nextPacket(AVPacket* packet) {
    int retries = 0;
    for (;;) {
        const int read = av_read_frame(m_format, packet);
        if (read == AVERROR(EAGAIN) && ++retries < kMaxRetries) continue;
        if (read < 0) {
            if (read != AVERROR_EOF) m_readError = read;
            return false;
        }
        retries = 0;
        if (packet->stream_index == m_index) return true;
        av_packet_unref(packet);
    }
}

kykit::Status Decoder::openCodec() {
    const AVCodec* codec = avcodec_find_decoder(m_stream->codecpar->codec_id);
    if (!codec)
        return kykit::Status::failure(std::string("no decoder for the audio format ") +
                                      avcodec_get_name(m_stream->codecpar->codec_id));
    m_codec.reset(avcodec_alloc_context3(codec));
    m_frame.reset(av_frame_alloc());
    if (!m_codec || !m_frame) return kykit::Status::failure("out of memory");
    int error = avcodec_parameters_to_context(m_codec.get(), m_stream->codecpar);
    if (error < 0) return kykit::Status::failure(detail::ffmpegReason(error));
    m_codec->pkt_timebase = m_stream->time_base;
    // The audio decoders we meet decode one frame at a time; the job already
    // runs beside the user interface and other work on a small machine.
    m_codec->thread_count = 1;
    error = avcodec_open2(m_codec.get(), codec, nullptr);
    if (error < 0) return kykit::Status::failure(detail::ffmpegReason(error));
    return kykit::Status::success();
}

kykit::Status Decoder::measureFrame(const AVFrame* frame) {
    if (frame->nb_samples <= 0) return kykit::Status::success();
    if (!m_meter) {
        if (frame->sample_rate < kLevelFramesPerSecond)
            return kykit::Status::failure("the audio has no usable sample rate");
        m_meter.emplace(frame->sample_rate, m_sink, m_observer);
    }
    if (frame->sample_rate != m_meter->sampleRate())
        return kykit::Status::failure("the sample rate changes inside the file");
    const auto format = static_cast<AVSampleFormat>(frame->format);
    const std::optional<SampleEncoding> encoding = decodedEncoding(format);
    if (!encoding)
        return kykit::Status::failure(std::string("unsupported sample format ") +
                                      (av_get_sample_fmt_name(format) ? av_get_sample_fmt_name(format) : "?"));
    const int channels = frame->ch_layout.nb_channels;
    if (channels <= 0) return kykit::Status::failure("the audio has no channels");
    m_channels = std::max(m_channels, channels);
    fillGapBefore(frame);
    if (av_sample_fmt_is_planar(format))
        m_meter->addPlanar(*encoding, frame->extended_data, channels, frame->nb_samples);
    else
        m_meter->addInterleaved(*encoding, frame->extended_data[0], frame->nb_samples, channels);
    return kykit::Status::success();
}

// Takes every frame the decoder has ready.
kykit::Status Decoder::drain() {
    for (;;) {
        const int received = avcodec_receive_frame(m_codec.get(), m_frame.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return kykit::Status::success();
        if (received < 0) {
            ++m_failedPackets;
            m_lastDecodeError = received;
            return kykit::Status::success();
        }
        kykit::Status measured = measureFrame(m_frame.get());
        av_frame_unref(m_frame.get());
        if (!measured) return measured;
    }
}

kykit::Status Decoder::run(bool directPcm) {
    const AVCodecParameters* parameters = m_stream->codecpar;
    const int channels = parameters->ch_layout.nb_channels;
    if (directPcm) {
        m_direct = directEncoding(parameters->codec_id);
        // Only where each packet is a whole number of plain sample frames.
        if (m_direct && parameters->block_align != static_cast<int>(bytesPerSample(*m_direct)) * channels)
            m_direct.reset();
    }
    if (m_direct) {
        m_meter.emplace(parameters->sample_rate, m_sink, m_observer);
        m_channels = channels;
    } else {
        if (kykit::Status opened = openCodec(); !opened) return opened;
    }
    detail::PacketPtr packet(av_packet_alloc());
    if (!packet) return kykit::Status::failure("out of memory");

    while (nextPacket(packet.get())) {
        ++m_packets;
        if (m_direct) {
            const int64_t frames = packet->size / parameters->block_align;
            m_meter->addInterleaved(*m_direct, packet->data, frames, channels);
            av_packet_unref(packet.get());
            continue;
        }
        int sent = avcodec_send_packet(m_codec.get(), packet.get());
        if (sent == AVERROR(EAGAIN)) {
            // The decoder wants its output taken first; then the packet fits.
            if (kykit::Status drained = drain(); !drained) return drained;
            sent = avcodec_send_packet(m_codec.get(), packet.get());
        }
        av_packet_unref(packet.get());
        if (sent < 0) {
            ++m_failedPackets;
            m_lastDecodeError = sent;
            continue;
        }
        if (kykit::Status drained = drain(); !drained) return drained;
    }
    if (!m_direct) {
        avcodec_send_packet(m_codec.get(), nullptr);
        if (kykit::Status drained = drain(); !drained) return drained;
    }
    if (m_meter) m_meter->finish();
    return checkComplete();
}

// Whether what was decoded is the whole of the audio: not nothing, not mostly
// damaged, and not well short of what the header declares (a truncated copy).
kykit::Status Decoder::checkComplete() const {
    const int rate = sampleRate();
    const int64_t decoded = sampleFrames();
    const std::string cause = m_readError ? detail::ffmpegReason(m_readError)
                              : m_lastDecodeError ? detail::ffmpegReason(m_lastDecodeError)
                                                  : std::string();
    if (decoded == 0)
        return kykit::Status::failure(cause.empty() ? "no audio could be decoded"
                                                    : "no audio could be decoded: " + cause);
    if (m_packets > 0 && m_failedPackets * 2 > m_packets)
        return kykit::Status::failure("most of the audio data is damaged: " + cause);
    const auto endsEarly = [&](double declaredSeconds) {
        std::string message = "the file ends early: " + secondsText(double(decoded) / rate) + " of " +
                              secondsText(declaredSeconds) + " could be read";
        if (!cause.empty()) message += " (" + cause + ")";
        return kykit::Status::failure(message);
    };
    // FFmpeg shortens a WAV data chunk that runs past the end of the file to
    // what is there, so the header is asked directly.
    if (m_format->iformat && std::strcmp(m_format->iformat->name, "wav") == 0) {
        if (const auto chunk = detail::findWavDataChunk(m_path)) {
            const int64_t blockBytes = std::max(1, m_stream->codecpar->block_align);
            if (chunk->declaredBytes > chunk->presentBytes + blockBytes)
                return endsEarly(double(decoded) / rate * double(chunk->declaredBytes) /
                                 double(std::max<int64_t>(1, chunk->presentBytes)));
        }
    }
    // An MP4 lists every packet in its sample table: the file is whole when
    // every listed packet was read. Its header duration counts the gaps a
    // joined file leaves between packets, so it says nothing about this.
    if (const int64_t promised = promisedPackets(); promised > 0) {
        if (m_packets < promised) {
            const double declaredSeconds = double(detail::declaredSampleCount(m_format, m_stream, rate)) / rate;
            return endsEarly(declaredSeconds > 0 ? declaredSeconds : double(decoded) / rate * promised / std::max<int64_t>(1, m_packets));
        }
        return kykit::Status::success();
    }
    if (m_format->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE) {
        const int64_t declared = detail::declaredSampleCount(m_format, m_stream, rate);
        // PCM lengths are exact; coded audio may lose its encoder delay and
        // padding (up to a few codec frames) to the decoder.
        int64_t slack = rate / kLevelFramesPerSecond;
        if (!directEncoding(m_stream->codecpar->codec_id)) {
            const int64_t frameSize = m_stream->codecpar->frame_size > 0 ? m_stream->codecpar->frame_size : 2048;
            slack = std::max<int64_t>(rate / 10, 4 * frameSize);
            if (m_stream->start_time != AV_NOPTS_VALUE && m_stream->start_time > 0)
                slack += av_rescale_q(m_stream->start_time, m_stream->time_base, AVRational{1, rate});
        }
        if (declared > 0 && decoded + slack < declared) return endsEarly(double(declared) / rate);
    }
    return kykit::Status::success();
}

} // namespace

DecodeSummary readFramePeaks(const std::string& path, const FramePeakMeter::Sink& sink,
                             const DecodeOptions& options) {
    DecodeSummary summary;
    detail::OpenOptions openOptions;
    openOptions.wavPacketBytes = kWavPacketBytes;
    openOptions.findStreamInfo = false;
    detail::OpenedInput input = detail::openInput(path, openOptions);
    if (!input.status) {
        summary.status = input.status;
        return summary;
    }
    AVFormatContext* format = input.format.get();
    // A PCM header says all there is to know; reading ahead for stream facts
    // would only hold packets back. Anything else is probed as usual.
    if (!headerIsComplete(format)) {
        if (kykit::Status found = detail::findStreamInfo(format); !found) {
            summary.status = found;
            return summary;
        }
    }
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) {
        summary.status = kykit::Status::failure("the file has no audio stream");
        return summary;
    }
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (static_cast<int>(i) != index) format->streams[i]->discard = AVDISCARD_ALL;
    const AVCodecParameters* parameters = format->streams[index]->codecpar;
    if (parameters->sample_rate < kLevelFramesPerSecond) {
        summary.status = kykit::Status::failure("the audio has no usable sample rate");
        return summary;
    }
    if (parameters->ch_layout.nb_channels <= 0) {
        summary.status = kykit::Status::failure("the audio has no channels");
        return summary;
    }

    Decoder decoder(path, format, index, sink, options.packetsOnly ? nullptr : options.observer);
    if (options.packetsOnly) {
        summary.status = decoder.countPackets();
        // Without packet durations only decoding can tell.
        if (decoder.unknownPacketDuration()) {
            DecodeOptions decode = options;
            decode.packetsOnly = false;
            return readFramePeaks(path, [](float) {}, decode);
        }
    } else {
        summary.status = decoder.run(options.directPcm);
    }
    if (!summary.status) return summary;
    summary.sampleRate = decoder.sampleRate();
    summary.channels = decoder.channels();
    summary.sampleFrames = decoder.sampleFrames();
    summary.duration = static_cast<double>(summary.sampleFrames) / summary.sampleRate;
    return summary;
}

} // namespace kyaudio

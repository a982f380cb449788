#include "media/decoding.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "media/wav_header.h"

extern "C" {
#include <libavutil/samplefmt.h>
}

namespace quelvo::detail {

namespace {

bool headerIsComplete(const AVFormatContext* format) {
    const int index = av_find_best_stream(const_cast<AVFormatContext*>(format), AVMEDIA_TYPE_AUDIO,
                                          -1, -1, nullptr, 0);
    if (index < 0) return false;
    const AVCodecParameters* p = format->streams[index]->codecpar;
    return p->sample_rate > 0 && p->ch_layout.nb_channels > 0 && packetEncoding(p);
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

constexpr int kMaxRetries = 1000;

// How many packets the container's own index promises (an MP4 sample
// table); 0 where it gives no such count. The demuxer's index, not the
// table's sample count: for PCM each table sample is one sample frame, and
// the demuxer hands out a chunk of them (often a thousand) as one packet.
int64_t promisedPackets(const AVFormatContext* format, const AVStream* stream) {
    if (!format->iformat || !std::strstr(format->iformat->name, "mov")) return 0;
    if (stream->nb_frames <= 0) return 0;
    return avformat_index_get_entries_count(stream);
}

} // namespace

std::optional<SampleEncoding> directEncoding(AVCodecID codec) {
    switch (codec) {
    case AV_CODEC_ID_PCM_U8:
        return SampleEncoding::U8;
    case AV_CODEC_ID_PCM_S8:
        return SampleEncoding::S8;
    case AV_CODEC_ID_PCM_S16LE:
        return SampleEncoding::S16;
    case AV_CODEC_ID_PCM_S16BE:
        return SampleEncoding::S16BE;
    case AV_CODEC_ID_PCM_S24LE:
        return SampleEncoding::S24;
    case AV_CODEC_ID_PCM_S24BE:
        return SampleEncoding::S24BE;
    case AV_CODEC_ID_PCM_S32LE:
        return SampleEncoding::S32;
    case AV_CODEC_ID_PCM_S32BE:
        return SampleEncoding::S32BE;
    case AV_CODEC_ID_PCM_S64LE:
        return SampleEncoding::S64;
    case AV_CODEC_ID_PCM_F32LE:
        return SampleEncoding::F32;
    case AV_CODEC_ID_PCM_F32BE:
        return SampleEncoding::F32BE;
    case AV_CODEC_ID_PCM_F64LE:
        return SampleEncoding::F64;
    case AV_CODEC_ID_PCM_F64BE:
        return SampleEncoding::F64BE;
    default:
        return std::nullopt;
    }
}

std::optional<SampleEncoding> decodedEncoding(AVSampleFormat format) {
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
        return SampleEncoding::U8;
    case AV_SAMPLE_FMT_S16:
        return SampleEncoding::S16;
    case AV_SAMPLE_FMT_S32:
        return SampleEncoding::S32;
    case AV_SAMPLE_FMT_S64:
        return SampleEncoding::S64;
    case AV_SAMPLE_FMT_FLT:
        return SampleEncoding::F32;
    case AV_SAMPLE_FMT_DBL:
        return SampleEncoding::F64;
    default:
        return std::nullopt;
    }
}

std::optional<SampleEncoding> packetEncoding(const AVCodecParameters* parameters) {
    const std::optional<SampleEncoding> encoding = directEncoding(parameters->codec_id);
    if (encoding && parameters->block_align == static_cast<int>(bytesPerSample(*encoding)) *
                                                   parameters->ch_layout.nb_channels)
        return encoding;
    return std::nullopt;
}

AudioInput openAudioInput(const std::string& path) {
    AudioInput input;
    OpenOptions openOptions;
    openOptions.wavPacketBytes = kWavPacketBytes;
    openOptions.findStreamInfo = false;
    OpenedInput opened = openInput(path, openOptions);
    if (!opened.status) {
        input.status = opened.status;
        return input;
    }
    AVFormatContext* format = opened.format.get();
    // A PCM header says all there is to know; reading ahead for stream facts
    // would only hold packets back. Anything else is probed as usual.
    if (!headerIsComplete(format)) {
        if (quelvo::Status found = findStreamInfo(format); !found) {
            input.status = found;
            return input;
        }
    }
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) {
        input.status = quelvo::Status::failure("the file has no audio stream");
        return input;
    }
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (static_cast<int>(i) != index) format->streams[i]->discard = AVDISCARD_ALL;
    if (quelvo::Status believable = checkStreamHeader(opened, index); !believable) {
        input.status = believable;
        return input;
    }
    if (format->streams[index]->codecpar->ch_layout.nb_channels <= 0) {
        input.status = quelvo::Status::failure("the audio has no channels");
        return input;
    }
    input.format = std::move(opened.format);
    input.streamIndex = index;
    input.status = quelvo::Status::success();
    return input;
}

void stopCodecGuessing(AVFormatContext* format) {
    format->max_probe_packets = 0;
}

bool readStreamPacket(AVFormatContext* format, int streamIndex, AVPacket* packet, int& readError) {
    int retries = 0;
    for (;;) {
        const int read = av_read_frame(format, packet);
        if (read == AVERROR(EAGAIN) && ++retries < kMaxRetries) continue;
        if (read < 0) {
            if (read != AVERROR_EOF) readError = read;
            return false;
        }
        retries = 0;
        if (packet->stream_index == streamIndex) return true;
        av_packet_unref(packet);
    }
}

quelvo::Status openStreamDecoder(const AVStream* stream, CodecPtr& codecContext) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return quelvo::Status::failure(std::string("no decoder for the audio format ") +
                                       avcodec_get_name(stream->codecpar->codec_id));
    codecContext.reset(avcodec_alloc_context3(codec));
    if (!codecContext) return quelvo::Status::failure("out of memory");
    int error = avcodec_parameters_to_context(codecContext.get(), stream->codecpar);
    if (error < 0) return quelvo::Status::failure(ffmpegReason(error));
    codecContext->pkt_timebase = stream->time_base;
    // The audio decoders we meet decode one frame at a time; more threads
    // come from decoding segments of the file side by side.
    codecContext->thread_count = 1;
    error = avcodec_open2(codecContext.get(), codec, nullptr);
    if (error < 0) return quelvo::Status::failure(ffmpegReason(error));
    return quelvo::Status::success();
}

std::optional<int64_t> frameStart(const AVFrame* frame, const AVStream* stream) {
    const int64_t stamp =
        frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
    if (stamp == AV_NOPTS_VALUE) return std::nullopt;
    return av_rescale_q(stamp, stream->time_base, AVRational{1, frame->sample_rate});
}

int64_t gapBefore(const AVFormatContext* format, const AVStream* stream, int rate, int64_t at,
                  int64_t position) {
    const int64_t gap = at - position;
    // Below a millisecond it is the rounding of timestamps, not a gap.
    if (gap <= rate / 1000) return 0;
    // A damaged timestamp must not make up hours of silence: never beyond
    // what the header declares, and at most a second where it declares nothing.
    const int64_t declared = declaredSampleCount(format, stream, rate);
    return declared > 0 ? std::min(gap, declared - position) : std::min<int64_t>(gap, rate);
}

PacketTimeline::PacketTimeline(const AVStream* stream)
    : m_timeBase(stream->time_base),
      m_tolerance(std::max<int64_t>(1, av_rescale_q(1, AVRational{1, 1000}, stream->time_base))) {}

bool PacketTimeline::follow(AVPacket* packet) {
    bool jumped = false;
    if (packet->pts != AV_NOPTS_VALUE) {
        const int64_t pts = packet->pts + m_shift;
        if (m_expected != AV_NOPTS_VALUE &&
            (pts - m_expected > m_tolerance || m_expected - pts > m_tolerance)) {
            m_shift += m_expected - pts;
            jumped = true;
        }
        packet->pts += m_shift;
        if (packet->dts != AV_NOPTS_VALUE) packet->dts += m_shift;
        if (m_first == AV_NOPTS_VALUE) m_first = packet->pts;
        m_expected = packet->duration > 0 ? packet->pts + packet->duration : AV_NOPTS_VALUE;
    }
    if (packet->duration > 0) {
        m_duration += packet->duration;
        m_longest = std::max(m_longest, packet->duration);
    }
    return jumped;
}

double PacketTimeline::seconds() const {
    return packetSpan(m_first, m_expected, m_duration, m_timeBase);
}

double PacketTimeline::frameSeconds() const {
    return static_cast<double>(m_longest) * av_q2d(m_timeBase);
}

double packetSpan(int64_t firstPts, int64_t endPts, int64_t durations, AVRational timeBase) {
    const int64_t span = firstPts != AV_NOPTS_VALUE && endPts != AV_NOPTS_VALUE
                             ? endPts - std::max<int64_t>(0, firstPts)
                             : durations;
    return span > 0 ? static_cast<double>(span) * av_q2d(timeBase) : 0.0;
}

namespace {

// +12 dBFS: no recording, however loud, decodes above it.
constexpr double kDamagedLevel = 3.9810717055;

// Every decoded sample passes through here: the samples are tested a
// vector at a time, without a branch per sample, and the test stops at the
// first block that holds one out of range or not a number (a comparison
// with a NaN is false, so it fails `ok`).
template <typename T> struct SampleVector;
template <> struct SampleVector<float> { using type = float __attribute__((vector_size(16))); };
template <> struct SampleVector<double> { using type = double __attribute__((vector_size(16))); };

template <typename T> bool outOfRange(const uint8_t* data, size_t count) {
    using Vector = typename SampleVector<T>::type;
    using Mask = decltype(Vector{} <= Vector{});
    constexpr size_t kWidth = sizeof(Vector) / sizeof(T);
    constexpr size_t kBlock = 64 * kWidth;
    const Vector high = Vector{} + static_cast<T>(kDamagedLevel);
    const Vector low = -high;
    const T* samples = reinterpret_cast<const T*>(data);
    size_t i = 0;
    while (i + kWidth <= count) {
        const size_t blockEnd = std::min(count, i + kBlock);
        Mask bad{};
        for (; i + kWidth <= blockEnd; i += kWidth) {
            Vector v;
            std::memcpy(&v, samples + i, sizeof v);
            bad |= ~((v <= high) & (v >= low));
        }
        for (size_t lane = 0; lane < kWidth; ++lane)
            if (bad[lane]) return true;
    }
    for (; i < count; ++i)
        if (!(samples[i] >= low[0] && samples[i] <= high[0])) return true;
    return false;
}

} // namespace

bool isDamagedFrame(const AVFrame* frame) {
    const auto format = static_cast<AVSampleFormat>(frame->format);
    const AVSampleFormat packed = av_get_packed_sample_fmt(format);
    // Integer samples cannot leave full scale.
    if (packed != AV_SAMPLE_FMT_FLT && packed != AV_SAMPLE_FMT_DBL) return false;
    const int channels = frame->ch_layout.nb_channels;
    const bool planar = av_sample_fmt_is_planar(format);
    const int planes = planar ? channels : 1;
    const size_t count =
        static_cast<size_t>(frame->nb_samples) * static_cast<size_t>(planar ? 1 : channels);
    for (int p = 0; p < planes; ++p) {
        const uint8_t* data = frame->extended_data[p];
        if (packed == AV_SAMPLE_FMT_FLT ? outOfRange<float>(data, count)
                                        : outOfRange<double>(data, count))
            return true;
    }
    return false;
}

quelvo::Status checkComplete(const std::string& path, const AVFormatContext* format,
                             const AVStream* stream, const DecodeFacts& facts) {
    const int rate = facts.rate;
    const int64_t decoded = facts.sampleFrames;
    const std::string cause = facts.readError         ? ffmpegReason(facts.readError)
                              : facts.lastDecodeError ? ffmpegReason(facts.lastDecodeError)
                                                      : std::string();
    if (decoded == 0)
        return quelvo::Status::failure(cause.empty() ? "no audio could be decoded"
                                                     : "no audio could be decoded: " + cause);
    if (facts.damage.share(decoded) > kMostDamagedShare)
        return quelvo::Status::failure(tooDamagedReason(facts.damage, decoded));
    if (facts.packets > 0 && facts.failedPackets * 2 > facts.packets)
        return quelvo::Status::failure("most of the audio data is damaged: " + cause);
    const auto endsEarly = [&](double declaredSeconds) {
        std::string message = "the file ends early: " + secondsText(double(decoded) / rate) +
                              " of " + secondsText(declaredSeconds) + " could be read";
        if (!cause.empty()) message += " (" + cause + ")";
        return quelvo::Status::failure(message);
    };
    // FFmpeg shortens a WAV data chunk that runs past the end of the file to
    // what is there, so the header is asked directly.
    if (format->iformat && std::strcmp(format->iformat->name, "wav") == 0) {
        if (const auto chunk = findWavDataChunk(path)) {
            const int64_t blockBytes = std::max(1, stream->codecpar->block_align);
            if (chunk->declaredBytes > chunk->presentBytes + blockBytes)
                return endsEarly(double(decoded) / rate * double(chunk->declaredBytes) /
                                 double(std::max<int64_t>(1, chunk->presentBytes)));
        }
    }
    // An MP4 lists every packet in its sample table: the file is whole when
    // every listed packet was read. Its header duration counts the gaps a
    // joined file leaves between packets, so it says nothing about this.
    if (const int64_t promised = promisedPackets(format, stream); promised > 0) {
        if (facts.packets < promised) {
            const double declaredSeconds = double(declaredSampleCount(format, stream, rate)) / rate;
            return endsEarly(declaredSeconds > 0 ? declaredSeconds
                                                 : double(decoded) / rate * promised /
                                                       std::max<int64_t>(1, facts.packets));
        }
        return quelvo::Status::success();
    }
    if (format->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE) {
        const int64_t declared = declaredSampleCount(format, stream, rate);
        // PCM lengths are exact; coded audio may lose its encoder delay and
        // padding (up to a few codec frames) to the decoder.
        int64_t slack = rate / kLevelFramesPerSecond;
        if (!directEncoding(stream->codecpar->codec_id)) {
            const int64_t frameSize =
                stream->codecpar->frame_size > 0 ? stream->codecpar->frame_size : 2048;
            slack = std::max<int64_t>(rate / 10, 4 * frameSize);
            if (stream->start_time != AV_NOPTS_VALUE && stream->start_time > 0)
                slack += av_rescale_q(stream->start_time, stream->time_base, AVRational{1, rate});
        }
        if (declared > 0 && decoded + slack < declared) return endsEarly(double(declared) / rate);
    }
    return quelvo::Status::success();
}

} // namespace quelvo::detail

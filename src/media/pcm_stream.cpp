#include "media/pcm_stream.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "media/decoding.h"
#include "media/ffmpeg_input.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace quelvo {

namespace {

struct SwrFreer {
    void operator()(SwrContext* context) const { swr_free(&context); }
};
struct FifoFreer {
    void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};

AVChannelLayout layoutOf(const PcmFormat& format) {
    AVChannelLayout layout{};
    if (format.channelMask != 0 && av_channel_layout_from_mask(&layout, format.channelMask) == 0 &&
        layout.nb_channels == format.channels)
        return layout;
    av_channel_layout_default(&layout, format.channels);
    return layout;
}

SourceSamples samplesOf(const AVCodecParameters* p) {
    switch (p->codec_id) {
    case AV_CODEC_ID_PCM_S16LE:
    case AV_CODEC_ID_PCM_S16BE:
        return SourceSamples::s16;
    case AV_CODEC_ID_PCM_S24LE:
    case AV_CODEC_ID_PCM_S24BE:
        return SourceSamples::s24;
    case AV_CODEC_ID_PCM_S32LE:
    case AV_CODEC_ID_PCM_S32BE:
        return SourceSamples::s32;
    case AV_CODEC_ID_PCM_F32LE:
    case AV_CODEC_ID_PCM_F32BE:
        return SourceSamples::f32;
    case AV_CODEC_ID_PCM_F64LE:
    case AV_CODEC_ID_PCM_F64BE:
        return SourceSamples::f64;
    case AV_CODEC_ID_FLAC:
        if (p->bits_per_raw_sample == 16) return SourceSamples::s16;
        if (p->bits_per_raw_sample == 24) return SourceSamples::s24;
        return SourceSamples::other;
    default:
        return SourceSamples::other;
    }
}

} // namespace

struct PcmStream::Impl {
    detail::FormatPtr format;
    detail::CodecPtr codec;
    detail::PacketPtr packet;
    detail::FramePtr frame;
    std::unique_ptr<SwrContext, SwrFreer> swr;
    std::unique_ptr<AVAudioFifo, FifoFreer> fifo;
    int streamIndex = -1;
    PcmFormat source, target;
    SourceSamples samples = SourceSamples::other;
    AVChannelLayout sourceLayout{}, targetLayout{};
    int swrInputRate = 0;
    bool inputDone = false; // no more packets
    bool flushed = false;   // decoder and resampler drained
    Status status = Status::success();
    std::vector<uint8_t*> scratch;
    int scratchFrames = 0;
    // The timeline, as the analysis's reader keeps it (decoding.h).
    std::optional<detail::PacketTimeline> timeline;
    std::optional<int64_t> origin; // the first frame's timestamp, in samples
    int64_t placed = 0;            // source samples handed to the resampler
    int64_t failedSince = 0;       // packets that failed since the last frame
    int64_t failedDuration = 0;    // their durations, in the stream's time base
    int swrInputChannels = 0;
    detail::FramePtr silence; // a block of silence in the decoder's format
    bool reopen = false;      // damage met: a fresh decoder for the next packet
    AudioDamage damage;

    AVStream* stream() const { return format->streams[streamIndex]; }

    ~Impl() {
        av_channel_layout_uninit(&sourceLayout);
        av_channel_layout_uninit(&targetLayout);
        freeScratch();
    }

    void freeScratch() {
        if (!scratch.empty() && scratch[0]) av_freep(&scratch[0]);
        scratch.clear();
        scratchFrames = 0;
    }

    // The resampler is made for the first decoded frame's real format (some
    // decoders report a different rate or layout than the header).
    Status makeResampler(const AVFrame* f) {
        SwrContext* raw = nullptr;
        const int made =
            swr_alloc_set_opts2(&raw, &targetLayout, AV_SAMPLE_FMT_DBLP, target.sampleRate,
                                const_cast<AVChannelLayout*>(&f->ch_layout),
                                static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr);
        if (made < 0 || !raw) return Status::failure(detail::ffmpegReason(made));
        swr.reset(raw);
        const int opened = swr_init(raw);
        if (opened < 0) return Status::failure(detail::ffmpegReason(opened));
        swrInputRate = f->sample_rate;
        swrInputChannels = f->ch_layout.nb_channels;
        silence.reset(av_frame_alloc());
        if (!silence) return Status::failure("out of memory");
        silence->format = f->format;
        silence->sample_rate = f->sample_rate;
        silence->nb_samples = 1024;
        if (av_channel_layout_copy(&silence->ch_layout, &f->ch_layout) < 0 ||
            av_frame_get_buffer(silence.get(), 0) < 0)
            return Status::failure("out of memory");
        av_samples_set_silence(silence->extended_data, 0, 1024, swrInputChannels,
                               static_cast<AVSampleFormat>(f->format));
        return Status::success();
    }

    // `count` source samples of silence, counted as damage when `damaged`.
    Status addSilence(int64_t count, bool damaged) {
        if (count <= 0 || !swr) return Status::success();
        if (damaged) damage.addDamaged(placed, count);
        while (count > 0) {
            silence->nb_samples = static_cast<int>(std::min<int64_t>(count, 1024));
            if (Status converted = convert(silence.get()); !converted) return converted;
            placed += silence->nb_samples;
            count -= silence->nb_samples;
        }
        return Status::success();
    }

    // Places a decoded frame where the analysis places it: after the
    // silence of a join (or of packets that failed), or as silence itself
    // when it is a damaged packet's.
    Status place(const AVFrame* f) {
        if (!swr) {
            if (Status made = makeResampler(f); !made) return made;
        }
        const std::optional<int64_t> at =
            f->sample_rate == swrInputRate ? detail::frameStart(f, stream()) : std::nullopt;
        if (at) {
            if (!origin) {
                origin = *at;
            } else {
                const int64_t gap =
                    detail::gapBefore(format.get(), stream(), swrInputRate, *at - *origin, placed);
                if (Status filled = addSilence(gap, failedSince > 0); !filled) return filled;
            }
            failedSince = 0;
            failedDuration = 0;
        }
        if (f->sample_rate != swrInputRate || f->ch_layout.nb_channels != swrInputChannels ||
            detail::isDamagedFrame(f)) {
            reopen = true;
            return addSilence(av_rescale(f->nb_samples, swrInputRate, f->sample_rate), true);
        }
        placed += f->nb_samples;
        return convert(f);
    }

    void packetFailed(int64_t duration) {
        reopen = true;
        ++failedSince;
        if (duration > 0) failedDuration += duration;
    }

    // The last packets failed: their length is silence, as far as the
    // header reaches.
    Status closeFailedEnd() {
        if (failedDuration <= 0 || !swr) return Status::success();
        int64_t missing =
            av_rescale_q(failedDuration, stream()->time_base, AVRational{1, swrInputRate});
        if (const int64_t declared =
                detail::declaredSampleCount(format.get(), stream(), swrInputRate);
            declared > 0)
            missing = std::min(missing, declared - placed);
        failedDuration = 0;
        return addSilence(missing, true);
    }

    Status convert(const AVFrame* f) {
        const int inFrames = f ? f->nb_samples : 0;
        const int room = swr_get_out_samples(swr.get(), inFrames);
        if (room <= 0) return Status::success();
        if (room > scratchFrames) {
            freeScratch();
            scratch.assign(target.channels, nullptr);
            if (av_samples_alloc(scratch.data(), nullptr, target.channels, room, AV_SAMPLE_FMT_DBLP,
                                 0) < 0)
                return Status::failure("out of memory");
            scratchFrames = room;
        }
        const int got =
            swr_convert(swr.get(), scratch.data(), room,
                        f ? const_cast<const uint8_t**>(f->extended_data) : nullptr, inFrames);
        if (got < 0) return Status::failure(detail::ffmpegReason(got));
        if (got > 0 &&
            av_audio_fifo_write(fifo.get(), reinterpret_cast<void**>(scratch.data()), got) < got)
            return Status::failure("out of memory");
        return Status::success();
    }

    Status drainDecoder() {
        for (;;) {
            const int received = avcodec_receive_frame(codec.get(), frame.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return Status::success();
            if (received < 0) {
                packetFailed(0);
                return Status::success();
            }
            Status converted = frame->nb_samples > 0 ? place(frame.get()) : Status::success();
            av_frame_unref(frame.get());
            if (!converted) return converted;
        }
    }

    // Decodes until the FIFO holds `wanted` frames or the audio ends.
    void fill(int wanted) {
        while (status && av_audio_fifo_size(fifo.get()) < wanted && !flushed) {
            if (!inputDone) {
                const int read = av_read_frame(format.get(), packet.get());
                if (read == AVERROR(EAGAIN)) continue;
                if (read < 0) {
                    inputDone = true;
                    avcodec_send_packet(codec.get(), nullptr);
                } else {
                    if (packet->stream_index == streamIndex) {
                        if (timeline->follow(packet.get())) damage.addJump(placed);
                        // As the analysis's reader: a fresh decoder after damage.
                        if (reopen) {
                            reopen = false;
                            if (Status reopened = detail::openStreamDecoder(stream(), codec);
                                !reopened) {
                                status = reopened;
                                av_packet_unref(packet.get());
                                return;
                            }
                        }
                        int sent = avcodec_send_packet(codec.get(), packet.get());
                        if (sent == AVERROR(EAGAIN)) {
                            status = drainDecoder();
                            sent = avcodec_send_packet(codec.get(), packet.get());
                        }
                        if (sent < 0) packetFailed(packet->duration);
                    }
                    av_packet_unref(packet.get());
                }
                if (status) status = drainDecoder();
                continue;
            }
            if (status) status = closeFailedEnd();
            if (swr && status) status = convert(nullptr);
            flushed = true;
        }
    }
};

PcmStream::PcmStream(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
PcmStream::~PcmStream() = default;

std::unique_ptr<PcmStream> PcmStream::open(const std::string& path, const PcmFormat& target,
                                           Status& status) {
    detail::OpenedInput input = detail::openInput(path);
    if (!input.status) {
        status = input.status;
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->streamIndex =
        av_find_best_stream(input.format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (impl->streamIndex < 0) {
        status = Status::failure("the file has no audio stream");
        return nullptr;
    }
    if (Status believable = detail::checkStreamHeader(input, impl->streamIndex); !believable) {
        status = believable;
        return nullptr;
    }
    impl->format = std::move(input.format);
    AVFormatContext* format = impl->format.get();
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (static_cast<int>(i) != impl->streamIndex) format->streams[i]->discard = AVDISCARD_ALL;
    AVStream* stream = format->streams[impl->streamIndex];
    const AVCodecParameters* p = stream->codecpar;
    if (p->sample_rate <= 0 || p->ch_layout.nb_channels <= 0) {
        status = Status::failure("the audio has no usable sample rate or channels");
        return nullptr;
    }
    impl->source.sampleRate = p->sample_rate;
    impl->source.channels = p->ch_layout.nb_channels;
    impl->source.channelMask =
        p->ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? p->ch_layout.u.mask : 0;
    impl->samples = samplesOf(p);
    impl->timeline.emplace(stream);
    impl->target = target.sampleRate > 0 ? target : impl->source;
    impl->targetLayout = layoutOf(impl->target);

    const AVCodec* codec = avcodec_find_decoder(p->codec_id);
    if (!codec) {
        status = Status::failure(std::string("no decoder for the audio format ") +
                                 avcodec_get_name(p->codec_id));
        return nullptr;
    }
    impl->codec.reset(avcodec_alloc_context3(codec));
    impl->packet.reset(av_packet_alloc());
    impl->frame.reset(av_frame_alloc());
    impl->fifo.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_DBLP, impl->target.channels, 8192));
    if (!impl->codec || !impl->packet || !impl->frame || !impl->fifo) {
        status = Status::failure("out of memory");
        return nullptr;
    }
    int error = avcodec_parameters_to_context(impl->codec.get(), p);
    if (error >= 0) {
        impl->codec->pkt_timebase = stream->time_base;
        impl->codec->thread_count = 1;
        error = avcodec_open2(impl->codec.get(), codec, nullptr);
    }
    if (error < 0) {
        status = Status::failure(detail::ffmpegReason(error));
        return nullptr;
    }
    status = Status::success();
    return std::unique_ptr<PcmStream>(new PcmStream(std::move(impl)));
}

PcmFormat PcmStream::sourceFormat() const {
    return m_impl->source;
}
SourceSamples PcmStream::sourceSamples() const {
    return m_impl->samples;
}
PcmFormat PcmStream::format() const {
    return m_impl->target;
}
const Status& PcmStream::status() const {
    return m_impl->status;
}
int64_t PcmStream::placedSamples() const {
    return m_impl->placed;
}

AudioDamage PcmStream::damage() const {
    AudioDamage damage = m_impl->damage;
    damage.rate = m_impl->swrInputRate > 0 ? m_impl->swrInputRate : m_impl->source.sampleRate;
    return damage;
}

Status PcmStream::damageVerdict() const {
    const AudioDamage found = damage();
    if (found.share(m_impl->placed) > kMostDamagedShare)
        return Status::failure(tooDamagedReason(found, m_impl->placed));
    return Status::success();
}

bool PcmStream::atEnd() const {
    return (m_impl->flushed || !m_impl->status) && av_audio_fifo_size(m_impl->fifo.get()) == 0;
}

int PcmStream::read(double* const* planes, int frames) {
    m_impl->fill(frames);
    const int available = std::min(frames, av_audio_fifo_size(m_impl->fifo.get()));
    if (available <= 0) return 0;
    return av_audio_fifo_read(m_impl->fifo.get(),
                              reinterpret_cast<void**>(const_cast<double**>(planes)), available);
}

} // namespace quelvo

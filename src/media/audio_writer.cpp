#include "media/audio_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "base/files.h"
#include "base/output_files.h"
#include "base/strings.h"
#include "base/temporary_files.h"
#include "media/ffmpeg_input.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
}

namespace quelvo {

namespace {

struct OutputCloser {
    void operator()(AVFormatContext* context) const {
        if (!context) return;
        if (context->pb) avio_closep(&context->pb);
        avformat_free_context(context);
    }
};

struct Choice {
    AVCodecID codec;
    AVSampleFormat sampleFormat;
    int bits; // stored bits per sample; 0 for AAC
};

Choice chooseCodec(const EncodeSettings& s) {
    switch (s.container) {
    case AudioContainer::wav:
        switch (s.samples) {
        case SourceSamples::s16:
            return {AV_CODEC_ID_PCM_S16LE, AV_SAMPLE_FMT_S16, 16};
        case SourceSamples::s32:
            return {AV_CODEC_ID_PCM_S32LE, AV_SAMPLE_FMT_S32, 32};
        case SourceSamples::f32:
            return {AV_CODEC_ID_PCM_F32LE, AV_SAMPLE_FMT_FLT, 32};
        case SourceSamples::f64:
            return {AV_CODEC_ID_PCM_F64LE, AV_SAMPLE_FMT_DBL, 64};
        default:
            return {AV_CODEC_ID_PCM_S24LE, AV_SAMPLE_FMT_S32, 24};
        }
    case AudioContainer::flac:
        if (s.samples == SourceSamples::s16) return {AV_CODEC_ID_FLAC, AV_SAMPLE_FMT_S16, 16};
        return {AV_CODEC_ID_FLAC, AV_SAMPLE_FMT_S32, 24};
    case AudioContainer::m4a:
        return {AV_CODEC_ID_AAC, AV_SAMPLE_FMT_FLTP, 0};
    }
    return {AV_CODEC_ID_PCM_S24LE, AV_SAMPLE_FMT_S32, 24};
}

const char* muxerName(AudioContainer c) {
    switch (c) {
    case AudioContainer::wav:
        return "wav";
    case AudioContainer::flac:
        return "flac";
    case AudioContainer::m4a:
        return "ipod";
    }
    return "wav";
}

// Rounds to the nearest step (halves away from zero) and clips to the range.
inline int32_t toInt(double x, double scale, int64_t low, int64_t high) {
    double v = x * scale;
    v += v >= 0 ? 0.5 : -0.5;
    if (!(v > static_cast<double>(low))) return static_cast<int32_t>(low); // also NaN
    if (v >= static_cast<double>(high)) return static_cast<int32_t>(high);
    return static_cast<int32_t>(v); // truncation after the half step rounds
}

} // namespace

std::optional<AudioContainer> containerForPath(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return std::nullopt;
    const std::string ext = quelvo::toLower(name.substr(dot + 1));
    if (ext == "wav") return AudioContainer::wav;
    if (ext == "flac") return AudioContainer::flac;
    if (ext == "m4a") return AudioContainer::m4a;
    return std::nullopt;
}

const char* extensionOf(AudioContainer container) {
    switch (container) {
    case AudioContainer::wav:
        return "wav";
    case AudioContainer::flac:
        return "flac";
    case AudioContainer::m4a:
        return "m4a";
    }
    return "wav";
}

struct AudioFileWriter::Impl {
    std::string path, temporaryPath;
    EncodeSettings settings;
    Choice choice{};
    std::unique_ptr<AVFormatContext, OutputCloser> output;
    detail::CodecPtr codec;
    detail::FramePtr frame;
    detail::PacketPtr packet;
    AVStream* stream = nullptr;
    int frameSize = 4096;
    std::vector<std::vector<double>> pending;
    int64_t written = 0;
    bool finished = false;
    bool headerWritten = false;

    ~Impl() {
        output.reset();
        if (!finished && !temporaryPath.empty()) quelvo::discardTemporaryFile(temporaryPath);
    }

    Status fail(int error) const {
        return Status::failure("cannot write " + path + ": " + detail::ffmpegReason(error));
    }

    Status drain() {
        for (;;) {
            const int received = avcodec_receive_packet(codec.get(), packet.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return Status::success();
            if (received < 0) return fail(received);
            packet->stream_index = stream->index;
            av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
            const int muxed = av_interleaved_write_frame(output.get(), packet.get());
            if (muxed < 0) return fail(muxed);
            if (output->pb && output->pb->error < 0) return fail(output->pb->error);
        }
    }

    void fillFrame(const double* const* planes, int offset, int n) {
        const int channels = settings.format.channels;
        for (int c = 0; c < channels; ++c) {
            const double* in = planes[c] + offset;
            switch (choice.sampleFormat) {
            case AV_SAMPLE_FMT_S16: {
                auto* out = reinterpret_cast<int16_t*>(frame->data[0]);
                for (int i = 0; i < n; ++i)
                    out[i * channels + c] =
                        static_cast<int16_t>(toInt(in[i], 32768.0, -32768, 32767));
                break;
            }
            case AV_SAMPLE_FMT_S32: {
                auto* out = reinterpret_cast<int32_t*>(frame->data[0]);
                if (choice.bits == 24) {
                    for (int i = 0; i < n; ++i)
                        out[i * channels + c] = static_cast<int32_t>(
                            static_cast<uint32_t>(toInt(in[i], 8388608.0, -8388608, 8388607)) << 8);
                } else {
                    for (int i = 0; i < n; ++i)
                        out[i * channels + c] = toInt(in[i], 2147483648.0, INT32_MIN, INT32_MAX);
                }
                break;
            }
            case AV_SAMPLE_FMT_FLT: {
                auto* out = reinterpret_cast<float*>(frame->data[0]);
                for (int i = 0; i < n; ++i)
                    out[i * channels + c] = static_cast<float>(in[i]);
                break;
            }
            case AV_SAMPLE_FMT_DBL: {
                auto* out = reinterpret_cast<double*>(frame->data[0]);
                for (int i = 0; i < n; ++i)
                    out[i * channels + c] = in[i];
                break;
            }
            case AV_SAMPLE_FMT_FLTP: {
                auto* out = reinterpret_cast<float*>(frame->extended_data[c]);
                for (int i = 0; i < n; ++i)
                    out[i] = static_cast<float>(in[i]);
                break;
            }
            default:
                break;
            }
        }
    }

    // Encodes n frames from planes at offset. The frame's buffer is made
    // once and reused whenever the encoder has let go of it.
    Status encode(const double* const* planes, int offset, int n) {
        int error = 0;
        if (!frame->buf[0]) {
            frame->nb_samples = frameSize;
            frame->format = choice.sampleFormat;
            frame->sample_rate = settings.format.sampleRate;
            if (av_channel_layout_copy(&frame->ch_layout, &codec->ch_layout) < 0)
                return Status::failure("out of memory");
            error = av_frame_get_buffer(frame.get(), 0);
            if (error < 0) return fail(error);
        }
        error = av_frame_make_writable(frame.get());
        if (error < 0) return fail(error);
        frame->nb_samples = n;
        fillFrame(planes, offset, n);
        frame->pts = written;
        written += n;
        error = avcodec_send_frame(codec.get(), frame.get());
        if (error < 0) return fail(error);
        return drain();
    }

    Status encodePending(int n) {
        std::vector<const double*> planes;
        for (auto& plane : pending)
            planes.push_back(plane.data());
        Status encoded = encode(planes.data(), 0, n);
        for (auto& plane : pending)
            plane.erase(plane.begin(), plane.begin() + n);
        return encoded;
    }
};

AudioFileWriter::AudioFileWriter(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
AudioFileWriter::~AudioFileWriter() = default;

std::unique_ptr<AudioFileWriter>
AudioFileWriter::create(const std::string& path, const EncodeSettings& settings, Status& status) {
    detail::quietFfmpegLog();
    detail::clearLoggedError();
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->settings = settings;
    impl->choice = chooseCodec(settings);
    const auto failWith = [&](const std::string& why) {
        status = Status::failure("cannot write " + path + ": " + why);
        return nullptr;
    };
    if (settings.format.channels <= 0 || settings.format.sampleRate <= 0)
        return failWith("no audio format");

    const AVCodec* encoder = avcodec_find_encoder(impl->choice.codec);
    if (!encoder)
        return failWith(std::string("no encoder for ") + avcodec_get_name(impl->choice.codec));
    if (const auto refused = quelvo::notWritableBecause(path)) return failWith(*refused);
    impl->temporaryPath = quelvo::temporaryPathBeside(path);
    AVFormatContext* raw = nullptr;
    int error =
        avformat_alloc_output_context2(&raw, nullptr, muxerName(settings.container), nullptr);
    if (error < 0 || !raw) return failWith(detail::ffmpegReason(error));
    impl->output.reset(raw);
    impl->codec.reset(avcodec_alloc_context3(encoder));
    impl->frame.reset(av_frame_alloc());
    impl->packet.reset(av_packet_alloc());
    impl->stream = avformat_new_stream(raw, nullptr);
    if (!impl->codec || !impl->frame || !impl->packet || !impl->stream)
        return failWith("out of memory");

    AVCodecContext* codec = impl->codec.get();
    codec->sample_fmt = impl->choice.sampleFormat;
    codec->sample_rate = settings.format.sampleRate;
    AVChannelLayout layout{};
    if (settings.format.channelMask == 0 ||
        av_channel_layout_from_mask(&layout, settings.format.channelMask) < 0 ||
        layout.nb_channels != settings.format.channels)
        av_channel_layout_default(&layout, settings.format.channels);
    av_channel_layout_copy(&codec->ch_layout, &layout);
    av_channel_layout_uninit(&layout);
    codec->time_base = AVRational{1, settings.format.sampleRate};
    if (impl->choice.bits == 24) codec->bits_per_raw_sample = 24;
    if (settings.container == AudioContainer::m4a) codec->bit_rate = settings.aacBitRate;
    if (raw->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    codec->thread_count = 1;
    error = avcodec_open2(codec, encoder, nullptr);
    if (error < 0) return failWith(detail::ffmpegReason(error));
    error = avcodec_parameters_from_context(impl->stream->codecpar, codec);
    if (error < 0) return failWith(detail::ffmpegReason(error));
    impl->stream->time_base = codec->time_base;
    if (codec->frame_size > 0 && !(encoder->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE))
        impl->frameSize = codec->frame_size;

    const std::string url = "file:" + impl->temporaryPath;
    error = avio_open(&raw->pb, url.c_str(), AVIO_FLAG_WRITE);
    if (error < 0) {
        quelvo::forgetTemporaryFile(impl->temporaryPath); // nothing was created
        impl->temporaryPath.clear();
        return failWith(detail::ffmpegReason(error));
    }
    // A WAV's sizes are 32-bit: past 4 GiB (three hours of 192 kHz 24-bit
    // stereo) the muxer turns the header into RF64's, for which it keeps
    // room in every WAV it writes.
    AVDictionary* muxerOptions = nullptr;
    if (settings.container == AudioContainer::wav) av_dict_set(&muxerOptions, "rf64", "auto", 0);
    error = avformat_write_header(raw, &muxerOptions);
    av_dict_free(&muxerOptions);
    if (error < 0) return failWith(detail::ffmpegReason(error));
    impl->headerWritten = true;
    impl->pending.assign(settings.format.channels, {});
    status = Status::success();
    return std::unique_ptr<AudioFileWriter>(new AudioFileWriter(std::move(impl)));
}

Status AudioFileWriter::write(const double* const* planes, int frames) {
    Impl& m = *m_impl;
    const int channels = m.settings.format.channels;
    int used = 0;
    // Complete a frame begun by the last call first.
    if (!m.pending[0].empty()) {
        used = std::min(frames, m.frameSize - static_cast<int>(m.pending[0].size()));
        for (int c = 0; c < channels; ++c)
            m.pending[c].insert(m.pending[c].end(), planes[c], planes[c] + used);
        if (static_cast<int>(m.pending[0].size()) < m.frameSize) return Status::success();
        if (Status encoded = m.encodePending(m.frameSize); !encoded) return encoded;
    }
    // Whole frames straight from the caller's blocks.
    while (frames - used >= m.frameSize) {
        if (Status encoded = m.encode(planes, used, m.frameSize); !encoded) return encoded;
        used += m.frameSize;
    }
    for (int c = 0; c < channels; ++c)
        m.pending[c].insert(m.pending[c].end(), planes[c] + used, planes[c] + frames);
    return Status::success();
}

Status AudioFileWriter::finish() {
    Impl& m = *m_impl;
    if (!m.pending.empty() && !m.pending[0].empty())
        if (Status encoded = m.encodePending(static_cast<int>(m.pending[0].size())); !encoded)
            return encoded;
    int error = avcodec_send_frame(m.codec.get(), nullptr);
    if (error < 0) return m.fail(error);
    if (Status drained = m.drain(); !drained) return drained;
    error = av_write_trailer(m.output.get());
    if (error < 0) return m.fail(error);
    avio_flush(m.output->pb);
    if (m.output->pb->error < 0) return m.fail(m.output->pb->error);
    error = avio_closep(&m.output->pb);
    if (error < 0) return m.fail(error);
    Status committed = quelvo::commitTemporaryFile(m.temporaryPath, m.path);
    if (committed)
        m.finished = true;
    else
        m.temporaryPath.clear(); // the commit removed it
    return committed;
}

std::string AudioFileWriter::description() const {
    const Impl& m = *m_impl;
    switch (m.settings.container) {
    case AudioContainer::wav:
        if (m.choice.sampleFormat == AV_SAMPLE_FMT_FLT) return "WAV 32-bit float";
        if (m.choice.sampleFormat == AV_SAMPLE_FMT_DBL) return "WAV 64-bit float";
        return "WAV " + std::to_string(m.choice.bits) + "-bit";
    case AudioContainer::flac:
        return "FLAC " + std::to_string(m.choice.bits) + "-bit";
    case AudioContainer::m4a:
        return "AAC " + std::to_string(m.settings.aacBitRate / 1000) + " kb/s";
    }
    return "";
}

} // namespace quelvo

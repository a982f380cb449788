#include "media/audio_reader.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <optional>

#include "media/decoding.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

namespace quelvo {

namespace {

using detail::decodedEncoding;
using detail::directEncoding;

static_assert(std::endian::native == std::endian::little,
              "PCM samples are read in place assuming a little-endian machine");

// One decoding run: the state that the loop and its helpers share.
class Decoder {
  public:
    Decoder(const std::string& path, AVFormatContext* format, int streamIndex,
            const FramePeakMeter::Sink& sink, SampleBlockObserver* observer = nullptr)
        : m_path(path), m_format(format), m_stream(format->streams[streamIndex]),
          m_index(streamIndex), m_sink(sink), m_observer(observer), m_timeline(m_stream) {}

    // Checked between packets: a set flag ends the run with kCancelledReason.
    void setStop(const std::atomic<bool>* stop) { m_stop = stop; }
    Status run(bool directPcm);
    // Counts the packets' samples instead of decoding them. Fails with
    // "unknownPacketDuration" when a packet does not say how long it is.
    Status countPackets();
    // What was measured; the rate is the decoder's (HE-AAC, for one, decodes
    // at twice the rate its header gives).
    int sampleRate() const {
        return m_counted ? m_countedRate : m_meter ? m_meter->sampleRate() : 0;
    }
    int64_t sampleFrames() const {
        return m_counted ? m_countedFrames : m_meter ? m_meter->sampleFrames() : 0;
    }
    bool unknownPacketDuration() const { return m_unknownPacketDuration; }
    int channels() const { return m_channels; }
    AudioDamage damage() const {
        AudioDamage damage = m_damage;
        damage.rate = sampleRate();
        return damage;
    }
    const detail::PacketTimeline& timeline() const { return m_timeline; }

  private:
    bool nextPacket(AVPacket* packet);
    Status measureFrame(const AVFrame* frame);
    void fillGapBefore(const AVFrame* frame);
    void addSilence(int64_t samples, bool damaged);
    void packetFailed(int error, int64_t duration);
    int64_t placed() const { return m_meter ? m_meter->sampleFrames() : 0; }
    Status drain();
    Status checkComplete() const {
        return detail::checkComplete(m_path, m_format, m_stream,
                                     {sampleRate(), sampleFrames(), m_packets, m_failedPackets,
                                      m_readError, m_lastDecodeError, damage()});
    }

    const std::string& m_path;
    AVFormatContext* m_format;
    AVStream* m_stream;
    int m_index;
    const FramePeakMeter::Sink& m_sink;
    SampleBlockObserver* m_observer;
    const std::atomic<bool>* m_stop = nullptr;
    std::optional<FramePeakMeter> m_meter;
    detail::CodecPtr m_codec;
    detail::FramePtr m_frame;
    std::optional<SampleEncoding> m_direct;
    int64_t m_packets = 0;
    int64_t m_failedPackets = 0;
    int m_lastDecodeError = 0;
    int m_readError = 0; // what stopped reading, when it was not the end of the file
    int m_channels = 0;
    bool m_counted = false;
    int m_countedRate = 0;
    int64_t m_countedFrames = 0;
    bool m_unknownPacketDuration = false;
    // Sample position of the first decoded frame: later frames are placed
    // at their own timestamps relative to it.
    std::optional<int64_t> m_origin;
    detail::PacketTimeline m_timeline;
    AudioDamage m_damage;
    // Packets that failed since the last frame: the gap they leave before
    // the next frame is damage, not a join.
    int64_t m_failedSince = 0;
    int64_t m_failedDuration = 0; // their durations, in the stream's time base
    bool m_reopen = false;        // damage met: a fresh decoder for the next packet
};

bool Decoder::nextPacket(AVPacket* packet) {
    if (!detail::readStreamPacket(m_format, m_index, packet, m_readError)) return false;
    // PCM measured in place has no timestamps to follow.
    if (m_timeline.follow(packet) && !m_direct)
        m_damage.addJump(m_counted ? m_countedFrames : placed());
    return true;
}

void Decoder::addSilence(int64_t samples, bool damaged) {
    if (samples <= 0 || !m_meter) return;
    if (damaged) m_damage.addDamaged(placed(), samples);
    detail::feedSilence(samples, [this](const uint8_t* silence, int64_t count) {
        m_meter->addInterleaved(SampleEncoding::F32, silence, count, 1);
    });
}

void Decoder::packetFailed(int error, int64_t duration) {
    m_reopen = true;
    ++m_failedPackets;
    m_lastDecodeError = error;
    ++m_failedSince;
    if (duration > 0) m_failedDuration += duration;
}

// A file joined from pieces (a loop, a concatenation) may leave gaps between
// its packets' timestamps; the editor's timeline keeps them, so the analysis
// counts them as silence instead of pulling the later audio forward.
void Decoder::fillGapBefore(const AVFrame* frame) {
    const std::optional<int64_t> at = detail::frameStart(frame, m_stream);
    if (!at) return;
    if (!m_origin) {
        m_origin = *at;
        return;
    }
    addSilence(detail::gapBefore(m_format, m_stream, frame->sample_rate, *at - *m_origin, placed()),
               m_failedSince > 0);
    m_failedSince = 0;
    m_failedDuration = 0;
}

Status Decoder::countPackets() {
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
    if (!packet) return Status::failure("out of memory");
    while (nextPacket(packet.get())) {
        ++m_packets;
        const int64_t duration = packet->duration;
        const int size = packet->size;
        av_packet_unref(packet.get());
        if (frameBytes > 0) {
            m_countedFrames += size / frameBytes;
        } else if (duration > 0) {
            m_countedFrames +=
                av_rescale_q(duration, m_stream->time_base, AVRational{1, m_countedRate});
        } else {
            m_unknownPacketDuration = true;
            return Status::failure("a packet without a duration");
        }
    }
    return checkComplete();
}

Status Decoder::measureFrame(const AVFrame* frame) {
    if (frame->nb_samples <= 0) return Status::success();
    if (!m_meter) {
        if (Status usable = detail::checkSampleRate(frame->sample_rate); !usable) return usable;
        m_meter.emplace(frame->sample_rate, m_sink, m_observer);
    }
    const int channels = frame->ch_layout.nb_channels;
    // A frame at another rate or of no channels is a damaged packet's: its
    // length at the file's rate is silence.
    if (frame->sample_rate != m_meter->sampleRate() || channels <= 0 ||
        detail::isDamagedFrame(frame)) {
        m_reopen = true;
        if (frame->sample_rate == m_meter->sampleRate()) fillGapBefore(frame);
        addSilence(av_rescale(frame->nb_samples, m_meter->sampleRate(), frame->sample_rate), true);
        return Status::success();
    }
    const auto format = static_cast<AVSampleFormat>(frame->format);
    const std::optional<SampleEncoding> encoding = decodedEncoding(format);
    if (!encoding)
        return Status::failure(
            std::string("unsupported sample format ") +
            (av_get_sample_fmt_name(format) ? av_get_sample_fmt_name(format) : "?"));
    m_channels = std::max(m_channels, channels);
    fillGapBefore(frame);
    if (av_sample_fmt_is_planar(format))
        m_meter->addPlanar(*encoding, frame->extended_data, channels, frame->nb_samples);
    else
        m_meter->addInterleaved(*encoding, frame->extended_data[0], frame->nb_samples, channels);
    return Status::success();
}

// Takes every frame the decoder has ready.
Status Decoder::drain() {
    for (;;) {
        const int received = avcodec_receive_frame(m_codec.get(), m_frame.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return Status::success();
        if (received < 0) {
            packetFailed(received, 0);
            return Status::success();
        }
        Status measured = measureFrame(m_frame.get());
        av_frame_unref(m_frame.get());
        if (!measured) return measured;
    }
}

Status Decoder::run(bool directPcm) {
    const AVCodecParameters* parameters = m_stream->codecpar;
    const int channels = parameters->ch_layout.nb_channels;
    if (directPcm) {
        m_direct = directEncoding(parameters->codec_id);
        // Only where each packet is a whole number of plain sample frames.
        if (m_direct &&
            parameters->block_align != static_cast<int>(bytesPerSample(*m_direct)) * channels)
            m_direct.reset();
    }
    if (m_direct) {
        m_meter.emplace(parameters->sample_rate, m_sink, m_observer);
        m_channels = channels;
    } else {
        if (Status opened = detail::openStreamDecoder(m_stream, m_codec); !opened) return opened;
        m_frame.reset(av_frame_alloc());
        if (!m_frame) return Status::failure("out of memory");
    }
    detail::PacketPtr packet(av_packet_alloc());
    if (!packet) return Status::failure("out of memory");

    while (nextPacket(packet.get())) {
        if (m_stop && m_stop->load(std::memory_order_relaxed))
            return Status::failure(kCancelledReason);
        ++m_packets;
        if (m_direct) {
            const int64_t frames = packet->size / parameters->block_align;
            m_meter->addInterleaved(*m_direct, packet->data, frames, channels);
            av_packet_unref(packet.get());
            continue;
        }
        // Damage can leave the decoder in a state that decodes the rest of
        // the file to silence (an AAC channel layout overwritten): a fresh
        // one takes over from the next packet.
        if (m_reopen) {
            m_reopen = false;
            if (Status reopened = detail::openStreamDecoder(m_stream, m_codec); !reopened)
                return reopened;
        }
        int sent = avcodec_send_packet(m_codec.get(), packet.get());
        if (sent == AVERROR(EAGAIN)) {
            // The decoder wants its output taken first; then the packet fits.
            if (Status drained = drain(); !drained) return drained;
            sent = avcodec_send_packet(m_codec.get(), packet.get());
        }
        const int64_t duration = packet->duration;
        av_packet_unref(packet.get());
        if (sent < 0) {
            packetFailed(sent, duration);
            continue;
        }
        if (Status drained = drain(); !drained) return drained;
    }
    if (!m_direct) {
        avcodec_send_packet(m_codec.get(), nullptr);
        if (Status drained = drain(); !drained) return drained;
        // The last packets failed: their length is silence, as far as the
        // header reaches.
        if (m_failedDuration > 0 && m_meter) {
            const int rate = m_meter->sampleRate();
            int64_t missing =
                av_rescale_q(m_failedDuration, m_stream->time_base, AVRational{1, rate});
            if (const int64_t declared = detail::declaredSampleCount(m_format, m_stream, rate);
                declared > 0)
                missing = std::min(missing, declared - placed());
            addSilence(missing, true);
        }
    }
    if (m_meter) m_meter->finish();
    return checkComplete();
}

} // namespace

DecodeSummary readFramePeaks(const std::string& path, const FramePeakMeter::Sink& sink,
                             const DecodeOptions& options) {
    DecodeSummary summary;
    detail::AudioInput input = detail::openAudioInput(path);
    if (!input.status) {
        summary.status = input.status;
        return summary;
    }
    AVFormatContext* format = input.format.get();
    const int index = input.streamIndex;

    Decoder decoder(path, format, index, sink, options.packetsOnly ? nullptr : options.observer);
    decoder.setStop(options.stop);
    if (options.packetsOnly) {
        summary.status = decoder.countPackets();
        // Without packet durations only decoding can tell.
        if (decoder.unknownPacketDuration()) {
            DecodeOptions decode = options;
            decode.packetsOnly = false;
            return readFramePeaks(
                path, [](float) {}, decode);
        }
    } else {
        summary.status = decoder.run(options.directPcm);
    }
    if (!summary.status) return summary;
    summary.sampleRate = decoder.sampleRate();
    summary.channels = decoder.channels();
    summary.sampleFrames = decoder.sampleFrames();
    summary.duration = static_cast<double>(summary.sampleFrames) / summary.sampleRate;
    summary.damage = decoder.damage();
    summary.packetSeconds = decoder.timeline().seconds();
    summary.frameSeconds = decoder.timeline().frameSeconds();
    return summary;
}

} // namespace quelvo

#include "media/segment_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "media/decoding.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

namespace quelvo::detail {

namespace {

int64_t frameStartSample(int64_t frame, int rate) {
    return frame * rate / kLevelFramesPerSecond;
}

// Sees every block the meter takes and keeps, for the frames compared with
// the neighbouring segments, a digest of their samples and the feature
// meter's state where each begins; the feature meter (when there is one)
// is fed through it, cut at those frames' boundaries.
class SeamRecorder final : public SampleBlockObserver {
  public:
    SeamRecorder(const SegmentTask& task, SpeechFeatureMeter* features, SegmentResult& out)
        : m_task(task), m_features(features), m_frame(task.firstFrame) {
        m_seams[0].record = &out.start;
        m_seams[1].record = &out.end;
        if (task.checkStart) m_seams[0].from = task.firstFrame;
    }

    void start(int sampleRate) override {
        m_rate = sampleRate;
        m_position = frameStartSample(m_frame, m_rate);
        m_frameEnd = frameStartSample(m_frame + 1, m_rate);
        if (m_features) m_features->start(sampleRate);
        learnEnd();
        for (Seam& seam : m_seams)
            if (seam.from == m_frame) begin(seam);
    }

    void interleaved(SampleEncoding encoding, const uint8_t* data, int64_t frames,
                     int channels) override {
        const size_t stride = bytesPerSample(encoding) * static_cast<size_t>(channels);
        while (frames > 0) {
            const int64_t take = pieceOf(frames);
            if (Seam* seam = checking()) mix(*seam, data, static_cast<size_t>(take) * stride);
            if (m_features) m_features->interleaved(encoding, data, take, channels);
            data += static_cast<size_t>(take) * stride;
            frames -= take;
            advance(take);
        }
    }

    void planar(SampleEncoding encoding, const uint8_t* const* planes, int channels,
                int64_t frames) override {
        const size_t width = bytesPerSample(encoding);
        std::vector<const uint8_t*> at(planes, planes + channels);
        while (frames > 0) {
            const int64_t take = pieceOf(frames);
            if (Seam* seam = checking())
                for (int c = 0; c < channels; ++c)
                    mix(*seam, at[static_cast<size_t>(c)], static_cast<size_t>(take) * width);
            if (m_features) m_features->planar(encoding, at.data(), channels, take);
            for (const uint8_t*& p : at)
                p += static_cast<size_t>(take) * width;
            frames -= take;
            advance(take);
        }
    }

    // The first segment learns where the next one starts while it runs; a
    // plan that comes after it passed that point cannot be checked.
    bool missedCheck() const { return m_missed; }

  private:
    struct Seam {
        int64_t from = -1;
        SegmentResult::Seam* record = nullptr;
        uint64_t digest = 0;
    };

    void learnEnd() {
        Seam& seam = m_seams[1];
        if (seam.from >= 0 || m_missed) return;
        const int64_t check = m_task.stopCheck ? m_task.stopCheck->load() : m_task.check;
        if (check < 0) return;
        if (m_position > frameStartSample(check, m_rate)) {
            m_missed = true;
            return;
        }
        seam.from = check;
        seam.record->from = check;
    }
    bool inside(const Seam& seam, int64_t frame) const {
        return seam.from >= 0 && frame >= seam.from && frame < seam.from + m_task.checkFrames;
    }
    Seam* checking() {
        for (Seam& seam : m_seams)
            if (inside(seam, m_frame)) return &seam;
        return nullptr;
    }
    // Blocks are cut where a compared frame starts and where each one ends.
    int64_t pieceOf(int64_t frames) {
        learnEnd();
        int64_t boundary = std::numeric_limits<int64_t>::max();
        for (const Seam& seam : m_seams) {
            if (inside(seam, m_frame))
                boundary = std::min(boundary, m_frameEnd);
            else if (seam.from > m_frame)
                boundary = std::min(boundary, frameStartSample(seam.from, m_rate));
        }
        if (boundary == std::numeric_limits<int64_t>::max()) return frames;
        return std::max<int64_t>(1, std::min(frames, boundary - m_position));
    }
    static void mix(Seam& seam, const uint8_t* bytes, size_t count) {
        // FNV-1a: any difference in any byte changes the digest.
        uint64_t digest = seam.digest;
        for (size_t i = 0; i < count; ++i)
            digest = (digest ^ bytes[i]) * 0x100000001b3ULL;
        seam.digest = digest;
    }
    void begin(Seam& seam) {
        seam.digest = 0xcbf29ce484222325ULL;
        seam.record->from = seam.from;
        if (m_features) seam.record->states.push_back(m_features->stateAtFrameBoundary());
    }
    void advance(int64_t count) {
        m_position += count;
        while (m_position >= m_frameEnd) {
            if (Seam* seam = checking()) seam->record->digests.push_back(seam->digest);
            ++m_frame;
            m_frameEnd = std::max(frameStartSample(m_frame + 1, m_rate), m_frameEnd + 1);
            if (Seam* seam = checking()) begin(*seam);
        }
    }

    const SegmentTask& m_task;
    SpeechFeatureMeter* m_features;
    std::array<Seam, 2> m_seams;
    int m_rate = 0;
    int64_t m_frame;
    int64_t m_position = 0;
    int64_t m_frameEnd = 0;
    bool m_missed = false;
};

// Changes a packet's encoder-delay and padding note to what the packet
// carried when the file was read from its start.
bool setSkips(AVPacket* packet, const PacketMark& mark) {
    size_t size = 0;
    uint8_t* data = av_packet_get_side_data(packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
    if (!data) {
        if (mark.skipStart == 0 && mark.skipEnd == 0) return true;
        data = av_packet_new_side_data(packet, AV_PKT_DATA_SKIP_SAMPLES, 10);
        if (!data) return false;
        std::memset(data, 0, 10);
        size = 10;
    }
    if (size < 8) return false;
    for (int i = 0; i < 4; ++i) {
        data[i] = static_cast<uint8_t>(mark.skipStart >> (8 * i));
        data[4 + i] = static_cast<uint8_t>(mark.skipEnd >> (8 * i));
    }
    return true;
}

class SegmentRun {
  public:
    SegmentRun(const SegmentTask& task, SegmentResult& out, AudioInput* shared)
        : m_task(task), m_out(out), m_recorder(task, task.features ? &m_features : nullptr, out),
          m_shared(shared) {}

    quelvo::Status run() {
        // A segment that seeks can use a file its thread opened before (an
        // MP4 parses its whole index when opened).
        const bool seeks = m_task.packets && m_task.firstPacket > 0;
        AudioInput* input = m_shared && m_shared->status && seeks ? m_shared : nullptr;
        if (!input) {
            m_own = openAudioInput(m_task.path);
            input = &m_own;
            if (m_shared && !m_shared->status && m_own.status) {
                *m_shared = std::move(m_own);
                input = m_shared;
            }
        }
        if (!input->status) return input->status;
        m_format = input->format.get();
        m_stream = input->stream();
        m_streamIndex = input->streamIndex;
        if (m_task.features) {
            const bool bounded = m_task.fixedStop != std::numeric_limits<int64_t>::max();
            m_features.beginSegment(m_task.firstFrame, true,
                                    bounded ? m_task.fixedStop - m_task.firstFrame : 0);
        }
        m_direct = packetEncoding(m_stream->codecpar);
        quelvo::Status status = m_direct ? readPcm() : decode();
        if (status && m_recorder.missedCheck())
            status = quelvo::Status::failure("the seam was passed before it was planned");
        if (m_meter) {
            m_out.rate = m_meter->sampleRate();
            m_out.sampleFrames = m_meter->sampleFrames();
        }
        if (m_task.features) m_out.features = m_features.finish();
        return status;
    }

  private:
    int64_t stopFrame() const { return m_task.stop ? m_task.stop->load() : m_task.fixedStop; }
    bool enough() const { return m_meter && m_meter->frameIndex() >= stopFrame(); }

    void makeMeter(int rate) {
        m_meter.emplace(
            rate, m_task.firstFrame,
            m_task.peaks ? FramePeakMeter::Sink([this](float peak) { m_out.peaks.push_back(peak); })
                         : FramePeakMeter::Sink(),
            &m_recorder);
        m_start = frameStartSample(m_task.firstFrame, rate);
    }

    // Hands the meter what lies at or after the segment's first sample.
    void place(SampleEncoding encoding, const uint8_t* const* planes, bool planar, int channels,
               int64_t count) {
        const int64_t skip = std::clamp<int64_t>(m_start - m_position, 0, count);
        m_position += count;
        if (skip == count) return;
        const size_t width = bytesPerSample(encoding);
        if (planar) {
            std::vector<const uint8_t*> at(planes, planes + channels);
            for (const uint8_t*& p : at)
                p += static_cast<size_t>(skip) * width;
            m_meter->addPlanar(encoding, at.data(), channels, count - skip);
        } else {
            m_meter->addInterleaved(encoding,
                                    planes[0] + static_cast<size_t>(skip) * width * channels,
                                    count - skip, channels);
        }
    }

    quelvo::Status readPcm() {
        const AVCodecParameters* parameters = m_stream->codecpar;
        const int rate = parameters->sample_rate;
        const int channels = parameters->ch_layout.nb_channels;
        makeMeter(rate);
        m_out.channels = channels;
        detail::stopCodecGuessing(m_format);
        // A byte seek: the demuxer's own seek may read its way there.
        // The first segment seeks too: the guessing stops only at a seek.
        const int64_t firstByte = m_task.dataStart + m_task.firstSample * parameters->block_align;
        if (m_task.dataStart < 0 || av_seek_frame(m_format, -1, firstByte, AVSEEK_FLAG_BYTE) < 0)
            return quelvo::Status::failure("cannot seek");
        PacketPtr packet(av_packet_alloc());
        if (!packet) return quelvo::Status::failure("out of memory");
        int readError = 0;
        bool first = true;
        while (!enough()) {
            if (!readStreamPacket(m_format, m_streamIndex, packet.get(), readError)) {
                if (readError) return quelvo::Status::failure(ffmpegReason(readError));
                m_out.reachedEnd = true;
                break;
            }
            if (first) {
                first = false;
                if (packet->pos != firstByte)
                    return quelvo::Status::failure("the seek missed the sample");
                m_position = m_task.firstSample;
            }
            ++m_out.packets;
            const int64_t frames = packet->size / parameters->block_align;
            const uint8_t* data = packet->data;
            place(*m_direct, &data, false, channels, frames);
            av_packet_unref(packet.get());
        }
        if (m_out.reachedEnd) m_meter->finish();
        return quelvo::Status::success();
    }

    quelvo::Status seekToFirstPacket(AVPacket* packet, int& readError) {
        const PacketMark& mark = (*m_task.packets)[static_cast<size_t>(m_task.firstPacket)];
        const int sought =
            (m_format->iformat->flags & AVFMT_NO_BYTE_SEEK)
                ? av_seek_frame(m_format, m_streamIndex, mark.dts, AVSEEK_FLAG_BACKWARD)
                : av_seek_frame(m_format, -1, mark.pos, AVSEEK_FLAG_BYTE);
        if (sought < 0) return quelvo::Status::failure("cannot seek");
        // Packets before the one wanted (a seek to the key point before it)
        // are read past.
        for (;;) {
            if (!readStreamPacket(m_format, m_streamIndex, packet, readError))
                return quelvo::Status::failure("the packet after a seek is missing");
            if (packet->pos == mark.pos) return quelvo::Status::success();
            const bool before = packet->pos >= 0 && packet->pos < mark.pos;
            av_packet_unref(packet);
            if (!before) return quelvo::Status::failure("a seek missed the packet");
        }
    }

    quelvo::Status decode() {
        if (quelvo::Status opened = openStreamDecoder(m_stream, m_codec); !opened) return opened;
        FramePtr frame(av_frame_alloc());
        PacketPtr packet(av_packet_alloc());
        if (!frame || !packet) return quelvo::Status::failure("out of memory");
        m_frame = frame.get();
        int readError = 0;
        int64_t index = m_task.firstPacket;
        bool pending = false;
        // The segment that starts the file checks the packets' timestamps
        // itself; the others have them from the table, which is only made
        // for a file whose timestamps do not jump.
        PacketTimeline timeline(m_stream);
        if (m_task.packets && m_task.firstPacket > 0) {
            if (quelvo::Status at = seekToFirstPacket(packet.get(), readError); !at) return at;
            pending = true;
        }
        while (!enough()) {
            if (!pending && !readStreamPacket(m_format, m_streamIndex, packet.get(), readError)) {
                if (readError) return quelvo::Status::failure(ffmpegReason(readError));
                m_out.reachedEnd = true;
                break;
            }
            pending = false;
            if (!m_task.packets && timeline.follow(packet.get()))
                return quelvo::Status::failure("the timestamps jump");
            if (m_task.packets) {
                // The packet as one run from the start reads it: its place in
                // the table, its timestamps and its delay and padding notes.
                if (index >= static_cast<int64_t>(m_task.packets->size()))
                    return quelvo::Status::failure("more packets than the table holds");
                const PacketMark& mark = (*m_task.packets)[static_cast<size_t>(index)];
                if (packet->pos != mark.pos)
                    return quelvo::Status::failure("a packet is not where the table says");
                packet->pts = mark.pts;
                packet->dts = mark.dts;
                packet->duration = mark.duration;
                if (!setSkips(packet.get(), mark)) return quelvo::Status::failure("out of memory");
            }
            ++index;
            if (m_task.progress) m_task.progress->store(index, std::memory_order_relaxed);
            ++m_out.packets;
            const int sent = avcodec_send_packet(m_codec.get(), packet.get());
            av_packet_unref(packet.get());
            if (sent < 0) return quelvo::Status::failure(ffmpegReason(sent));
            if (quelvo::Status drained = drain(); !drained) return drained;
        }
        m_out.packetSeconds = timeline.seconds();
        m_out.frameSeconds = timeline.frameSeconds();
        if (m_out.reachedEnd) {
            avcodec_send_packet(m_codec.get(), nullptr);
            if (quelvo::Status drained = drain(); !drained) return drained;
            if (m_meter) m_meter->finish();
        }
        return quelvo::Status::success();
    }

    quelvo::Status drain() {
        for (;;) {
            const int received = avcodec_receive_frame(m_codec.get(), m_frame);
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return quelvo::Status::success();
            if (received < 0) return quelvo::Status::failure(ffmpegReason(received));
            quelvo::Status placed = placeFrame(m_frame);
            av_frame_unref(m_frame);
            if (!placed) return placed;
        }
    }

    quelvo::Status placeFrame(const AVFrame* frame) {
        if (frame->nb_samples <= 0) return quelvo::Status::success();
        const int rate = frame->sample_rate;
        if (quelvo::Status usable = checkSampleRate(rate); !usable) return usable;
        if (!m_meter) makeMeter(rate);
        if (rate != m_meter->sampleRate())
            return quelvo::Status::failure("the sample rate changes inside the file");
        const auto format = static_cast<AVSampleFormat>(frame->format);
        const std::optional<SampleEncoding> encoding = decodedEncoding(format);
        const int channels = frame->ch_layout.nb_channels;
        if (!encoding || channels <= 0) return quelvo::Status::failure("unsupported samples");
        // Damage is passed over by the one-thread reader, which counts it.
        if (isDamagedFrame(frame)) return quelvo::Status::failure("a damaged frame");
        m_out.channels = std::max(m_out.channels, channels);
        // Placed at their timestamps as the one-thread reader places them:
        // the first frame of the file sets the origin, gaps are silence.
        if (const std::optional<int64_t> at = frameStart(frame, m_stream)) {
            if (!m_task.packets) {
                if (!m_origin) {
                    m_origin = TimeOrigin{*at, rate};
                } else {
                    fillGap(rate, *at - m_origin->at);
                }
            } else if (!m_positioned) {
                if (!m_task.origin || m_task.origin->rate != rate)
                    return quelvo::Status::failure("no common origin");
                m_position = *at - m_task.origin->at;
                m_positioned = true;
                if (m_position > m_start)
                    return quelvo::Status::failure("the pre-roll is too short");
            } else {
                fillGap(rate, *at - m_task.origin->at);
            }
        } else if (m_task.packets && !m_positioned) {
            return quelvo::Status::failure("a frame without a time");
        }
        place(*encoding, frame->extended_data, av_sample_fmt_is_planar(format), channels,
              frame->nb_samples);
        return quelvo::Status::success();
    }

    void fillGap(int rate, int64_t at) {
        feedSilence(gapBefore(m_format, m_stream, rate, at, m_position),
                    [this](const uint8_t* silence, int64_t samples) {
                        place(SampleEncoding::F32, &silence, false, 1, samples);
                    });
    }

    const SegmentTask& m_task;
    SegmentResult& m_out;
    SpeechFeatureMeter m_features;
    SeamRecorder m_recorder;
    AudioInput* m_shared;
    AudioInput m_own;
    int m_streamIndex = -1;
    AVFormatContext* m_format = nullptr;
    AVStream* m_stream = nullptr;
    std::optional<SampleEncoding> m_direct;
    CodecPtr m_codec;
    AVFrame* m_frame = nullptr;
    std::optional<FramePeakMeter> m_meter;
    int64_t m_start = 0;    // the segment's first sample
    int64_t m_position = 0; // samples placed so far (dropped ones too), from the file's start
    bool m_positioned = false;
    std::optional<TimeOrigin> m_origin;
};

} // namespace

SegmentResult decodeSegment(const SegmentTask& task, AudioInput* reuse) {
    SegmentResult result;
    result.firstFrame = task.firstFrame;
    SegmentRun run(task, result, reuse);
    result.status = run.run();
    return result;
}

} // namespace quelvo::detail

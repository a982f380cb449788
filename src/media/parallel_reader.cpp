#include "media/parallel_reader.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <future>
#include <limits>
#include <optional>
#include <thread>

#include "media/decoding.h"
#include "media/segment_decoder.h"

namespace quelvo {

namespace {

using detail::PacketMark;
using detail::SegmentResult;
using detail::SegmentTask;

// Frames where two neighbouring segments both measure and must agree: half
// a second, far more than a decoder or the feature filters take to settle.
constexpr int kCheckFrames = 50;
// The feature meter's state must agree at a frame boundary this far before
// the end of the compared frames (the voicing looks one frame around).
constexpr int kFeatureMargin = 4;
// Packets decoded before a segment's first one and dropped: an MP3 frame
// may take its data from the frames before it and both MP3 and AAC overlap
// each frame with the last; twelve is several times what either needs.
constexpr int kPreRollPackets = 12;
// The first segment is already decoding while the file's packets are
// listed; the next one starts at least this far beyond where it got to.
constexpr double kPlanAheadSeconds = 20;

constexpr int64_t kNoEnd = std::numeric_limits<int64_t>::max();

FileLevels readOnOneThread(const std::string& path, LevelContent content,
                           const std::atomic<bool>* stop) {
    FileLevels levels;
    std::optional<SpeechFeatureMeter> meter;
    DecodeOptions options;
    options.stop = stop;
    if (content != LevelContent::peaks) options.observer = &meter.emplace();
    FramePeakMeter::Sink sink;
    if (content != LevelContent::speechFeatures)
        sink = [&levels](float peak) { levels.peaks.push_back(peak); };
    levels.decoded = readFramePeaks(path, sink, options);
    if (meter) levels.features = meter->finish();
    return levels;
}

int64_t frameStartSample(int64_t frame, int rate) {
    return frame * rate / kLevelFramesPerSecond;
}

// The first frame at or after `frame` whose first sample is a multiple of
// `step` (the feature meter's averaging), so that a segment averages its
// samples in the same groups one run does.
std::optional<int64_t> alignedFrame(int64_t frame, int rate, int64_t step) {
    for (int tries = 0; tries < 10000; ++tries, ++frame)
        if (frameStartSample(frame, rate) % step == 0) return frame;
    return std::nullopt;
}

// The packets of the file as one read from its start sees them, and the
// time base of their timestamps.
struct PacketList {
    std::vector<PacketMark> marks;
    AVRational timeBase{1, 1};
};
std::optional<PacketList> listPackets(const std::string& path) {
    detail::AudioInput input = detail::openAudioInput(path);
    if (!input.status) return std::nullopt;
    detail::PacketPtr packet(av_packet_alloc());
    if (!packet) return std::nullopt;
    std::vector<PacketMark> marks;
    // An MP4's index says how many there are; growing the list by doubling
    // would hold up to twice its 40 bytes a packet. The count comes from the
    // header, so no more than the file's bytes could hold is believed.
    if (const int64_t listed = avformat_index_get_entries_count(input.stream());
        listed > 0 && listed <= avio_size(input.format->pb))
        marks.reserve(static_cast<size_t>(listed));
    int readError = 0;
    // A file whose timestamps jump is read on one thread, which closes the
    // jumps up and counts them.
    detail::PacketTimeline timeline(input.stream());
    while (
        detail::readStreamPacket(input.format.get(), input.streamIndex, packet.get(), readError)) {
        if (timeline.follow(packet.get())) return std::nullopt;
        PacketMark mark;
        mark.pos = packet->pos;
        mark.pts = packet->pts;
        mark.dts = packet->dts;
        mark.duration = packet->duration;
        size_t size = 0;
        if (const uint8_t* skip =
                av_packet_get_side_data(packet.get(), AV_PKT_DATA_SKIP_SAMPLES, &size);
            skip && size >= 8) {
            for (int i = 0; i < 4; ++i) {
                mark.skipStart |= static_cast<uint32_t>(skip[i]) << (8 * i);
                mark.skipEnd |= static_cast<uint32_t>(skip[4 + i]) << (8 * i);
            }
        }
        av_packet_unref(packet.get());
        // Without a place and a time a packet cannot be found again.
        if (mark.pos < 0 || mark.pts == AV_NOPTS_VALUE || mark.dts == AV_NOPTS_VALUE)
            return std::nullopt;
        if (!marks.empty() && mark.pos <= marks.back().pos) return std::nullopt;
        marks.push_back(mark);
    }
    if (readError) return std::nullopt;
    return PacketList{std::move(marks), input.stream()->time_base};
}

// How many packets a file has and how long they last (DecodeSummary).
struct PacketCount {
    int64_t packets = 0;
    double seconds = 0;
    double frameSeconds = 0;
};
PacketCount countOf(const PacketList& list) {
    PacketCount count;
    count.packets = static_cast<int64_t>(list.marks.size());
    int64_t duration = 0, longest = 0;
    for (const PacketMark& mark : list.marks) {
        duration += std::max<int64_t>(0, mark.duration);
        longest = std::max(longest, mark.duration);
    }
    const PacketMark& last = list.marks.back();
    count.seconds = detail::packetSpan(
        list.marks.front().pts, last.duration > 0 ? last.pts + last.duration : AV_NOPTS_VALUE,
        duration, list.timeBase);
    count.frameSeconds = static_cast<double>(longest) * av_q2d(list.timeBase);
    return count;
}

// The first frame a segment beginning with `mark` may start on: at or after
// the packet's first sample, aligned as alignedFrame says.
std::optional<int64_t> firstFrameOf(const PacketMark& mark, const PacketList& list,
                                    const detail::TimeOrigin& origin, int64_t step) {
    const int rate = origin.rate;
    const int64_t sample = av_rescale_q(mark.pts, list.timeBase, AVRational{1, rate}) - origin.at;
    return alignedFrame((sample * kLevelFramesPerSecond + rate - 1) / rate, rate, step);
}

void runSideBySide(std::vector<SegmentTask>& tasks, std::vector<SegmentResult>& results,
                   size_t from) {
    std::vector<std::thread> threads;
    for (size_t k = from; k + 1 < tasks.size(); ++k)
        threads.emplace_back(
            [&tasks, &results, k] { results[k] = detail::decodeSegment(tasks[k]); });
    results.back() = detail::decodeSegment(tasks.back());
    for (std::thread& thread : threads)
        thread.join();
}

// The segments' frames one after the other: segment k's from seams[k]
// (its voicing `voicingLag` frames later) to where the next one takes over,
// one meter's voicing gate replayed over them, and the verdict on whether
// the file is whole. nullopt when a segment failed, decoded at another
// rate or lacks frames, when the last did not reach the end of the file,
// or when the file is not whole (the one-thread reader words that).
std::optional<FileLevels> joinAt(const std::string& path, const std::vector<SegmentResult>& results,
                                 const std::vector<int64_t>& seams, int64_t voicingLag,
                                 LevelContent content, const PacketCount& packets) {
    const bool features = content != LevelContent::peaks;
    const bool peaks = content != LevelContent::speechFeatures;
    for (const SegmentResult& r : results)
        if (!r.status || r.rate != results.front().rate) return std::nullopt;
    const SegmentResult& last = results.back();
    if (!last.reachedEnd) return std::nullopt;

    FileLevels levels;
    levels.segments = static_cast<int>(results.size());
    // Never more than the segments hold: a damaged timestamp can put the
    // last segment's first frame anywhere.
    size_t held = 0;
    for (const SegmentResult& r : results)
        held += features ? r.features.level.size() : r.peaks.size();
    const size_t frames =
        std::min(held, static_cast<size_t>(std::max<int64_t>(0, last.firstFrame)) +
                           (features ? last.features.level.size() : last.peaks.size()));
    if (features) {
        levels.features.level.reserve(frames);
        levels.features.voicing.reserve(frames);
    }
    if (peaks) levels.peaks.reserve(frames);
    const auto take = [&](const std::vector<float>& from, std::vector<float>& into, size_t k,
                          int64_t lag) {
        const int64_t first = results[k].firstFrame;
        const int64_t begin = (k == 0 ? 0 : seams[k] + lag) - first;
        const int64_t end =
            k + 1 < results.size() ? seams[k + 1] + lag - first : static_cast<int64_t>(from.size());
        if (begin < 0 || end > static_cast<int64_t>(from.size()) || begin > end) return false;
        into.insert(into.end(), from.begin() + begin, from.begin() + end);
        return true;
    };
    for (size_t k = 0; k < results.size(); ++k) {
        const bool whole =
            (!features ||
             (take(results[k].features.level, levels.features.level, k, 0) &&
              take(results[k].features.voicing, levels.features.voicing, k, voicingLag))) &&
            (!peaks || take(results[k].peaks, levels.peaks, k, 0));
        if (!whole) return std::nullopt;
    }
    if (features) {
        if (levels.features.voicing.size() != levels.features.level.size()) return std::nullopt;
        applyVoicingGate(levels.features);
    }

    detail::AudioInput input = detail::openAudioInput(path);
    if (!input.status) return std::nullopt;
    detail::DecodeFacts facts;
    facts.rate = last.rate;
    facts.sampleFrames = last.sampleFrames;
    facts.packets = packets.packets;
    DecodeSummary& decoded = levels.decoded;
    decoded.status = detail::checkComplete(path, input.format.get(), input.stream(), facts);
    if (!decoded.status) return std::nullopt;
    decoded.sampleRate = last.rate;
    for (const SegmentResult& r : results)
        decoded.channels = std::max(decoded.channels, r.channels);
    decoded.sampleFrames = last.sampleFrames;
    decoded.duration = static_cast<double>(decoded.sampleFrames) / decoded.sampleRate;
    decoded.damage.rate = decoded.sampleRate;
    decoded.packetSeconds = packets.seconds;
    decoded.frameSeconds = packets.frameSeconds;
    return levels;
}

// Decoders whose output a few packets after a fresh start is the very
// output of one that decoded the whole file: MPEG audio (its bit reservoir
// and overlap reach one or two frames back), and the lossless codecs whose
// frames stand alone. AAC is not among them: FFmpeg's decoder draws the
// noise it substitutes for noise-coded bands from one generator carried
// through the whole file, so two decoders never agree on such a band.
bool settlesAfterASeek(AVCodecID codec) {
    switch (codec) {
    case AV_CODEC_ID_MP1:
    case AV_CODEC_ID_MP2:
    case AV_CODEC_ID_MP3:
    case AV_CODEC_ID_FLAC:
    case AV_CODEC_ID_ALAC:
        return true;
    default:
        return false;
    }
}

// Joins the segments where each agrees with the one before; nullopt when
// one failed or a seam does not agree to the bit.
std::optional<FileLevels> join(const std::string& path, const std::vector<SegmentResult>& results,
                               LevelContent content, const PacketCount& packets) {
    const bool features = content != LevelContent::peaks;
    // Where each segment's levels (and, two frames later, its voicing)
    // take over from the one before.
    std::vector<int64_t> seams{0};
    for (size_t k = 1; k < results.size(); ++k) {
        const SegmentResult::Seam& left = results[k - 1].end;
        const SegmentResult::Seam& right = results[k].start;
        if (left.from != results[k].firstFrame || right.from != left.from) return std::nullopt;
        if (left.digests.size() != kCheckFrames || left.digests != right.digests)
            return std::nullopt;
        int64_t at = -1;
        if (!features) {
            at = 0;
        } else {
            for (size_t b = 0; b + kFeatureMargin < kCheckFrames && b < left.states.size() &&
                               b < right.states.size();
                 ++b)
                if (left.states[b] == right.states[b]) {
                    at = static_cast<int64_t>(b);
                    break;
                }
        }
        if (at < 0) return std::nullopt;
        seams.push_back(left.from + at);
    }
    return joinAt(path, results, seams, 2, content, packets);
}

SegmentTask baseTask(const std::string& path, LevelContent content) {
    SegmentTask task;
    task.path = path;
    task.features = content != LevelContent::peaks;
    task.peaks = content != LevelContent::speechFeatures;
    task.checkFrames = kCheckFrames;
    return task;
}

// PCM read from the packets: every sample's place is known from the
// header, so all segments start at once.
std::optional<FileLevels> readPcm(const std::string& path, LevelContent content, int segments,
                                  int rate, int64_t declared) {
    const int64_t step =
        content != LevelContent::peaks ? SpeechFeatureMeter::averagingStep(rate) : 1;
    const int64_t frames = declared * kLevelFramesPerSecond / rate;
    std::vector<int64_t> starts{0};
    for (int k = 1; k < segments; ++k) {
        const std::optional<int64_t> start = alignedFrame(frames * k / segments, rate, step);
        if (!start || *start <= starts.back() + 2 * kCheckFrames ||
            *start + 2 * kCheckFrames >= frames)
            return std::nullopt;
        starts.push_back(*start);
    }
    // Where the samples begin: the first packet's place.
    int64_t dataStart = -1;
    {
        detail::AudioInput input = detail::openAudioInput(path);
        detail::PacketPtr packet(av_packet_alloc());
        int readError = 0;
        if (!input.status || !packet ||
            !detail::readStreamPacket(input.format.get(), input.streamIndex, packet.get(),
                                      readError))
            return std::nullopt;
        dataStart = packet->pos;
        if (dataStart < 0) return std::nullopt;
    }
    std::vector<SegmentTask> tasks(starts.size(), baseTask(path, content));
    for (size_t k = 0; k < tasks.size(); ++k) {
        SegmentTask& task = tasks[k];
        task.firstFrame = starts[k];
        task.firstSample = frameStartSample(starts[k], rate);
        task.dataStart = dataStart;
        task.checkStart = k > 0;
        if (k + 1 < tasks.size()) {
            task.check = starts[k + 1];
            task.fixedStop = starts[k + 1] + kCheckFrames;
        }
    }
    std::vector<SegmentResult> results(tasks.size());
    runSideBySide(tasks, results, 0);
    // PCM lasts exactly what was read.
    PacketCount packets;
    for (const SegmentResult& r : results)
        packets.packets += r.packets;
    packets.seconds = static_cast<double>(results.back().sampleFrames) / results.back().rate;
    return join(path, results, content, packets);
}

// Where the first decoded frame lies on the timestamps' scale, and at what
// rate the audio decodes (HE-AAC decodes at twice its header's rate): what
// a segment in the middle needs to place its samples as one run does.
std::optional<detail::TimeOrigin> findOrigin(const std::string& path) {
    detail::AudioInput input = detail::openAudioInput(path);
    if (!input.status) return std::nullopt;
    detail::CodecPtr codec;
    if (!detail::openStreamDecoder(input.stream(), codec)) return std::nullopt;
    detail::PacketPtr packet(av_packet_alloc());
    detail::FramePtr frame(av_frame_alloc());
    if (!packet || !frame) return std::nullopt;
    int readError = 0;
    while (
        detail::readStreamPacket(input.format.get(), input.streamIndex, packet.get(), readError)) {
        const int sent = avcodec_send_packet(codec.get(), packet.get());
        av_packet_unref(packet.get());
        if (sent < 0) return std::nullopt;
        while (avcodec_receive_frame(codec.get(), frame.get()) == 0) {
            const std::optional<int64_t> at = frame->nb_samples > 0
                                                  ? detail::frameStart(frame.get(), input.stream())
                                                  : std::nullopt;
            const int rate = frame->sample_rate;
            av_frame_unref(frame.get());
            if (at) return detail::TimeOrigin{*at, rate};
        }
    }
    return std::nullopt;
}

// Coded audio: the first segment starts decoding at once while the
// packets are listed; the rest of the file is then split evenly between it
// and the others from where it got to. `planFirst` lists the packets
// before any decoding, so that the seams fall at the same packets on every
// run (the tests ask for that).
std::optional<FileLevels> readCoded(const std::string& path, LevelContent content, int segments,
                                    double seconds, bool planFirst) {
    std::atomic<int64_t> stop{kNoEnd};
    std::atomic<int64_t> check{-1};
    std::atomic<int64_t> progress{0};
    // Room for every segment now: the first one's thread holds on to its
    // task and result while the others are added.
    std::vector<SegmentTask> tasks;
    tasks.reserve(static_cast<size_t>(segments));
    tasks.push_back(baseTask(path, content));
    tasks[0].stop = &stop;
    tasks[0].stopCheck = &check;
    tasks[0].progress = &progress;
    std::vector<SegmentResult> results(1);
    results.reserve(static_cast<size_t>(segments));
    std::thread first;
    const auto startFirst = [&] {
        if (!first.joinable())
            first = std::thread([&] { results[0] = detail::decodeSegment(tasks[0]); });
    };
    if (!planFirst) startFirst();
    // Unless it is told where to stop, the first segment is decoded to the
    // end of the file: on its own it is the one-thread run.
    const auto alone = [&]() -> std::optional<FileLevels> {
        startFirst();
        first.join();
        results.resize(1);
        return join(path, results, content,
                    {results[0].packets, results[0].packetSeconds, results[0].frameSeconds});
    };

    const std::optional<PacketList> listed = listPackets(path);
    const std::optional<detail::TimeOrigin> found = findOrigin(path);
    if (!listed || !found || listed->marks.empty()) return alone();
    const std::vector<PacketMark>& marks = listed->marks;
    const int rate = found->rate;
    const int64_t total = static_cast<int64_t>(marks.size());
    const int64_t step =
        content != LevelContent::peaks ? SpeechFeatureMeter::averagingStep(rate) : 1;
    const int64_t done = progress.load();
    // Room for the first segment to go on while it is told where to stop.
    const int64_t ahead =
        (planFirst
             ? 0
             : static_cast<int64_t>(kPlanAheadSeconds / seconds * static_cast<double>(total))) +
        kPreRollPackets;

    std::vector<int64_t> starts{0};
    std::vector<int64_t> firstPackets{0};
    for (int k = 1; k < segments; ++k) {
        const int64_t packet = done + (total - done) * k / segments;
        if (packet < done + ahead || packet >= total) return alone();
        const PacketMark& mark = marks[static_cast<size_t>(packet)];
        const std::optional<int64_t> start = firstFrameOf(mark, *listed, *found, step);
        if (!start || *start <= starts.back() + 2 * kCheckFrames) return alone();
        starts.push_back(*start);
        firstPackets.push_back(packet - kPreRollPackets);
    }
    // Told where the next segment starts, the first one records the frames
    // there and stops after them.
    check.store(starts[1]);
    stop.store(starts[1] + kCheckFrames);
    startFirst();

    tasks.resize(starts.size(), baseTask(path, content));
    results.resize(starts.size());
    for (size_t k = 1; k < tasks.size(); ++k) {
        SegmentTask& task = tasks[k];
        task.packets = &marks;
        task.firstPacket = firstPackets[k];
        task.firstFrame = starts[k];
        task.origin = found;
        task.checkStart = true;
        if (k + 1 < tasks.size()) {
            task.check = starts[k + 1];
            task.fixedStop = starts[k + 1] + kCheckFrames;
        }
    }
    runSideBySide(tasks, results, 1);
    first.join();
    return join(path, results, content, countOf(*listed));
}

// AAC: its decoder cannot start afresh in the middle and agree with one
// that decoded from the start (see settlesAfterASeek), so the file is
// decoded in chunks of a fixed number of packets whatever the jobs, each by
// a fresh decoder started a dozen packets early: one thread or many decode
// the same chunks and give the same levels. A chunk's feature meter starts
// half a second early, on its own decoder's pre-roll, for the same reason.
constexpr int64_t kChunkPackets = 4096;
constexpr int64_t kWarmUpFrames = 30;

bool inChunks(const AVCodecParameters* parameters) {
    return parameters->codec_id == AV_CODEC_ID_AAC;
}

std::optional<FileLevels> readChunked(const std::string& path, LevelContent content, int jobs) {
    const std::optional<PacketList> listed = listPackets(path);
    const std::optional<detail::TimeOrigin> found = findOrigin(path);
    if (!listed || !found || listed->marks.empty()) return std::nullopt;
    const std::vector<PacketMark>& marks = listed->marks;
    const int rate = found->rate;
    const bool features = content != LevelContent::peaks;
    const int64_t step = features ? SpeechFeatureMeter::averagingStep(rate) : 1;
    const int64_t total = static_cast<int64_t>(marks.size());

    // Chunk c keeps the frames [starts[c], starts[c + 1]).
    std::vector<int64_t> starts{0};
    std::vector<int64_t> firstPackets{0};
    for (int64_t packet = kChunkPackets; packet + kChunkPackets / 2 < total;
         packet += kChunkPackets) {
        const PacketMark& mark = marks[static_cast<size_t>(packet)];
        const std::optional<int64_t> start = firstFrameOf(mark, *listed, *found, step);
        if (!start || *start <= starts.back() + 2 * kWarmUpFrames) return std::nullopt;
        starts.push_back(*start);
        // The pre-roll counts from the first packet the meter needs.
        int64_t first = packet;
        const int64_t warmSample = frameStartSample(*start - kWarmUpFrames - 1, rate);
        while (features && first > 0 &&
               av_rescale_q(marks[static_cast<size_t>(first)].pts, listed->timeBase,
                            AVRational{1, rate}) -
                       found->at >
                   warmSample)
            --first;
        firstPackets.push_back(std::max<int64_t>(0, first - kPreRollPackets));
    }
    std::vector<SegmentTask> tasks(starts.size(), baseTask(path, content));
    for (size_t c = 0; c < tasks.size(); ++c) {
        SegmentTask& task = tasks[c];
        task.checkFrames = 0;
        if (c > 0) {
            task.packets = &marks;
            task.firstPacket = firstPackets[c];
            task.origin = found;
            const std::optional<int64_t> warm =
                features ? alignedFrame(starts[c] - kWarmUpFrames, rate, step)
                         : std::optional<int64_t>(starts[c]);
            if (!warm) return std::nullopt;
            task.firstFrame = *warm;
        }
        // The voicing of a chunk's last frame is measured a frame later.
        if (c + 1 < tasks.size()) task.fixedStop = starts[c + 1] + 2;
    }
    std::vector<SegmentResult> results(tasks.size());
    std::atomic<size_t> next{0};
    const auto work = [&] {
        detail::AudioInput input;
        for (size_t c = next++; c < tasks.size(); c = next++)
            results[c] = detail::decodeSegment(tasks[c], &input);
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < std::min<int>(jobs, static_cast<int>(tasks.size())); ++t)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();

    // Each chunk decodes afresh: it takes over at its first kept frame, its
    // voicing too.
    return joinAt(path, results, starts, 0, content, countOf(*listed));
}

} // namespace

namespace {

// Long enough for two chunks, by its declared length.
bool longForChunks(const detail::AudioInput& input) {
    const AVCodecParameters* parameters = input.stream()->codecpar;
    const int64_t frameSize = parameters->frame_size > 0 ? parameters->frame_size : 1024;
    return detail::declaredSampleCount(input.format.get(), input.stream(),
                                       parameters->sample_rate) >= 2 * kChunkPackets * frameSize;
}

} // namespace

bool readInChunks(const std::string& path) {
    const detail::AudioInput input = detail::openAudioInput(path);
    return input.status && inChunks(input.stream()->codecpar) && longForChunks(input);
}

FileLevels readFileLevels(const std::string& path, LevelContent content,
                          const Parallelism& parallelism) {
    detail::AudioInput input = detail::openAudioInput(path);
    if (!input.status) return readOnOneThread(path, content, parallelism.stop);
    const AVCodecParameters* parameters = input.stream()->codecpar;
    if (inChunks(parameters) && longForChunks(input)) {
        // Each open MP4 holds its index (6 MB an hour): one fewer open.
        input = {};
        std::optional<FileLevels> levels =
            readChunked(path, content, std::max(1, parallelism.jobs));
        return levels ? std::move(*levels) : readOnOneThread(path, content, parallelism.stop);
    }
    if (parallelism.jobs <= 1) return readOnOneThread(path, content, parallelism.stop);
    const int rate = parameters->sample_rate;
    const int64_t declared = detail::declaredSampleCount(input.format.get(), input.stream(), rate);
    const double seconds = static_cast<double>(declared) / rate;
    const int segments = std::min(
        parallelism.jobs, static_cast<int>(seconds / std::max(1.0, parallelism.minSegmentSeconds)));
    std::optional<FileLevels> levels;
    if (segments >= 2) {
        const bool mov = input.format->iformat && std::strstr(input.format->iformat->name, "mov");
        const bool pcm = detail::packetEncoding(parameters).has_value();
        const bool settles = settlesAfterASeek(parameters->codec_id);
        input = {};
        if (pcm) {
            // An MP4's packet count is checked against its index; its PCM
            // is read on one thread.
            if (!mov) levels = readPcm(path, content, segments, rate, declared);
        } else if (settles) {
            levels = readCoded(path, content, segments, seconds, parallelism.planFirst);
        }
    }
    return levels ? std::move(*levels) : readOnOneThread(path, content, parallelism.stop);
}

} // namespace quelvo

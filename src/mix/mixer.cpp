#include "mix/mixer.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "media/audio_file.h"
#include "media/pcm_stream.h"
#include "mix/dialogue_sum.h"
#include "project/filler_clips.h"
#include "project/filler_fade.h"
#include "signal/true_peak.h"

namespace quelvo::mix {

namespace {

constexpr int kRenderBlock = 4096;
// The highest true peak the mix may reach: a hair under full scale, so that
// rounding to the file's integer samples cannot step over it.
constexpr double kPeakCeiling = 0.999;

std::vector<std::string> dialoguePaths(const MixInputs& in) {
    std::vector<std::string> paths{in.dialoguePath};
    paths.insert(paths.end(), in.moreDialogue.begin(), in.moreDialogue.end());
    return paths;
}

// Planar blocks of one size for every channel.
struct Planes {
    Planes(int channels, int frames)
        : data(channels, std::vector<double>(frames)), pointers(channels) {
        for (int c = 0; c < channels; ++c)
            pointers[c] = data[c].data();
    }
    void clear(int from, int to) {
        for (auto& plane : data)
            std::fill(plane.begin() + from, plane.begin() + to, 0.0);
    }
    std::vector<std::vector<double>> data;
    std::vector<double*> pointers;
};

// One run over the inputs, block by block; `sink` gets the mix and the music
// alone (gain envelope and fillers applied) of every block.
class MixPass {
  public:
    MixPass(const MixInputs& inputs, quelvo::PcmFormat format) : m_in(inputs), m_format(format) {}

    quelvo::Status
    run(const std::function<quelvo::Status(Planes& mix, Planes& music, int frames)>& sink,
        const std::function<bool(int64_t)>& onBlock) {
        quelvo::Status status = quelvo::Status::success();
        auto dialogue = DialogueSum::open(dialoguePaths(m_in), m_format, status);
        if (!dialogue) return status;
        auto music = quelvo::PcmStream::open(m_in.musicPath, m_format, status);
        if (!music)
            return quelvo::Status::failure(cannotRead("music", m_in.musicPath, status.message()));
        const int channels = m_format.channels;
        const int rate = m_format.sampleRate;
        Planes mix(channels, kRenderBlock), musicBlock(channels, kRenderBlock),
            filler(channels, kRenderBlock);
        std::vector<double> gains(kRenderBlock);
        int64_t fillersEnd = 0;
        for (const auto& clip : m_in.fillers)
            fillersEnd =
                std::max<int64_t>(fillersEnd, std::llround((clip.offset + clip.duration) * rate));
        if (m_in.fillerPath.empty()) fillersEnd = 0;
        size_t nextClip = 0;
        std::unique_ptr<quelvo::PcmStream> fillerStream;
        int64_t position = 0;
        for (;;) {
            const int gotDialogue = dialogue->read(mix.pointers.data(), kRenderBlock);
            const int gotMusic = music->read(musicBlock.pointers.data(), kRenderBlock);
            const int frames = std::max(
                {gotDialogue, gotMusic,
                 static_cast<int>(std::clamp<int64_t>(fillersEnd - position, 0, kRenderBlock))});
            if (frames == 0) break;
            mix.clear(gotDialogue, frames);
            musicBlock.clear(gotMusic, frames);
            m_in.envelope.linearGains(position, frames, rate, gains.data());
            for (int c = 0; c < channels; ++c)
                for (int i = 0; i < frames; ++i)
                    musicBlock.data[c][i] *= gains[i];
            if (quelvo::Status added =
                    addFillers(musicBlock, filler, position, frames, nextClip, fillerStream);
                !added)
                return added;
            for (int c = 0; c < channels; ++c)
                for (int i = 0; i < frames; ++i)
                    mix.data[c][i] += musicBlock.data[c][i];
            if (quelvo::Status sunk = sink(mix, musicBlock, frames); !sunk) return sunk;
            position += frames;
            if (onBlock && !onBlock(position))
                return quelvo::Status::failure("The render was stopped.");
        }
        if (quelvo::Status read = dialogue->status(); !read) return read;
        if (!music->status())
            return quelvo::Status::failure(
                cannotRead("music", m_in.musicPath, music->status().message()));
        // Damage was played as silence; too much of it refuses the file.
        if (quelvo::Status whole = dialogue->damageVerdict(); !whole) return whole;
        if (quelvo::Status whole = music->damageVerdict(); !whole)
            return quelvo::Status::failure(cannotRead("music", m_in.musicPath, whole.message()));
        m_musicDamage = music->damage();
        m_musicSamples = music->placedSamples();
        m_frames = position;
        return quelvo::Status::success();
    }

    int64_t frames() const { return m_frames; }
    const quelvo::AudioDamage& musicDamage() const { return m_musicDamage; }
    int64_t musicSamples() const { return m_musicSamples; }

  private:
    // Adds the filler clips that overlap [position, position + frames).
    quelvo::Status addFillers(Planes& music, Planes& filler, int64_t position, int frames,
                              size_t& nextClip, std::unique_ptr<quelvo::PcmStream>& stream) {
        if (m_in.fillerPath.empty()) return quelvo::Status::success();
        const int rate = m_format.sampleRate;
        const int64_t blockEnd = position + frames;
        while (nextClip < m_in.fillers.size()) {
            const FillerClip& clip = m_in.fillers[nextClip];
            const int64_t start = std::llround(clip.offset * rate);
            const int64_t end = std::llround((clip.offset + clip.duration) * rate);
            if (start >= blockEnd) break;
            if (end <= position || end <= start) {
                ++nextClip;
                stream.reset();
                continue;
            }
            if (!stream) {
                quelvo::Status status = quelvo::Status::success();
                stream = quelvo::PcmStream::open(m_in.fillerPath, m_format, status);
                if (!stream)
                    return quelvo::Status::failure(
                        cannotRead("filler", m_in.fillerPath, status.message()));
            }
            const int from = static_cast<int>(std::max<int64_t>(start, position) - position);
            const int to = static_cast<int>(std::min<int64_t>(end, blockEnd) - position);
            std::vector<double*> at(filler.pointers.size());
            for (size_t c = 0; c < at.size(); ++c)
                at[c] = filler.pointers[c] + from;
            const int got = stream->read(at.data(), to - from);
            if (!stream->status())
                return quelvo::Status::failure(
                    cannotRead("filler", m_in.fillerPath, stream->status().message()));
            for (int i = from; i < from + got; ++i) {
                const double fade =
                    fillerFadeGain(clip, static_cast<double>(position + i - start) / rate);
                for (size_t c = 0; c < at.size(); ++c)
                    music.data[c][i] += filler.data[c][i] * fade;
            }
            if (end > blockEnd) break;
            ++nextClip;
            stream.reset();
        }
        return quelvo::Status::success();
    }

    const MixInputs& m_in;
    quelvo::PcmFormat m_format;
    int64_t m_frames = 0;
    quelvo::AudioDamage m_musicDamage;
    int64_t m_musicSamples = 0;
};

// One pass writes the files; `gain` lowers the whole mix.
struct MixWriting {
    const MixInputs& inputs;
    const RenderRequest& request;
    const quelvo::PcmFormat& format;
    const quelvo::EncodeSettings& settings;
    double expectedFrames;
    RenderOutcome& outcome;

    quelvo::Status pass(double gain, double progressFrom, double progressSpan,
                        quelvo::TruePeakMeter* peak, quelvo::LoudnessMeter* loudness,
                        int64_t& frames) const {
        quelvo::Status s = quelvo::Status::success();
        auto writer = quelvo::AudioFileWriter::create(request.outputPath, settings, s);
        if (!writer) return s;
        std::unique_ptr<quelvo::AudioFileWriter> stemWriter;
        if (!request.stemPath.empty()) {
            stemWriter = quelvo::AudioFileWriter::create(request.stemPath, settings, s);
            if (!stemWriter) return s;
        }
        MixPass mixPass(inputs, format);
        s = mixPass.run(
            [&](Planes& mix, Planes& music, int n) {
                if (gain < 1.0) {
                    for (Planes* plane : {&mix, &music})
                        for (double* p : plane->pointers)
                            for (int i = 0; i < n; ++i)
                                p[i] *= gain;
                }
                if (peak) peak->add(mix.pointers.data(), n);
                if (loudness) loudness->add(mix.pointers.data(), n);
                if (quelvo::Status w = writer->write(mix.pointers.data(), n); !w) return w;
                if (stemWriter) return stemWriter->write(music.pointers.data(), n);
                return quelvo::Status::success();
            },
            [&](int64_t position) {
                if (!request.progress) return true;
                return request.progress(progressFrom +
                                        progressSpan * std::min(1.0, position / expectedFrames));
            });
        if (!s) return s;
        // A peak over the ceiling means this pass is thrown away: nothing is put in place.
        if (peak && peak->peak() > kPeakCeiling) return quelvo::Status::success();
        if (stemWriter) s = stemWriter->finish();
        if (s) s = writer->finish();
        if (s) outcome.encoding = writer->description();
        frames = mixPass.frames();
        outcome.musicDamage = mixPass.musicDamage();
        outcome.musicSamples = mixPass.musicSamples();
        return s;
    }
};

} // namespace

std::string cannotRead(const std::string& role, const std::string& path, const std::string& why) {
    return "Cannot read the " + role + " file " + path + ": " + why + ".";
}

std::vector<FillerClip> fillerClipsFor(const quelvo::ClusterList& musicClusters,
                                       double fillerSeconds) {
    std::vector<FillerClip> clips;
    for (const FillerPlacement& p : placeFillers(musicClusters, fillerSeconds))
        clips.push_back({p.offsetSeconds(), p.durationSeconds()});
    return clips;
}

double fillerFadeGain(const FillerClip& clip, double intoClip) {
    return quelvo::fillerFadeGain(clip.duration, intoClip);
}

RenderOutcome renderMix(const MixInputs& inputs, const RenderRequest& request) {
    RenderOutcome outcome;
    quelvo::Status status = quelvo::Status::success();
    quelvo::PcmFormat format;
    quelvo::SourceSamples samples = quelvo::SourceSamples::other;
    {
        auto dialogue = quelvo::PcmStream::open(inputs.dialoguePath, {}, status);
        if (!dialogue) {
            outcome.status = quelvo::Status::failure(
                cannotRead("dialogue", inputs.dialoguePath, status.message()));
            return outcome;
        }
        format = dialogue->sourceFormat();
        samples = dialogue->sourceSamples();
    }
    const double expectedSeconds = std::max(quelvo::audioDuration(inputs.dialoguePath),
                                            quelvo::audioDuration(inputs.musicPath));
    const double expectedFrames = std::max(1.0, expectedSeconds * format.sampleRate);
    quelvo::EncodeSettings settings;
    settings.container = request.container;
    settings.format = format;
    settings.samples = samples;

    MixWriting writing{inputs, request, format, settings, expectedFrames, outcome};

    // The true peak meter is exact, so the summary's true peak is its figure.
    quelvo::TruePeakMeter peak(format.channels);
    std::unique_ptr<quelvo::LoudnessMeter> loudness;
    if (request.measureLoudness)
        loudness = std::make_unique<quelvo::LoudnessMeter>(
            format, quelvo::LoudnessMeter::integrated | quelvo::LoudnessMeter::range);
    int64_t frames = 0;
    status = writing.pass(1.0, 0.0, 1.0, &peak, loudness.get(), frames);
    if (!status) {
        outcome.status = status;
        return outcome;
    }
    const double highest = peak.peak();
    if (highest > 0) outcome.peakDbtp = quelvo::linearToDb(highest);
    if (loudness) {
        outcome.mix = loudness->figures();
        outcome.mix.truePeak = outcome.peakDbtp;
    }
    if (highest > kPeakCeiling) {
        const double gain = kPeakCeiling / highest;
        outcome.mixGainDb = quelvo::linearToDb(gain);
        status = writing.pass(gain, 0.5, 0.5, nullptr, nullptr, frames);
        if (!status) {
            outcome.status = status;
            return outcome;
        }
        if (outcome.mix.integrated) *outcome.mix.integrated += outcome.mixGainDb;
        if (outcome.mix.truePeak) *outcome.mix.truePeak += outcome.mixGainDb;
    }
    outcome.outputPath = request.outputPath;
    outcome.stemPath = request.stemPath;
    outcome.sampleRate = format.sampleRate;
    outcome.channels = format.channels;
    outcome.seconds = static_cast<double>(frames) / format.sampleRate;
    outcome.status = quelvo::Status::success();
    return outcome;
}

} // namespace quelvo::mix

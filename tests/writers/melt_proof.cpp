#include "writers/melt_proof.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <fcntl.h>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "base/files.h"
#include "jobs/render_job.h"
#include "media/audio_file.h"
#include "media/pcm_stream.h"
#include "mix/envelope.h"
#include "project/filler_clips.h"
#include "support/test_support.h"
#include "writers/mlt_writer.h"

namespace quelvo::test {

namespace {

constexpr double kWindow = 0.01;
constexpr double kFrame = 1.0 / 30;
constexpr double kSounding = 1e-6; // mean square: -60 dBFS

// A recording as one channel (the channels' mean square per sample) at one rate.
struct Power {
    int rate = 0;
    std::vector<double> square;
    // Mean square over [from, from + seconds); 0 outside the audio.
    double over(double from, double seconds) const {
        const int64_t a = std::llround(from * rate), n = std::llround(seconds * rate);
        double sum = 0;
        for (int64_t i = std::max<int64_t>(a, 0);
             i < std::min<int64_t>(a + n, static_cast<int64_t>(square.size())); ++i)
            sum += square[static_cast<size_t>(i)];
        return n > 0 ? sum / static_cast<double>(n) : 0;
    }
    double seconds() const { return rate ? static_cast<double>(square.size()) / rate : 0; }
};

Power readPower(const std::string& path, int rate = 0, int channels = 0) {
    quelvo::Status status = quelvo::Status::success();
    auto stream = quelvo::PcmStream::open(path, {rate, channels, 0}, status);
    Power power;
    if (!stream) return power;
    const quelvo::PcmFormat format = stream->format();
    power.rate = format.sampleRate;
    std::vector<std::vector<double>> planes(static_cast<size_t>(format.channels),
                                            std::vector<double>(4096));
    std::vector<double*> pointers;
    for (auto& plane : planes)
        pointers.push_back(plane.data());
    for (int got; (got = stream->read(pointers.data(), 4096)) > 0;)
        for (int i = 0; i < got; ++i) {
            double sum = 0;
            for (const auto& plane : planes)
                sum += plane[static_cast<size_t>(i)] * plane[static_cast<size_t>(i)];
            power.square.push_back(sum / format.channels);
        }
    return power;
}

double db(double ratio) {
    return 10.0 * std::log10(ratio);
}

int stemChannels(const std::string& path) {
    return quelvo::probeAudioFile(path).channels;
}

// The program's exit status, or -1 when it ran longer than `seconds` (it is
// killed then). Its output is dropped.
int runWithTimeout(const std::vector<std::string>& argv, int seconds) {
    const pid_t child = fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    if (child < 0) return 127;
    for (int waited = 0; waited < seconds * 20; ++waited) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        usleep(50000);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return -1;
}

// The project with some of its tracks muted (the dialogue is playlist0, the
// music playlist1, the fillers playlist2), played by melt at a rate and layout.
quelvo::Status playWithMelt(std::string mlt, const std::vector<int>& muted,
                            const std::filesystem::path& wav, int rate, int channels) {
    for (int track : muted) {
        const std::string from =
            "<track producer=\"playlist" + std::to_string(track) + "\" hide=\"video\"/>";
        const size_t at = mlt.find(from);
        if (at != std::string::npos)
            mlt.replace(at, from.size(),
                        "<track producer=\"playlist" + std::to_string(track) +
                            "\" hide=\"both\"/>");
    }
    const std::filesystem::path project = wav.string() + ".mlt";
    writeFile(project, mlt);
    const std::vector<std::string> argv{meltProgram(),
                                        project.string(),
                                        "-consumer",
                                        "avformat:" + wav.string(),
                                        "video_off=1",
                                        "ar=" + std::to_string(rate),
                                        "channels=" + std::to_string(channels),
                                        "real_time=-1"};
    // melt 7.12 now and then never starts its consumer and waits forever
    // (more often on a loaded machine): such a run is ended and tried again.
    for (int attempt = 0; attempt < 3; ++attempt)
        if (const int exit = runWithTimeout(argv, 45); exit >= 0)
            return exit == 0 ? quelvo::Status::success()
                             : quelvo::Status::failure("melt could not play " + project.string());
    return quelvo::Status::failure("melt did not finish playing " + project.string());
}

struct Zone {
    double from, to;
    bool covers(double a, double b) const { return a < to && b > from; }
};

bool inAny(const std::vector<Zone>& zones, double a, double b) {
    return std::any_of(zones.begin(), zones.end(), [&](const Zone& z) { return z.covers(a, b); });
}

// The shift (seconds, within three frames) that best fits the measured level
// to the envelope over [from, to), and nothing when no window there sounds.
std::optional<double> bestShift(const mix::GainEnvelope& envelope, const Power& played,
                                const Power& music, double from, double to) {
    std::optional<double> best;
    double bestError = 1e9;
    for (int ms = -100; ms <= 100; ++ms) {
        const double shift = ms / 1000.0;
        double error = 0;
        bool any = false;
        for (double t = std::floor(from / kWindow) * kWindow; t < to; t += kWindow) {
            const double expected = envelope.gainDbAt(t + kWindow / 2 - shift);
            const double reference = music.over(t, kWindow);
            if (reference < kSounding || expected < -60) continue;
            any = true;
            error = std::max(error, std::fabs(db(played.over(t, kWindow) / reference) - expected));
        }
        if (any && error < bestError) {
            bestError = error;
            best = shift;
        }
    }
    return best;
}

void measureEnvelope(const mix::GainEnvelope& envelope, const Power& played, const Power& music,
                     const std::vector<Zone>& ramps, MeltFindings& findings) {
    for (double t = 0; t + kWindow <= std::min(played.seconds(), music.seconds()); t += kWindow) {
        const double reference = music.over(t, kWindow);
        const double expected = envelope.gainDbAt(t + kWindow / 2);
        if (reference < kSounding || expected < -60 || inAny(ramps, t, t + kWindow)) continue;
        ++findings.windows;
        findings.envelopeDeviation =
            std::max(findings.envelopeDeviation,
                     std::fabs(db(played.over(t, kWindow) / reference) - expected));
    }
    const auto& k = envelope.keyframes();
    for (size_t i = 0; i + 1 < k.size(); ++i) {
        if (k[i].dbValue == k[i + 1].dbValue || k[i + 1].time <= k[i].time) continue;
        ++findings.ramps;
        const double middle = (k[i].time + k[i + 1].time) / 2;
        if (auto s = bestShift(envelope, played, music, k[i].time - 3 * kFrame, middle))
            findings.rampBeginFrames = std::max(findings.rampBeginFrames, std::fabs(*s) / kFrame);
        if (auto s = bestShift(envelope, played, music, middle, k[i + 1].time + 3 * kFrame))
            findings.rampEndFrames = std::max(findings.rampEndFrames, std::fabs(*s) / kFrame);
    }
}

void measureFillers(const ProjectDescription& project, const Power& played, const Power& filler,
                    MeltFindings& findings) {
    std::vector<Zone> clips;
    for (const FillerPlacementClip& clip : project.filler->clips) {
        ++findings.fillers;
        clips.push_back({clip.offset() - 2 * kFrame, clip.offset() + clip.duration() + 2 * kFrame});
        // The steady part of the clip, compared with the filler's own start.
        const double steady = std::max(0.2, clip.duration() - kFillerFadeSeconds);
        double bestError = 1e9, bestShift = 0;
        for (int ms = -100; ms <= 100; ++ms) {
            double error = 0;
            int windows = 0;
            for (double t = 0.05; t + kWindow <= steady; t += kWindow) {
                const double reference = filler.over(t, kWindow);
                if (reference < kSounding) continue;
                ++windows;
                error += std::fabs(
                    db(std::max(played.over(clip.offset() + t + ms / 1000.0, kWindow), 1e-12) /
                       reference));
            }
            error = windows ? error / windows : 1e9;
            if (error < bestError) {
                bestError = error;
                bestShift = ms / 1000.0;
            }
        }
        findings.fillerOffsetFrames =
            std::max(findings.fillerOffsetFrames, std::fabs(bestShift) / kFrame);
        findings.fillerLevelDb = std::max(findings.fillerLevelDb, bestError);
    }
    for (double t = 0; t + kWindow <= played.seconds(); t += kWindow)
        if (!inAny(clips, t, t + kWindow))
            findings.fillerOutsideDb =
                std::max(findings.fillerOutsideDb, db(std::max(played.over(t, kWindow), 1e-20)));
}

void measureStem(const ProjectDescription& project, const Power& played, const Power& stem,
                 std::vector<Zone> skipped, MeltFindings& findings) {
    if (project.filler)
        for (const FillerPlacementClip& clip : project.filler->clips) {
            const double end = clip.offset() + clip.duration();
            skipped.push_back({clip.offset() - 2 * kFrame, clip.offset() + 2 * kFrame});
            skipped.push_back({end - std::min(kFillerFadeSeconds, clip.duration()) - 2 * kFrame,
                               end + 2 * kFrame});
        }
    for (double t = 0; t + kWindow <= std::min(played.seconds(), stem.seconds()); t += kWindow) {
        const double reference = stem.over(t, kWindow);
        if (reference < kSounding || inAny(skipped, t, t + kWindow)) continue;
        const double d = std::fabs(db(played.over(t, kWindow) / reference));
        findings.stemDeviation = std::max(findings.stemDeviation, d);
    }
}

} // namespace

std::string meltProgram() {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && std::filesystem::exists(std::filesystem::path(folder) / "melt"))
            return (std::filesystem::path(folder) / "melt").string();
    return "";
}

quelvo::Status describeCase(const MeltCase& input, const std::filesystem::path& work,
                            ProjectDescription& project) {
    RenderJobRequest request;
    request.dialoguePath = input.dialogue;
    request.musicPath = input.music;
    request.fillerPath = input.filler;
    request.outputPath = (work / "mix.wav").string();
    request.stemPath = (work / "stem.wav").string();
    const RenderJobOutcome rendered = renderDuckedMix(request, nullptr);
    if (!rendered.success) return quelvo::Status::failure(rendered.message);
    project = rendered.job.project;
    return quelvo::Status::success();
}

MeltFindings checkWithMelt(const MeltCase& input, const std::filesystem::path& work) {
    MeltFindings findings;
    ProjectDescription project;
    if (quelvo::Status described = describeCase(input, work, project); !described) {
        findings.status = described;
        return findings;
    }
    const std::string stemPath = (work / "stem.wav").string();
    const Power stem = readPower(stemPath);
    const std::string mlt = writeMlt(project);
    const Power music = readPower(input.music);
    const MediaFileFacts musicFacts = project.music.source.facts;
    for (const auto& [muted, wav, rate, channels] :
         std::vector<std::tuple<std::vector<int>, std::string, int, int>>{
             {{0, 2}, "music.wav", musicFacts.sampleRate, musicFacts.channels},
             {{0}, "played.wav", musicFacts.sampleRate, musicFacts.channels},
             {{0, 1},
              "fillers.wav",
              project.filler ? project.filler->source.facts.sampleRate : 44100,
              project.filler ? project.filler->source.facts.channels : 1}})
        if (quelvo::Status played = playWithMelt(mlt, muted, work / wav, rate, channels); !played) {
            findings.status = played;
            return findings;
        }
    const mix::GainEnvelope envelope(project.music.keyframes, project.music.overallLevel);
    std::vector<Zone> ramps;
    const auto& k = envelope.keyframes();
    for (size_t i = 0; i + 1 < k.size(); ++i)
        if (k[i].dbValue != k[i + 1].dbValue)
            ramps.push_back({k[i].time - 2 * kFrame, k[i + 1].time + 2 * kFrame});
    measureEnvelope(envelope, readPower((work / "music.wav").string()), music, ramps, findings);
    // Played at the music's own rate and brought to the stem's through the same
    // conversion the renderer uses: two resamplers differ by more than 0.5 dB
    // in a 10 ms window of bright music, which is not what is compared here.
    measureStem(project,
                readPower((work / "played.wav").string(), stem.rate, stemChannels(stemPath)), stem,
                ramps, findings);
    if (project.filler)
        measureFillers(project, readPower((work / "fillers.wav").string()),
                       readPower(input.filler, project.filler->source.facts.sampleRate,
                                 project.filler->source.facts.channels),
                       findings);
    findings.status = quelvo::Status::success();
    return findings;
}

} // namespace quelvo::test

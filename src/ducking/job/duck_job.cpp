#include "ducking/job/duck_job.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <future>
#include <memory>
#include <mutex>
#include <tuple>

#include "ducking/job/job_warnings.h"
#include "ducking/speech_clusters.h"
#include "ducking/volume_keyframes.h"
#include "fcpxml/legacy_document.h"
#include "fcpxml/media_facts.h"
#include "fcpxml/project_writer.h"
#include "mix/loudness_depth.h"
#include "platform/audio/audio_file.h"
#include "platform/audio/loudness.h"
#include "platform/movie/fcpxml_audio.h"
#include "platform/toolkit/concurrency.h"
#include "platform/toolkit/files.h"
#include "platform/toolkit/side_by_side.h"

namespace quelvo {

namespace {

using Version = kymovie::FCP106ExportOptionsVC::Version;

double finiteOrZero(double seconds) { return std::isfinite(seconds) ? seconds : 0.0; }

// An input that cannot be read: the sentence the command line prints, and
// the parts a window words for its user.
void failedToRead(DuckOutcome& outcome, const std::string& role, const std::string& path,
                  const std::string& why) {
    outcome.message = "Cannot read the " + role + " file " + path + ": " + why + ".";
    outcome.unreadableRole = role;
    outcome.unreadablePath = path;
    outcome.reason = why;
}

// The facts the job has already gathered, handed to the writers so that no
// file is probed or decoded twice.
KnownMediaFacts::File knownFile(const kyaudio::AudioFileInfo& info) {
    KnownMediaFacts::File file;
    file.sampleRate = info.sampleRate;
    file.channels = info.channels;
    file.sampleCount = info.sampleCount;
    file.duration = finiteOrZero(info.duration);
    return file;
}

// Everything the version callback needs, copied when the sheet opens.
struct WriterInputs {
    std::string speakerPath, musicPath, fillerPath;
    int duckingDecrease = 0;
    int overallMusicLevel = 0;
    bool decreaseToZero = false;
    std::string eventName, projectName;
    QVRoll rolls;
    kyaudio::AudioFileInfo speaker, music, filler;
    kyaudio::ClusterList speechClusters, fillerClusters;
    std::vector<int> duckedLevels;
    std::string outputFile;
    HandOverReport onHandOver;
};

FCPXMLWriteResult runWriter(Version version, const WriterInputs& in, kykit::StatusSink* status) {
    KnownMediaFacts facts;
    facts.add(in.speakerPath, knownFile(in.speaker));
    KnownMediaFacts::File music = knownFile(in.music);
    music.musicClusters = in.fillerClusters;
    facts.add(in.musicPath, music);
    if (!in.fillerPath.empty()) facts.add(in.fillerPath, knownFile(in.filler));

    if (version == Version::fcp106) {
        const std::optional<std::string> fillerURL =
            in.fillerPath.empty() ? std::nullopt : std::optional<std::string>(in.fillerPath);
        return writeProject(in.decreaseToZero, in.duckingDecrease, in.speechClusters, in.rolls,
                            in.overallMusicLevel, in.speakerPath, in.musicPath, fillerURL,
                            in.eventName, in.projectName, in.fillerClusters, in.outputFile, facts,
                            in.onHandOver, in.duckedLevels);
    }
    const double speakerSeconds = finiteOrZero(in.speaker.duration);
    const double musicSeconds = finiteOrZero(in.music.duration);
    return writeLegacyDocument(
        in.speakerPath, formatTenths(speakerSeconds), in.speaker.sampleRate, in.musicPath,
        formatTenths(musicSeconds), in.music.sampleRate, in.fillerPath,
        formatTenths(finiteOrZero(in.filler.duration)), in.filler.sampleRate, in.duckingDecrease,
        in.speechClusters, in.rolls, in.overallMusicLevel,
        formatTenths(std::max(speakerSeconds, musicSeconds)), in.decreaseToZero, in.eventName,
        in.projectName, status, in.outputFile, facts, in.duckedLevels);
}

// The outcome's fields a writer's result decides.
void takeWriteResult(DuckOutcome& outcome, const FCPXMLWriteResult& result, Version chosen) {
    outcome.format = chosen == Version::fcp106 ? "1.9" : "1.6";
    outcome.keyframes = result.keyframes;
    outcome.fillerClips = result.fillerClips;
    outcome.sentToFCP = result.sentToFCP;
    if (!result.status) {
        // The write's own sentence already names the file and the reason.
        std::string why = result.status.message();
        if (!why.empty())
            why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));
        outcome.message = why + ".";
        return;
    }
    outcome.message.clear();
    outcome.outputPath = result.outputPath;
    outcome.success = true;
}

// The length the project gives a file: its header's, unless the packets
// that are there last longer or shorter by more than a codec frame (a
// header that undercounts, say); then theirs, with a warning.
void useAudioLength(kyaudio::AudioFileInfo& info, const std::string& path, double packetSeconds, double frameSeconds,
                    std::vector<std::string>& warnings) {
    // A length guessed from the bitrate is no header's claim; the projects
    // have always used it as it is.
    if (packetSeconds <= 0 || info.sampleRate <= 0 || info.estimated) return;
    const double header = finiteOrZero(info.duration);
    if (std::fabs(header - packetSeconds) <= std::max(frameSeconds, 1.0 / info.sampleRate) + 1e-9) return;
    warnings.push_back(lengthWarning(path, header, packetSeconds));
    info.sampleCount = std::llround(packetSeconds * info.sampleRate);
    info.duration = static_cast<double>(info.sampleCount) / info.sampleRate;
}

// The warnings about one analysed file: what was passed over, and a header
// that disagrees with its audio.
template <typename Analysis> void noteAnalysed(const Analysis& analysis, const std::string& role,
                                               const std::string& path, kyaudio::AudioFileInfo& info,
                                               std::vector<std::string>& warnings) {
    const int64_t total = std::llround(analysis.duration * analysis.damage.rate);
    if (const std::string damaged = damageWarning(role, path, analysis.damage, total); !damaged.empty())
        warnings.push_back(damaged);
    useAudioLength(info, path, analysis.packetSeconds, analysis.frameSeconds, warnings);
}

// With two jobs or more the music's work runs beside the dialogue's.
bool sideBySide(const kyaudio::Parallelism& parallelism) { return parallelism.jobs >= 2; }


} // namespace

struct UnwrittenProject {
    WriterInputs inputs;
    Version version;
};

kykit::Status checkClipLength(double seconds) {
    const double frame = 1.0 / kymovie::FCPXMLUtils::kAudioTimelineFPS;
    if (!(seconds > 0) || seconds >= frame) return kykit::Status::success();
    char text[96];
    std::snprintf(text, sizeof text,
                  "it lasts %.3f s, shorter than one frame of the timeline (1/%g s)", seconds,
                  kymovie::FCPXMLUtils::kAudioTimelineFPS);
    return kykit::Status::failure(text);
}

std::string projectPathFor(const std::string& speakerPath) {
    return kykit::fu_getFileNameWithoutExtension(speakerPath) + ".fcpxml";
}

DuckOutcome duckAudioFiles(const std::string& speakerPath, const std::string& musicPath,
                           const std::string& fillerPath, int duckingDecrease,
                           int overallMusicLevel, bool decreaseToZero,
                           const std::string& eventName, const std::string& projectName,
                           QVRoll rolls, kykit::StatusSink* statusLabel,
                           kymovie::FCP106ExportOptionsVC& versionSheet,
                           void* presentingController, const DuckJobOptions& options) {
    DuckOutcome outcome;
    kykit::ih_setText(statusLabel, kStageInitializing);
    kykit::ih_setText(statusLabel, kStageMetadata);

    auto inputs = std::make_shared<WriterInputs>();
    WriterInputs& in = *inputs;
    in.speakerPath = speakerPath;
    in.musicPath = musicPath;
    in.fillerPath = fillerPath;
    in.duckingDecrease = duckingDecrease;
    in.overallMusicLevel = overallMusicLevel;
    in.decreaseToZero = decreaseToZero;
    in.eventName = eventName;
    in.projectName = projectName;
    in.rolls = rolls;
    in.onHandOver = options.onHandOver;

    // File facts, dialogue first. A file that cannot be read at all stops the
    // job here, before anything is written.
    in.speaker = kyaudio::probeAudioFile(speakerPath);
    if (!in.speaker.status) {
        failedToRead(outcome, "dialogue", speakerPath, in.speaker.status.message());
        return outcome;
    }
    in.music = kyaudio::probeAudioFile(musicPath);
    if (!in.music.status) {
        failedToRead(outcome, "music", musicPath, in.music.status.message());
        return outcome;
    }
    if (!fillerPath.empty()) {
        in.filler = kyaudio::probeAudioFile(fillerPath);
        if (!in.filler.status) {
            failedToRead(outcome, "filler", fillerPath, in.filler.status.message());
            return outcome;
        }
    }
    // The music is decoded below only when a filler needs its silences, and
    // the filler never is; a copy cut short must stop the job all the same.
    // Its packets are read, not decoded, so this costs little; they also
    // tell how long its audio lasts.
    const std::string counted = fillerPath.empty() ? musicPath : fillerPath;
    const std::string countedRole = fillerPath.empty() ? "music" : "filler";
    const kyaudio::LevelAnalysis packets = kyaudio::countAudioPackets(counted);
    if (!packets.status) {
        failedToRead(outcome, countedRole, counted, packets.status.message());
        return outcome;
    }
    std::vector<std::string> countedWarnings;
    kyaudio::AudioFileInfo& countedInfo = fillerPath.empty() ? in.music : in.filler;
    noteAnalysed(packets, countedRole, counted, countedInfo, countedWarnings);
    // The lengths checked are those of the audio that is there, not a
    // header's (one that undercounts must not make a long file too short).
    if (const kykit::Status length = checkClipLength(countedInfo.duration); !length) {
        failedToRead(outcome, countedRole, counted, length.message());
        return outcome;
    }
    in.outputFile = options.outputPath.empty() ? projectPathFor(speakerPath) : options.outputPath;

    kykit::ih_setText(statusLabel, kStageAnalyzing);
    // Only a filler needs to know where the music itself is silent. With two
    // jobs or more that analysis runs beside the dialogue's, each with every
    // job: the two are rarely the same work (a WAV dialogue takes a tenth of
    // an AAC bed), and the one still running then has the cores to itself
    // instead of half of them while the other's sit idle; the sheet keeps
    // the analysing stage until the dialogue's is done, and the filtering
    // stage covers what is left of the music's, as when they run in turn.
    // The status is only ever set here, on the job's thread. A dialogue that
    // cannot be read is the failure reported, whatever the music's fate.
    const bool withMusic = !fillerPath.empty();
    std::future<SpeechAnalysis> musicAnalysis;
    if (withMusic)
        musicAnalysis = kykit::startBeside(sideBySide(options.parallelism),
                                           [musicPath, parallelism = options.parallelism] {
                                               return findMusicClusters(musicPath, kMusicThreshold, parallelism);
                                           });
    const SpeechAnalysis speech = analyzeDialogue(speakerPath, rolls, options.parallelism);
    if (!speech.status) {
        failedToRead(outcome, "dialogue", speakerPath, speech.status.message());
        return outcome;
    }
    kykit::ih_setText(statusLabel, kStageFiltering);
    in.speechClusters = closeGaps(speech.clusters, rolls);
    noteAnalysed(speech, "dialogue", speakerPath, in.speaker, outcome.warnings);

    if (withMusic) {
        const SpeechAnalysis music = musicAnalysis.get();
        if (!music.status) {
            failedToRead(outcome, "music", musicPath, music.status.message());
            return outcome;
        }
        in.fillerClusters = music.clusters;
        noteAnalysed(music, "music", musicPath, in.music, outcome.warnings);
        outcome.musicDecoded = true;
        if (const kykit::Status length = checkClipLength(in.music.duration); !length) {
            failedToRead(outcome, "music", musicPath, length.message());
            return outcome;
        }
    }
    outcome.warnings.insert(outcome.warnings.end(), countedWarnings.begin(), countedWarnings.end());

    // A project without keyframes is valid, and may be what the editor wants,
    // but it must never pass for a ducked one without a word.
    if (in.speechClusters.empty()) {
        outcome.warnings.push_back(noSpeechWarning(speakerPath, rolls.threshold, rolls.detection));
        if (options.onNoSpeech && !options.onNoSpeech(outcome.warnings.back())) {
            outcome.cancelled = true;
            return outcome;
        }
    }

    if (options.underLU) {
        const mix::LoudnessDepths depths =
            mix::loudnessDepths(speakerPath, musicPath, in.speechClusters, rolls, *options.underLU,
                                duckLevel(decreaseToZero, duckingDecrease), overallMusicLevel,
                                options.parallelism);
        if (!depths.status) {
            outcome.message = "Cannot measure the loudness of " + speakerPath + " and " + musicPath + ": " +
                              depths.status.message() + ".";
            return outcome;
        }
        in.duckedLevels = depths.levels;
        outcome.dialogueLoudness = depths.dialogueLoudness;
        outcome.musicLoudness = depths.musicLoudness;
    } else if (options.measureLoudness) {
        // The two measurements are independent: the music's beside the
        // dialogue's when the jobs allow, the dialogue's failure first.
        std::future<kyaudio::FileLoudness> musicLoudness =
            kykit::startBeside(sideBySide(options.parallelism), [musicPath] {
                return kyaudio::measureFileLoudness(musicPath, nullptr, kyaudio::LoudnessMeter::integrated);
            });
        const kyaudio::FileLoudness dialogue = kyaudio::measureFileLoudness(speakerPath, &in.speechClusters,
                                                                                kyaudio::LoudnessMeter::integrated);
        if (!dialogue.status) {
            failedToRead(outcome, "dialogue", speakerPath, dialogue.status.message());
            return outcome;
        }
        const kyaudio::FileLoudness music = musicLoudness.get();
        if (!music.status) {
            failedToRead(outcome, "music", musicPath, music.status.message());
            return outcome;
        }
        // The music is decoded here for the first time; its timestamp jumps
        // were told when its packets were counted.
        if (!outcome.musicDecoded) {
            kyaudio::AudioDamage damage = music.damage;
            damage.jumps = 0;
            if (const std::string damaged = damageWarning("music", musicPath, damage, music.samples); !damaged.empty())
                outcome.warnings.push_back(damaged);
        }
        outcome.musicDecoded = true;
        // Over no speech at all there is nothing to measure.
        if (!in.speechClusters.empty()) outcome.dialogueLoudness = dialogue.figures.integrated;
        outcome.musicLoudness = music.figures.integrated;
    }
    outcome.speechClusters = in.speechClusters;
    outcome.musicClusters = in.fillerClusters;
    outcome.fillerSeconds = finiteOrZero(in.filler.duration);
    outcome.duckedLevels = in.duckedLevels;
    outcome.keyframeList =
        in.duckedLevels.empty()
            ? makeVolumeKeyframes(in.speechClusters, rolls, decreaseToZero, duckingDecrease, overallMusicLevel)
            : makeVolumeKeyframes(in.speechClusters, rolls, in.duckedLevels, overallMusicLevel);
    if (options.analysisOnly) {
        outcome.clusters = static_cast<int>(in.speechClusters.size());
        outcome.keyframes = static_cast<int>(outcome.keyframeList.size());
        if (!fillerPath.empty() && in.fillerClusters.size() > 1)
            outcome.fillerClips = static_cast<int>(in.fillerClusters.size() - 1);
        outcome.success = true;
        return outcome;
    }

    // The sheet may answer on any thread, before or after showSheet returns;
    // the counting semaphore keeps an early answer.
    kykit::KySemaphore done(true);
    std::mutex resultMutex;
    FCPXMLWriteResult result;
    Version chosen = Version::fcp106;
    versionSheet.showSheet(presentingController, std::nullopt,
                           [inputs, statusLabel, &done, &resultMutex, &result, &chosen](Version v) {
                               FCPXMLWriteResult written;
                               if (v != Version::cancelled)
                                   written = runWriter(v, *inputs, statusLabel);
                               {
                                   std::lock_guard lock(resultMutex);
                                   result = std::move(written);
                                   chosen = v;
                               }
                               done.release();
                           });
    done.wait();

    std::lock_guard lock(resultMutex);
    outcome.clusters = static_cast<int>(in.speechClusters.size());
    if (chosen == Version::cancelled) {
        outcome.cancelled = true;
        return outcome;
    }
    takeWriteResult(outcome, result, chosen);
    if (!outcome.success && !result.sentToFCP) {
        auto kept = std::make_shared<UnwrittenProject>(UnwrittenProject{in, chosen});
        kept->inputs.onHandOver = nullptr; // the job's hand-over is answered already
        outcome.unwritten = std::move(kept);
    }
    return outcome;
}

std::string intendedPath(const UnwrittenProject& project) {
    return project.inputs.outputFile;
}

DuckOutcome writeProjectAs(const DuckOutcome& failed, const std::string& path) {
    DuckOutcome outcome = failed;
    if (!failed.unwritten) return outcome;
    auto again = std::make_shared<UnwrittenProject>(*failed.unwritten);
    again->inputs.outputFile = path;
    takeWriteResult(outcome, runWriter(again->version, again->inputs, nullptr), again->version);
    outcome.unwritten = outcome.success ? nullptr : std::move(again);
    return outcome;
}

} // namespace quelvo

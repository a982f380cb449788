#include "jobs/duck_job.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <future>
#include <memory>
#include <thread>
#include <tuple>

#include "base/files.h"
#include "base/keep_both.h"
#include "base/output_files.h"
#include "base/side_by_side.h"
#include "base/task_runner.h"
#include "jobs/dialogue_analyses.h"
#include "jobs/job_warnings.h"
#include "media/audio_file.h"
#include "media/media_info.h"
#include "mix/loudness_depth.h"
#include "project/project_builder.h"
#include "project/volume_keyframes.h"
#include "signal/loudness.h"
#include "speech/speech_clusters.h"
#include "speech/speech_union.h"
#include "writers/fcpxml_audio.h"
#include "writers/project_text.h"
#include "writers/project_writer.h"

namespace quelvo {

namespace {

double finiteOrZero(double seconds) {
    return std::isfinite(seconds) ? seconds : 0.0;
}

// An input that cannot be read: the sentence the command line prints, and
// the parts a window words for its user.
void failedToRead(DuckOutcome& outcome, const std::string& role, const std::string& path,
                  const std::string& why) {
    outcome.message = "Cannot read the " + role + " file " + path + ": " + why + ".";
    outcome.unreadableRole = role;
    outcome.unreadablePath = path;
    outcome.reason = why;
}

MediaFileFacts factsOf(const AudioFileInfo& info) {
    return MediaFileFacts{info.sampleRate, info.channels, info.sampleCount,
                          finiteOrZero(info.duration)};
}

// Corrected audio facts keep the picture the probe found.
MediaFileFacts withVideo(MediaFileFacts facts, const MediaFileFacts& probed) {
    facts.video = probed.video;
    return facts;
}

// The length the project gives a file: its header's, unless the packets
// that are there last longer or shorter by more than a codec frame (a
// header that undercounts, say); then theirs, with a warning.
void useAudioLength(AudioFileInfo& info, const std::string& path, double packetSeconds,
                    double frameSeconds, std::vector<std::string>& warnings) {
    // A length guessed from the bitrate is no header's claim; the projects
    // have always used it as it is.
    if (packetSeconds <= 0 || info.sampleRate <= 0 || info.estimated) return;
    const double header = finiteOrZero(info.duration);
    if (std::fabs(header - packetSeconds) <= std::max(frameSeconds, 1.0 / info.sampleRate) + 1e-9)
        return;
    warnings.push_back(lengthWarning(path, header, packetSeconds));
    info.sampleCount = std::llround(packetSeconds * info.sampleRate);
    info.duration = static_cast<double>(info.sampleCount) / info.sampleRate;
}

// The warnings about one analysed file: what was passed over, and a header
// that disagrees with its audio.
template <typename Analysis>
void noteAnalysed(const Analysis& analysis, const std::string& role, const std::string& path,
                  AudioFileInfo& info, std::vector<std::string>& warnings) {
    const int64_t total = std::llround(analysis.duration * analysis.damage.rate);
    if (const std::string damaged = damageWarning(role, path, analysis.damage, total);
        !damaged.empty())
        warnings.push_back(damaged);
    useAudioLength(info, path, analysis.packetSeconds, analysis.frameSeconds, warnings);
}

// With two jobs or more the music's work runs beside the dialogue's.
bool sideBySide(const Parallelism& parallelism) {
    return parallelism.jobs >= 2;
}

// The work in hand: the request, what was learnt so far and where it goes.
struct JobState {
    const DuckRequest& request;
    const DuckJobContext& context;
    DuckOutcome& outcome;
    std::string dialoguePath; // the first dialogue recording
    std::vector<AudioFileInfo> dialogue;
    AudioFileInfo music, filler;
    ProjectAnalysis analysis;

    bool stopped() {
        if (!context.cancel.cancelled()) return false;
        outcome.cancelled = true;
        outcome.message = "The job was cancelled.";
        return true;
    }
    Parallelism parallelism() const {
        Parallelism p = request.parallelism;
        p.stop = context.cancel.flag();
        return p;
    }
};

// A failure while the token was set is the cancellation, not the file's fault.
bool failedOrStopped(JobState& job, const std::string& role, const std::string& path,
                     const Status& status) {
    if (job.stopped()) return true;
    if (status) return false;
    failedToRead(job.outcome, role, path, status.message());
    return true;
}

// File facts, dialogue first. A file that cannot be read at all stops the
// job here, before anything is written.
bool probeInputs(JobState& job) {
    const DuckInputs& in = job.request.inputs;
    for (const std::string& path : in.dialogue) {
        const MediaInfo media = quelvo::probeMedia(path);
        if (media.status && media.hasVideo && media.audioStreams.empty()) {
            failedToRead(job.outcome, "dialogue", path, "the video has no sound");
            return false;
        }
        const AudioFileInfo info = quelvo::probeAudioFile(path);
        if (failedOrStopped(job, "dialogue", path, info.status)) return false;
        job.dialogue.push_back(info);
        job.analysis.dialogue.push_back(factsOf(info));
        job.analysis.dialogue.back().video = videoSourceFacts(media);
    }
    job.music = quelvo::probeAudioFile(in.music);
    if (failedOrStopped(job, "music", in.music, job.music.status)) return false;
    if (requestUsesFiller(job.request)) {
        job.filler = quelvo::probeAudioFile(in.filler);
        if (failedOrStopped(job, "filler", in.filler, job.filler.status)) return false;
    }
    return true;
}

// The music is decoded below only when a filler needs its silences, and the
// filler never is; a copy cut short must stop the job all the same. Its
// packets are read, not decoded, so this costs little; they also tell how
// long its audio lasts. Its warnings come after the analyses' ones.
bool countPackets(JobState& job, std::vector<std::string>& warnings) {
    const bool withFiller = requestUsesFiller(job.request);
    const std::string& counted = withFiller ? job.request.inputs.filler : job.request.inputs.music;
    const std::string role = withFiller ? "filler" : "music";
    const LevelAnalysis packets = quelvo::countAudioPackets(counted);
    if (failedOrStopped(job, role, counted, packets.status)) return false;
    AudioFileInfo& info = withFiller ? job.filler : job.music;
    noteAnalysed(packets, role, counted, info, warnings);
    // The lengths checked are those of the audio that is there, not a
    // header's (one that undercounts must not make a long file too short).
    const Status length = checkClipLength(info.duration);
    return !failedOrStopped(job, role, counted, length);
}

// Every dialogue recording's speech, side by side; the music ducks under
// their union, its gaps closed as one. A file that cannot be read is named,
// the first in the given order.
bool findDialogueSpeech(JobState& job) {
    const DuckRequest& request = job.request;
    const std::vector<std::string>& paths = request.inputs.dialogue;
    const auto finished = [&job](int done, int total) {
        if (total < 2) return;
        quelvo::showStatus(job.context.status, std::string(kStageAnalyzing) + " (" +
                                                   std::to_string(done) + " of " +
                                                   std::to_string(total) + " recordings done)");
    };
    const std::vector<SpeechAnalysis> found =
        analyzeEveryDialogue(paths, request.rolls, job.parallelism(), finished);
    std::vector<ClusterList> perFile;
    for (size_t i = 0; i < paths.size(); ++i)
        if (failedOrStopped(job, "dialogue", paths[i], found[i].status)) return false;
    quelvo::showStatus(job.context.status, kStageFiltering);
    for (size_t i = 0; i < paths.size(); ++i) {
        noteAnalysed(found[i], "dialogue", paths[i], job.dialogue[i], job.outcome.warnings);
        job.analysis.dialogue[i] = withVideo(factsOf(job.dialogue[i]), job.analysis.dialogue[i]);
        perFile.push_back(found[i].clusters);
    }
    job.analysis.speech = duckedSpeech(perFile, request.rolls);
    return true;
}

// Only a filler needs to know where the music itself is silent. With two
// jobs or more that analysis runs beside the dialogue's, each with every
// job: the two are rarely the same work (a WAV dialogue takes a tenth of an
// AAC bed), and the one still running then has the cores to itself. The
// status is only ever set here, on the job's thread. A dialogue that cannot
// be read is the failure reported, whatever the music's fate. Speech given
// in the request is used as it is: no detection, no gap closing.
bool findSpeech(JobState& job) {
    const DuckRequest& request = job.request;
    quelvo::showStatus(job.context.status, kStageAnalyzing);
    const bool withMusic = requestUsesFiller(request);
    Beside<SpeechAnalysis> musicAnalysis;
    if (withMusic)
        musicAnalysis =
            quelvo::startBeside(sideBySide(request.parallelism),
                                [path = request.inputs.music, parallelism = job.parallelism()] {
                                    return findMusicClusters(path, kMusicThreshold, parallelism);
                                });
    if (request.speech) {
        job.analysis.speech = *request.speech;
        quelvo::showStatus(job.context.status, kStageFiltering);
    } else if (!findDialogueSpeech(job)) {
        return false;
    }
    if (!withMusic) return true;
    const SpeechAnalysis music = musicAnalysis.get();
    if (failedOrStopped(job, "music", request.inputs.music, music.status)) return false;
    job.analysis.musicSounding = music.clusters;
    noteAnalysed(music, "music", request.inputs.music, job.music, job.outcome.warnings);
    job.outcome.musicDecoded = true;
    return !failedOrStopped(job, "music", request.inputs.music,
                            checkClipLength(job.music.duration));
}

// Depth by loudness: a ducked level per speech interval.
bool measureDepths(JobState& job) {
    const DuckRequest& r = job.request;
    const mix::LoudnessDepths depths = mix::loudnessDepths(
        r.inputs.dialogue, r.inputs.music, job.analysis.speech, r.rolls, *r.depth.underLU,
        duckLevel(r.depth.toZero, r.depth.decrease), r.depth.overallMusicLevel, job.parallelism());
    if (job.stopped()) return false;
    if (!depths.status) {
        std::string dialogue;
        for (const std::string& path : r.inputs.dialogue)
            dialogue += (dialogue.empty() ? "" : ", ") + path;
        job.outcome.message = "Cannot measure the loudness of " + dialogue + " and " +
                              r.inputs.music + ": " + depths.status.message() + ".";
        return false;
    }
    job.analysis.duckedLevels = depths.levels;
    job.outcome.dialogueLoudness = depths.dialogueLoudness;
    job.outcome.musicLoudness = depths.musicLoudness;
    return true;
}

// The two loudness measurements for the summary are independent: the
// music's beside the dialogue's when the jobs allow, the dialogue's failure
// first.
bool measureLoudness(JobState& job) {
    const std::string& musicPath = job.request.inputs.music;
    Beside<FileLoudness> musicLoudness =
        quelvo::startBeside(sideBySide(job.request.parallelism), [musicPath] {
            return quelvo::measureFileLoudness(musicPath, nullptr, LoudnessMeter::integrated);
        });
    // Several microphones are measured as their sum: what the listener hears.
    const IntervalLoudness dialogue =
        quelvo::measureIntervalLoudness(job.request.inputs.dialogue, job.analysis.speech);
    const FileLoudness music = musicLoudness.get();
    if (failedOrStopped(job, "dialogue", job.dialoguePath, dialogue.status)) return false;
    if (failedOrStopped(job, "music", musicPath, music.status)) return false;
    DuckOutcome& outcome = job.outcome;
    // The music is decoded here for the first time; its timestamp jumps
    // were told when its packets were counted.
    if (!outcome.musicDecoded) {
        AudioDamage damage = music.damage;
        damage.jumps = 0;
        if (const std::string damaged = damageWarning("music", musicPath, damage, music.samples);
            !damaged.empty())
            outcome.warnings.push_back(damaged);
    }
    outcome.musicDecoded = true;
    // Over no speech at all there is nothing to measure.
    if (!job.analysis.speech.empty()) outcome.dialogueLoudness = dialogue.together;
    outcome.musicLoudness = music.figures.integrated;
    return true;
}

// Everything up to the description; false when the job ends here.
bool analyse(JobState& job) {
    quelvo::showStatus(job.context.status, kStageInitializing);
    quelvo::showStatus(job.context.status, kStageMetadata);
    if (job.request.inputs.dialogue.empty()) {
        job.outcome.message = "No dialogue recording was given.";
        return false;
    }
    job.dialoguePath = job.request.inputs.dialogue.front();
    std::vector<std::string> countedWarnings;
    if (!probeInputs(job) || !countPackets(job, countedWarnings) || !findSpeech(job)) return false;
    job.analysis.music = factsOf(job.music);
    job.analysis.filler = factsOf(job.filler);
    DuckOutcome& outcome = job.outcome;
    outcome.warnings.insert(outcome.warnings.end(), countedWarnings.begin(), countedWarnings.end());

    // A project without keyframes is valid, and may be what the editor wants,
    // but it must never pass for a ducked one without a word.
    if (job.analysis.speech.empty()) {
        const EnvelopeTiming& rolls = job.request.rolls;
        // Every microphone is named: none of them held speech.
        std::string names;
        for (const std::string& path : job.request.inputs.dialogue)
            names += (names.empty() ? "" : ", ") + std::filesystem::path(path).filename().string();
        outcome.warnings.push_back(noSpeechWarning(names, rolls.threshold, rolls.detection));
        if (job.context.onNoSpeech && !job.context.onNoSpeech(outcome.warnings.back())) {
            outcome.cancelled = true;
            return false;
        }
    }
    if (job.request.depth.underLU) {
        if (!measureDepths(job)) return false;
    } else if (job.request.measureLoudness && !measureLoudness(job)) {
        return false;
    }
    if (job.stopped()) return false;
    outcome.project = describeProject(job.request, job.analysis);
    if (const auto& video = job.analysis.dialogue.front().video) {
        const double timelineRate = outcome.project.timeline.frameRate;
        if (std::fabs(video->framesPerSecond() - timelineRate) > 0.001)
            outcome.warnings.push_back(frameRateWarning(job.dialoguePath, video->framesPerSecond(),
                                                        timelineRate, video->variableFrameRate));
    }
    outcome.clusters = static_cast<int>(outcome.project.speech.size());
    outcome.keyframes = static_cast<int>(outcome.project.music.keyframes.size());
    outcome.fillerClips =
        outcome.project.filler ? static_cast<int>(outcome.project.filler->clips.size()) : 0;
    return true;
}

// The question's answer, waited for: the sheet may answer on any thread,
// before or after ask() returns; the promise keeps an early answer.
FormatQuestion::Answer askFormat(FormatQuestion& question) {
    auto answer = std::make_shared<std::promise<FormatQuestion::Answer>>();
    std::future<FormatQuestion::Answer> given = answer->get_future();
    question.ask(std::nullopt, [answer](FormatQuestion::Answer chosen) {
        // Only the first answer counts.
        try {
            answer->set_value(chosen);
        } catch (const std::future_error&) {
        }
    });
    // A sheet dropped without an answer is no answer: the job stops as if
    // cancelled, where it used to wait forever. Only the callback may keep
    // the promise, so that dropping it breaks the promise and ends the wait.
    answer.reset();
    try {
        return given.get();
    } catch (const std::future_error&) {
        return std::nullopt;
    }
}

// The hand-over runs a moment after the job, which is released first, as a
// task of its own that owns its copy of the text. The report is made on
// that task's thread; a command line waits for the runner before it exits.
void handOver(const std::string& text, HandOverReport report) {
    TaskRequest<TaskDone> request;
    request.name = "hand-over";
    request.work = [xml = text, report = std::move(report)](TaskControl&) -> TaskReturn<TaskDone> {
        std::this_thread::sleep_for(std::chrono::duration<double>(kHandOverDelay));
        const auto handedOver = fcpHandoff::handOverToFCP(kHandOverAppName, xml);
        if (report)
            report(handedOver);
        else if (!handedOver.status.ok())
            std::fprintf(stderr, "Quelvo: %s\n", handedOver.status.message().c_str());
        return TaskDone{};
    };
    request.delivery = Delivery{};
    TaskRunner::shared().start(std::move(request));
}

// Writes the text atomically; the write's own sentence names the file and
// the reason.
void writeText(DuckOutcome& outcome, const std::string& text, const std::string& path) {
    const Status written = quelvo::writeTextFile(path, text);
    if (!written) {
        std::string why = written.message();
        if (!why.empty())
            why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));
        outcome.message = why + ".";
        outcome.unwrittenText = std::make_shared<const std::string>(text);
        outcome.intendedPath = path;
        return;
    }
    outcome.message.clear();
    outcome.outputPath = path;
    outcome.success = true;
    outcome.unwrittenText.reset();
}

void deliver(JobState& job, ProjectFormat format) {
    const DuckOutput& output = job.request.output;
    DuckOutcome& outcome = job.outcome;
    outcome.format = format;
    quelvo::showStatus(job.context.status, kStageWriting);
    const ProjectText text = projectText(outcome.project, format);
    if (!text.status) {
        outcome.message = "Cannot write the project: " + text.status.message() + ".";
        return;
    }
    if (job.stopped()) return;
    // Only the 1.9 project has ever been handed over; the others are files.
    if (output.sendToFinalCutPro && format == ProjectFormat::fcpxml19) {
        handOver(text.text, job.context.onHandOver);
        outcome.sentToFCP = true;
        outcome.success = true;
        return;
    }
    std::string path = output.path.empty() ? projectPathFor(job.dialoguePath, format) : output.path;
    bool replace = output.replaceAllowed;
    // The name depends on the format, so only now can the editor be asked
    // about a project already there.
    if (!replace && job.context.onExistingProject && quelvo::somethingAt(path)) {
        const std::optional<std::string> chosen = job.context.onExistingProject(path);
        if (!chosen) {
            outcome.cancelled = true;
            return;
        }
        replace = *chosen == path;
        path = *chosen;
    }
    // An existing project is replaced only when allowed, also when one
    // appears while the job runs.
    if (!replace) quelvo::mustStayNew(path);
    writeText(outcome, text.text, path);
}

} // namespace

Status checkClipLength(double seconds) {
    const double frame = 1.0 / fcpxml::kAudioTimelineFPS;
    if (!(seconds > 0) || seconds >= frame) return Status::success();
    char text[96];
    std::snprintf(text, sizeof text,
                  "it lasts %.3f s, shorter than one frame of the timeline (1/%g s)", seconds,
                  fcpxml::kAudioTimelineFPS);
    return Status::failure(text);
}

std::string projectPathFor(const std::string& speakerPath, ProjectFormat format) {
    return std::filesystem::path(speakerPath).replace_extension().string() + "." +
           std::string(fileExtension(format));
}

DuckOutcome describeDuck(const DuckRequest& request, const DuckJobContext& context) {
    DuckOutcome outcome;
    JobState job{request, context, outcome, {}, {}, {}, {}, {}};
    outcome.success = analyse(job);
    return outcome;
}

DuckOutcome duckAudioFiles(const DuckRequest& request, FormatQuestion& question,
                           const DuckJobContext& context) {
    DuckOutcome outcome;
    JobState job{request, context, outcome, {}, {}, {}, {}, {}};
    if (!analyse(job)) return outcome;
    std::optional<ProjectFormat> format = request.output.format;
    if (!format) format = askFormat(question);
    if (!format) {
        outcome.cancelled = true;
        return outcome;
    }
    if (job.stopped()) return outcome;
    deliver(job, *format);
    return outcome;
}

DuckOutcome writeProjectAs(const DuckOutcome& failed, const std::string& path) {
    DuckOutcome outcome = failed;
    if (!failed.unwrittenText) return outcome;
    writeText(outcome, *failed.unwrittenText, path);
    return outcome;
}

} // namespace quelvo

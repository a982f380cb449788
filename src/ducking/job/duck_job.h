#pragma once
// The ducking job: from three file paths and the level settings to a written
// FCPXML project (or one handed to Final Cut Pro). It runs synchronously on a
// worker thread and returns only after the chosen writer has finished.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ducking/qv_roll.h"
#include "fcpxml/write_result.h"
#include "platform/audio/cluster.h"
#include "platform/audio/parallelism.h"
#include "platform/movie/version_sheet.h"
#include "platform/movie/volume_keyframe.h"
#include "platform/toolkit/result.h"
#include "platform/toolkit/services.h"

namespace quelvo {

// The job's stage texts, in the order they are shown.
inline constexpr const char* kStageInitializing = "Initializing: Downloading required components...";
inline constexpr const char* kStageMetadata = "Getting Audio Metadata...";
inline constexpr const char* kStageAnalyzing = "Analyzing Speaker Clusters...";
inline constexpr const char* kStageFiltering = "Filtering Speaker Clusters...";

// A project the job made but could not write (a read-only folder, a full
// disk), kept in memory so that writeProjectAs can put it elsewhere without
// reading the recordings again.
struct UnwrittenProject;

// What a job did. A job that could not read its dialogue, music or filler, or
// could not write its output, fails with one short sentence naming the file
// and the reason, and leaves nothing on disk.
struct DuckOutcome {
    bool success = false;
    std::string message;     // the failure sentence; empty on success
    std::string outputPath;  // the project written, or "" when sent instead
    bool sentToFCP = false;  // handed to Final Cut Pro a moment after the job
    std::string format;      // "1.9" or "1.6"
    int clusters = 0;        // speech clusters after gap closing
    int keyframes = 0;
    int fillerClips = 0;
    // When an input could not be read: which one ("dialogue", "music",
    // "filler"), its path and the audio layer's reason alone, for callers
    // that put the failure in their own words. Empty otherwise.
    std::string unreadableRole;
    std::string unreadablePath;
    std::string reason;
    // What the project holds, for a renderer to play it back exactly.
    kyaudio::ClusterList speechClusters;
    kyaudio::ClusterList musicClusters;        // where the music sounds (with a filler only)
    double fillerSeconds = 0;                  // the filler's length, which caps its clips
    kymovie::VolumeKeyframeList keyframeList;  // as the keyframe rule made them, times unrounded
    std::vector<int> duckedLevels;             // per speech cluster with depth by loudness
    // LUFS: the dialogue over its speech intervals, the music as a whole;
    // absent where not measured or nothing measurable was heard.
    std::optional<double> dialogueLoudness, musicLoudness;
    // Said although the job succeeded (noSpeechWarning, damageWarning, ...),
    // in order.
    std::vector<std::string> warnings;
    // The music was decoded (for a filler or its loudness), so its damage,
    // if any, is among the warnings already.
    bool musicDecoded = false;
    // Stopped by the caller's answer (DuckJobOptions::onNoSpeech, or Cancel
    // in the version question); nothing was written.
    bool cancelled = false;
    // When the writing failed: the project, for writeProjectAs.
    std::shared_ptr<const UnwrittenProject> unwritten;
};

// What callers may add to the job's inputs.
struct DuckJobOptions {
    // Where the project goes; "" means next to the dialogue, named after it.
    std::string outputPath;
    // Told how a delayed hand-over to Final Cut Pro went (on the toolkit's
    // queue thread, after the job has returned).
    HandOverReport onHandOver;
    // Stop after the analysis: no version is asked and nothing is written;
    // the outcome carries what the project would hold (the mix renderer).
    bool analysisOnly = false;
    // Depth by loudness: the music this many LU under the speech, per speech
    // interval, instead of the one decrease.
    std::optional<double> underLU;
    // Measure the dialogue's and the music's loudness for the outcome.
    bool measureLoudness = false;
    // Asked on the job's thread, before the version sheet, when the dialogue
    // holds no speech above the threshold: the project would have no
    // keyframes. Given the warning sentence; false stops the job (cancelled).
    // Unset, the job goes on and the warning is in the outcome.
    std::function<bool(const std::string& warning)> onNoSpeech;
    // The threads the analyses may use. One job is the plain path: the
    // dialogue, then the music, on the job's thread. With two or more the
    // music (when a filler needs it) and the music's loudness are found on a
    // second thread beside the dialogue's, each analysis with its share of
    // the jobs. The outcome is the same whatever the number.
    kyaudio::Parallelism parallelism;
};

// A music or filler is placed as a clip of whole timeline frames: one
// shorter than a frame would be a clip of no length. The reason for the
// failure table when `seconds` (the file's declared length, 0 when unknown)
// is under a frame; success otherwise.
kykit::Status checkClipLength(double seconds);

// The dialogue path without its extension, followed by ".fcpxml".
std::string projectPathFor(const std::string& speakerPath);

DuckOutcome duckAudioFiles(const std::string& speakerPath, const std::string& musicPath,
                           const std::string& fillerPath, int duckingDecrease,
                           int overallMusicLevel, bool decreaseToZero,
                           const std::string& eventName, const std::string& projectName,
                           QVRoll rolls, kykit::StatusSink* statusLabel,
                           kymovie::FCP106ExportOptionsVC& versionSheet,
                           void* presentingController, const DuckJobOptions& options = {});

// Writes the project of a job whose writing failed to `path`, in the version
// chosen then; the outcome is the job's with the new result.
DuckOutcome writeProjectAs(const DuckOutcome& failed, const std::string& path);
// Where the unwritten project was to go.
std::string intendedPath(const UnwrittenProject& project);

} // namespace quelvo

#pragma once
// The ducking job: from a DuckRequest to a written project (or one handed to
// Final Cut Pro). It reads the recordings, finds the speech, builds the one
// project description, asks which editor when the request does not say,
// has the format's writer turn the description into text, and is the only
// place that writes the file (atomically) or hands it over. It runs
// synchronously on a worker thread and returns only when that is done.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "base/services.h"
#include "project/cancel_token.h"
#include "project/duck_request.h"
#include "project/format_question.h"
#include "project/project_description.h"
#include "writers/write_result.h"

namespace quelvo {

// The job's stage texts, in the order they are shown.
inline constexpr const char* kStageInitializing =
    "Initializing: Downloading required components...";
inline constexpr const char* kStageMetadata = "Getting Audio Metadata...";
inline constexpr const char* kStageAnalyzing = "Analyzing Speaker Clusters...";
inline constexpr const char* kStageFiltering = "Filtering Speaker Clusters...";
inline constexpr const char* kStageWriting = "Writing the project file...";

// What a job did. A job that could not read its dialogue, music or filler, or
// could not write its output, fails with one short sentence naming the file
// and the reason, and leaves nothing on disk.
struct DuckOutcome {
    bool success = false;
    std::string message;                 // the failure sentence; empty on success
    std::string outputPath;              // the project written, or "" when sent instead
    bool sentToFCP = false;              // handed to Final Cut Pro a moment after the job
    std::optional<ProjectFormat> format; // the format written
    int clusters = 0;                    // speech intervals the envelope follows
    int keyframes = 0;
    int fillerClips = 0;
    // When an input could not be read: which one ("dialogue", "music",
    // "filler"), its path and the audio layer's reason alone, for callers
    // that put the failure in their own words. Empty otherwise.
    std::string unreadableRole;
    std::string unreadablePath;
    std::string reason;
    // What the project holds: the renderer, the plot and the preview read
    // it as it is. Filled once the analyses are done.
    ProjectDescription project;
    // LUFS: the dialogue over its speech intervals, the music as a whole;
    // absent where not measured or nothing measurable was heard.
    std::optional<double> dialogueLoudness, musicLoudness;
    // Said although the job succeeded (noSpeechWarning, damageWarning, ...),
    // in order.
    std::vector<std::string> warnings;
    // The music was decoded (for a filler or its loudness), so its damage,
    // if any, is among the warnings already.
    bool musicDecoded = false;
    // Stopped by the cancel token, the no-speech question or a Cancel in the
    // format question; nothing was written.
    bool cancelled = false;
    // When the writing failed: the text and where it was to go, so that
    // writeProjectAs can put it elsewhere without reading the recordings again.
    std::shared_ptr<const std::string> unwrittenText;
    std::string intendedPath;
};

// What the caller gives the job besides the request: where its stages are
// shown, how it is stopped and who hears about a later hand-over.
struct DuckJobContext {
    StatusSink* status = nullptr;
    CancelToken cancel;
    // Told how a delayed hand-over to Final Cut Pro went (on the toolkit's
    // queue thread, after the job has returned). Without one a failure is
    // printed to standard error.
    HandOverReport onHandOver;
    // Asked on the job's thread, before the format question, when the
    // dialogue holds no speech: the project would have no keyframes. Given
    // the warning sentence; false stops the job (cancelled). Unset, the job
    // goes on and the warning is in the outcome.
    std::function<bool(const std::string& warning)> onNoSpeech;
    // Asked on the job's thread once the format (and with it the file name)
    // is known, when something is already where the project would go and the
    // request does not allow replacing it. The answer is the path to write:
    // the same one replaces it, another keeps both; nothing cancels the job.
    // Unset, the job refuses to replace it.
    std::function<std::optional<std::string>(const std::string& path)> onExistingProject;
};

// A music or filler is placed as a clip of whole timeline frames: one
// shorter than a frame would be a clip of no length. The reason for the
// failure table when `seconds` (the file's declared length, 0 when unknown)
// is under a frame; success otherwise.
Status checkClipLength(double seconds);

// The dialogue path without its extension, followed by "." and the format's
// extension.
std::string projectPathFor(const std::string& speakerPath,
                           ProjectFormat format = ProjectFormat::fcpxml19);

// The whole job.
DuckOutcome duckAudioFiles(const DuckRequest& request, FormatQuestion& question,
                           const DuckJobContext& context = {});

// The analyses and the description only: nothing is asked and nothing is
// written (the rendered mix, pictures).
DuckOutcome describeDuck(const DuckRequest& request, const DuckJobContext& context = {});

// Writes the text of a job whose writing failed to `path`; the outcome is
// the job's with the new result.
DuckOutcome writeProjectAs(const DuckOutcome& failed, const std::string& path);

} // namespace quelvo

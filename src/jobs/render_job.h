#pragma once
// The ducked mix as a job: the ducking job's analysis (the same checks, the
// same refusals), then the mixer plays what the project would hold into an
// audio file. Shared by `quelvo-cli render` and the desktop's Export Mix.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/services.h"
#include "jobs/duck_job.h"
#include "mix/mixer.h"
#include "project/envelope_timing.h"

namespace quelvo {

inline constexpr const char* kStageRendering = "Rendering the Mix...";

// "<dialogue without extension>_mix.wav", beside the dialogue.
std::string mixPathFor(const std::string& dialoguePath);
// "<output without extension>_music.<output's extension>".
std::string stemPathFor(const std::string& outputPath);

struct RenderJobRequest {
    std::string dialoguePath, musicPath, fillerPath;
    // The other microphones recorded with the dialogue (up to 7 more), mixed
    // with it; their speech ducks the music as the first's does.
    std::vector<std::string> moreDialogue;
    int decrease = -12;
    int overall = 0;
    bool toZero = false;
    std::optional<double> underLU;
    EnvelopeTiming rolls = envelopeTimingFromSettings();
    bool measureLoudness = false; // the dialogue's, the music's and the mix's, for the summary
    std::string outputPath;
    AudioContainer container = AudioContainer::wav;
    std::string stemPath;                 // "" for none
    std::function<bool(double)> progress; // the render's share done; false stops it
    Parallelism parallelism;              // for the analyses, as DuckRequest::parallelism
    // Speech to use as it is instead of detecting, as DuckRequest::speech.
    std::optional<ClusterList> speech;
};

struct RenderJobOutcome {
    bool success = false;
    std::string message; // one sentence naming the file and the reason
    DuckOutcome job;
    mix::RenderOutcome render;
};

// The ducking request a render analyses with.
DuckRequest duckRequestFor(const RenderJobRequest& request);
// What the mixer plays for a project: its envelope and filler clips as the
// description holds them.
mix::MixInputs mixInputsFor(const ProjectDescription& project);

// Whether the mix leaves a picture out: the dialogue is a video, and the mix
// is its sound alone.
bool mixLeavesOutPicture(const ProjectDescription& project);

// Whether `path` names a dialogue, the music or the filler file of the request.
bool namesAnInput(const RenderJobRequest& request, const std::string& path);

RenderJobOutcome renderDuckedMix(const RenderJobRequest& request, StatusSink* status);

} // namespace quelvo

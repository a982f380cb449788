#include "jobs/render_job.h"

#include <cctype>
#include <filesystem>
#include <optional>

#include "base/files.h"
#include "base/output_files.h"
#include "base/side_by_side.h"
#include "jobs/job_warnings.h"
#include "project/version_sheet.h"
#include "signal/loudness.h"

namespace quelvo {

std::string mixPathFor(const std::string& dialoguePath) {
    return std::filesystem::path(dialoguePath).replace_extension().string() + "_mix.wav";
}

std::string stemPathFor(const std::string& outputPath) {
    const std::string base = std::filesystem::path(outputPath).replace_extension().string();
    return base + "_music" + outputPath.substr(base.size());
}

namespace {

// The summary's loudness of the dialogue (over its speech) and of the music,
// each file in its own format, or the failure's sentence.
struct InputLoudness {
    std::string failure;
    std::optional<double> dialogue, music;
};

InputLoudness measureInputs(const std::vector<std::string>& dialoguePaths,
                            const std::string& musicPath, const ClusterList& speech,
                            const Parallelism& parallelism) {
    InputLoudness result;
    const int integrated = LoudnessMeter::integrated;
    // Several microphones are measured as their sum: what the listener hears.
    const IntervalLoudness dialogue =
        quelvo::measureIntervalLoudness(dialoguePaths, speech, parallelism);
    if (!dialogue.status) {
        result.failure = "Cannot read the dialogue file " + dialoguePaths.front() + ": " +
                         dialogue.status.message() + ".";
        return result;
    }
    const FileLoudness music =
        quelvo::measureFileLoudness(musicPath, nullptr, integrated, parallelism);
    if (!music.status) {
        result.failure =
            "Cannot read the music file " + musicPath + ": " + music.status.message() + ".";
        return result;
    }
    // Over no speech at all there is nothing to measure.
    if (!speech.empty()) result.dialogue = dialogue.together;
    result.music = music.figures.integrated;
    return result;
}

} // namespace

DuckRequest duckRequestFor(const RenderJobRequest& request) {
    DuckRequest duck;
    duck.inputs = {{request.dialoguePath}, request.musicPath, request.fillerPath};
    duck.inputs.dialogue.insert(duck.inputs.dialogue.end(), request.moreDialogue.begin(),
                                request.moreDialogue.end());
    duck.rolls = request.rolls;
    duck.depth = {request.decrease, request.toZero, request.overall, request.underLU};
    duck.parallelism = request.parallelism;
    duck.speech = request.speech;
    return duck;
}

mix::MixInputs mixInputsFor(const ProjectDescription& project) {
    mix::MixInputs inputs;
    if (!project.dialogue.empty()) inputs.dialoguePath = project.dialogue.front().source.path;
    for (size_t i = 1; i < project.dialogue.size(); ++i)
        inputs.moreDialogue.push_back(project.dialogue[i].source.path);
    inputs.musicPath = project.music.source.path;
    inputs.envelope = mix::GainEnvelope(project.music.keyframes, project.music.overallLevel);
    if (project.filler) {
        inputs.fillerPath = project.filler->source.path;
        for (const FillerPlacementClip& clip : project.filler->clips)
            inputs.fillers.push_back({clip.offset(), clip.duration()});
    }
    return inputs;
}

bool mixLeavesOutPicture(const ProjectDescription& project) {
    return !project.dialogue.empty() && project.dialogue.front().source.facts.video.has_value();
}

bool namesAnInput(const RenderJobRequest& request, const std::string& path) {
    for (const std::string* input :
         {&request.dialoguePath, &request.musicPath, &request.fillerPath})
        if (quelvo::sameFile(path, *input)) return true;
    for (const std::string& input : request.moreDialogue)
        if (quelvo::sameFile(path, input)) return true;
    return false;
}

RenderJobOutcome renderDuckedMix(const RenderJobRequest& request, StatusSink* status) {
    RenderJobOutcome outcome;
    // The mix replaces its output only once it is complete, but an output
    // that is one of the inputs would still replace a recording with its mix.
    for (const std::string* output : {&request.outputPath, &request.stemPath})
        if (namesAnInput(request, *output)) {
            outcome.message =
                "Cannot write " + *output + ": it is one of the recordings being mixed.";
            return outcome;
        }
    if (quelvo::sameFile(request.stemPath, request.outputPath)) {
        outcome.message = "Cannot write " + request.outputPath +
                          " twice: the mix and its music stem need two names.";
        return outcome;
    }
    // Depth by loudness measures the dialogue's and the music's loudness in
    // the job, before the keyframes; for the summary alone they do not
    // depend on the mix and are measured beside it below.
    const bool inputsBesideMix = request.measureLoudness && !request.underLU;
    DuckJobContext context;
    context.status = status;
    // No project is written, so no format is asked.
    outcome.job = describeDuck(duckRequestFor(request), context);
    if (!outcome.job.success) {
        outcome.message = outcome.job.message;
        return outcome;
    }
    quelvo::showStatus(status, kStageRendering);
    const mix::MixInputs inputs = mixInputsFor(outcome.job.project);
    mix::RenderRequest render;
    render.outputPath = request.outputPath;
    render.container = request.container;
    render.stemPath = request.stemPath;
    render.measureLoudness = request.measureLoudness;
    render.progress = request.progress;
    Beside<InputLoudness> inputsLoudness;
    if (inputsBesideMix)
        inputsLoudness = quelvo::startBeside(request.parallelism.jobs >= 2, [&request, &outcome] {
            return measureInputs(duckRequestFor(request).inputs.dialogue, request.musicPath,
                                 outcome.job.project.speech, request.parallelism);
        });
    outcome.render = mix::renderMix(inputs, render);
    if (inputsBesideMix) {
        const InputLoudness measured = inputsLoudness.get();
        if (!measured.failure.empty() && outcome.render.status) {
            outcome.message = measured.failure;
            return outcome;
        }
        outcome.job.dialogueLoudness = measured.dialogue;
        outcome.job.musicLoudness = measured.music;
    }
    if (!outcome.render.status) {
        std::string why = outcome.render.status.message();
        if (!why.empty())
            why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));
        if (!why.empty() && why.back() != '.') why += ".";
        outcome.message = why;
        return outcome;
    }
    // The render is where a music the job only counted is decoded; its
    // timestamp jumps were told when its packets were counted.
    if (!outcome.job.musicDecoded) {
        AudioDamage damage = outcome.render.musicDamage;
        damage.jumps = 0;
        if (const std::string damaged =
                damageWarning("music", request.musicPath, damage, outcome.render.musicSamples);
            !damaged.empty())
            outcome.job.warnings.push_back(damaged);
    }
    outcome.success = true;
    return outcome;
}

} // namespace quelvo

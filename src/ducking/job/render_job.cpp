#include "ducking/job/render_job.h"

#include <cctype>
#include <filesystem>

#include "platform/movie/version_sheet.h"
#include "platform/toolkit/files.h"

namespace quelvo {

std::string mixPathFor(const std::string& dialoguePath) {
    return kykit::fu_getFileNameWithoutExtension(dialoguePath) + "_mix.wav";
}

std::string stemPathFor(const std::string& outputPath) {
    const std::string base = kykit::fu_getFileNameWithoutExtension(outputPath);
    return base + "_music" + outputPath.substr(base.size());
}

namespace {

// Whether two paths name the same existing file.
bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, error) && !error;
}

} // namespace

bool namesAnInput(const RenderJobRequest& request, const std::string& path) {
    for (const std::string* input : {&request.dialoguePath, &request.musicPath, &request.fillerPath})
        if (sameFile(path, *input)) return true;
    return false;
}

RenderJobOutcome renderDuckedMix(const RenderJobRequest& request, kykit::StatusSink* status) {
    RenderJobOutcome outcome;
    // The mix replaces its output only once it is complete, but an output
    // that is one of the inputs would still replace a recording with its mix.
    for (const std::string* output : {&request.outputPath, &request.stemPath})
        if (namesAnInput(request, *output)) {
            outcome.message = "Cannot write " + *output + ": it is one of the recordings being mixed.";
            return outcome;
        }
    if (!request.stemPath.empty() && request.stemPath == request.outputPath) {
        outcome.message = "Cannot write " + request.outputPath + " twice: the mix and its music stem need two names.";
        return outcome;
    }
    DuckJobOptions options;
    options.analysisOnly = true;
    options.underLU = request.underLU;
    options.measureLoudness = request.measureLoudness;
    options.parallelism = request.parallelism;
    // No project is written, so no version is asked; the sheet only satisfies the call.
    kymovie::FixedVersionSheet sheet(kymovie::FCP106ExportOptionsVC::Version::fcp106);
    outcome.job = duckAudioFiles(request.dialoguePath, request.musicPath, request.fillerPath, request.decrease,
                                 request.overall, request.toZero, "", "", request.rolls, status, sheet, nullptr,
                                 options);
    if (!outcome.job.success) {
        outcome.message = outcome.job.message;
        return outcome;
    }
    kykit::ih_setText(status, kStageRendering);
    mix::MixInputs inputs;
    inputs.dialoguePath = request.dialoguePath;
    inputs.musicPath = request.musicPath;
    inputs.fillerPath = request.fillerPath;
    inputs.envelope = mix::GainEnvelope(outcome.job.keyframeList, request.overall);
    if (!request.fillerPath.empty()) inputs.fillers = mix::fillerClipsFor(outcome.job.musicClusters, outcome.job.fillerSeconds);
    mix::RenderRequest render;
    render.outputPath = request.outputPath;
    render.container = request.container;
    render.stemPath = request.stemPath;
    render.measureLoudness = request.measureLoudness;
    render.progress = request.progress;
    outcome.render = mix::renderMix(inputs, render);
    if (!outcome.render.status) {
        std::string why = outcome.render.status.message();
        if (!why.empty()) why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));
        if (!why.empty() && why.back() != '.') why += ".";
        outcome.message = why;
        return outcome;
    }
    outcome.success = true;
    return outcome;
}

} // namespace quelvo

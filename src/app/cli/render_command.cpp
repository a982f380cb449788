// quelvo-cli render: the ducked mix as an audio file, from the same inputs
// and options as duck. The job analyses as it does for a project; the mixer
// then plays the project's envelope and filler clips back into a file.
#include <cmath>
#include <iostream>
#include <memory>

#include <nlohmann/json.hpp>

#include "app/cli/commands.h"
#include "app/cli/duck_options.h"
#include "app/cli/jobs_option.h"
#include "app/cli/speech_option.h"
#include "app/cli/standard_streams.h"
#include "base/files.h"
#include "base/output_files.h"
#include "jobs/duck_job.h"
#include "jobs/render_job.h"
#include "media/audio_writer.h"

namespace quelvo::cli {

namespace {

struct RenderOptions {
    DuckOptions duck;
    bool stems = false;
};

double rounded2(double value) {
    return std::round(value * 100.0) / 100.0;
}

// The outcome as one line of JSON, for scripts.
void printRenderJson(const RenderJobOutcome& outcome) {
    const mix::RenderOutcome& r = outcome.render;
    nlohmann::ordered_json out = {{"output", r.outputPath},
                                  {"stem", nullptr},
                                  {"encoding", r.encoding},
                                  {"sampleRate", r.sampleRate},
                                  {"channels", r.channels},
                                  {"duration", rounded2(r.seconds)},
                                  {"clusters", outcome.job.clusters},
                                  {"keyframes", outcome.job.keyframes},
                                  {"fillerClips", outcome.job.fillerClips},
                                  {"mixGain", rounded2(r.mixGainDb)},
                                  {"warnings", outcome.job.warnings}};
    if (!r.stemPath.empty()) out["stem"] = r.stemPath;
    if (mixLeavesOutPicture(outcome.job.project)) out["audioOnly"] = true;
    out["loudness"] = {{"dialogue", loudnessValue(outcome.job.dialogueLoudness)},
                       {"music", loudnessValue(outcome.job.musicLoudness)},
                       {"mix", loudnessValue(r.mix.integrated)},
                       {"mixRange", loudnessValue(r.mix.range)},
                       {"mixTruePeak", loudnessValue(r.mix.truePeak)}};
    std::cout << out.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

// The outcome in words: what was written and what it holds.
void printRenderSummary(const RenderJobOutcome& outcome) {
    const mix::RenderOutcome& r = outcome.render;
    std::cout << "Wrote " << r.outputPath << " (" << r.encoding << ", " << outcome.job.clusters
              << " speech intervals, " << outcome.job.fillerClips << " filler clips"
              << (mixLeavesOutPicture(outcome.job.project)
                      ? "; audio only, without the video's picture"
                      : "")
              << ")\n";
    if (!r.stemPath.empty()) std::cout << "Wrote " << r.stemPath << " (the ducked music alone)\n";
}

int runRender(const RenderOptions& o) {
    if (const auto usage = dialogueFilesError(o.duck)) {
        printError(*usage);
        return 2;
    }
    const DuckLevels levels = resolveDuckLevels(o.duck);
    const std::string output =
        o.duck.output.empty() ? mixPathFor(o.duck.dialogue.front()) : o.duck.output;
    const auto container = quelvo::containerForPath(output);
    if (!container) {
        printError("--output must end in .wav, .flac or .m4a: " + output);
        return 2;
    }
    RenderJobRequest request;
    request.dialoguePath = o.duck.dialogue.front();
    request.moreDialogue.assign(o.duck.dialogue.begin() + 1, o.duck.dialogue.end());
    request.musicPath = o.duck.music;
    request.fillerPath = o.duck.filler;
    request.decrease = levels.decrease;
    request.overall = levels.overall;
    request.toZero = levels.toZero;
    request.underLU = levels.underLU;
    request.rolls = currentEnvelopeTiming();
    if (const auto usage = applyDetectionOptions(request.rolls, o.duck.detect, o.duck.threshold)) {
        printError(*usage);
        return 2;
    }
    const JobsChoice jobs = jobsFrom(o.duck.jobs);
    if (jobs.usageError) {
        printError(*jobs.usageError);
        return 2;
    }
    request.parallelism = jobs.parallelism;
    if (const int status = readSpeechOption(o.duck, request.speech)) return status;
    request.outputPath = output;
    request.container = *container;
    request.measureLoudness = o.duck.json;
    if (o.stems) request.stemPath = stemPathFor(output);
    // An existing file is never replaced without being asked for, as with
    // duck; one of the recordings themselves never, --force or not.
    quelvo::OutputPlan outputs;
    outputs.inputs = o.duck.dialogue;
    outputs.inputs.insert(outputs.inputs.end(),
                          {request.musicPath, request.fillerPath, o.duck.speech.value_or("")});
    outputs.inputsName = "the recordings being mixed";
    outputs.outputs = {request.outputPath, request.stemPath};
    outputs.replaceExisting = o.duck.force;
    if (const auto refused = quelvo::checkOutputPlan(outputs)) {
        printError(*refused);
        return 1;
    }
    StderrStatus status;
    const RenderJobOutcome outcome = renderDuckedMix(request, &status);
    if (!outcome.success) {
        printError(outcome.message);
        return 1;
    }
    const mix::RenderOutcome& r = outcome.render;
    for (const std::string& warning : outcome.job.warnings)
        printWarning(warning);
    if (o.duck.json)
        printRenderJson(outcome);
    else
        printRenderSummary(outcome);
    // Lowering the mix is never silent, also in JSON mode.
    if (r.mixGainDb < 0)
        std::cerr << "The mix would clip: lowered by " << rounded2(-r.mixGainDb)
                  << " dB as a whole.\n";
    return 0;
}

} // namespace

void registerRenderCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<RenderOptions>();
    CLI::App* render = app.add_subcommand(
        "render", "Write the ducked mix (dialogue, music, fillers) as an audio file");
    addDuckOptions(render, options->duck);
    render->add_option(
        "--output", options->duck.output,
        "Mix file, .wav, .flac or .m4a (default: <first dialogue>_mix.wav next to it)");
    render->add_flag("--stems", options->stems,
                     "Also write the ducked music alone as <output>_music.<ext>");
    render->callback([options, &exitCode] { exitCode = runRender(*options); });
}

} // namespace quelvo::cli

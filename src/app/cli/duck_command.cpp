// quelvo-cli duck: the whole ducking job from the command line. The version
// sheet is answered by --format; defaults come from the same preferences as
// the desktop program; stage texts go to standard error, and standard output
// carries only the result (the project's path, or the --json summary).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <optional>

#include <nlohmann/json.hpp>

#include "app/cli/commands.h"
#include "app/cli/duck_options.h"
#include "app/cli/jobs_option.h"
#include "app/cli/plot_output.h"
#include "app/cli/standard_streams.h"
#include "app/cli/setting_option.h"
#include "ducking/job/duck_job.h"
#include "mix/depth_mode.h"
#include "platform/toolkit/concurrency.h"
#include "platform/toolkit/files.h"
#include "platform/toolkit/numbers.h"
#include "platform/toolkit/output_files.h"
#include "platform/toolkit/prefs.h"
#include "titles/settings/fcpxml_titles_settings.h"

namespace quelvo::cli {

namespace {

using Version = kymovie::FCP106ExportOptionsVC::Version;

class StderrStatus : public kykit::StatusSink {
public:
    void setStatus(const std::string& text) override { std::cerr << text << std::endl; }
};

int runDuck(const DuckOptions& o, const std::string& plot) {
    QVRoll rolls = currentRolls();
    if (const auto usage = applyDetectionOptions(rolls, o.detect, o.threshold)) {
        printError(*usage);
        return 2;
    }
    const JobsChoice jobs = jobsFrom(o.jobs);
    if (jobs.usageError) {
        printError(*jobs.usageError);
        return 2;
    }
    const Version version = chosenVersion(o.format);
    if (o.sendToFCP && version == Version::olderVersions) {
        printError("--send-to-fcp needs the 1.9 format: older versions get a file");
        return 2;
    }
    // An editor's existing project is never replaced without being asked for.
    // Only a file the job writes counts; the hand-over copy is ours. Loading
    // the stored title settings echoes them: not onto standard output.
    bool sendsWithoutFile = false;
    {
        StdoutToStderr quiet;
        sendsWithoutFile = FCPXML_Titles_Settings::shared().xmlExport.sendToFCPWithoutXMLFile;
    }
    const bool writesFile = !o.sendToFCP && !(version == Version::fcp106 && sendsWithoutFile);
    kykit::OutputPlan outputs;
    outputs.inputs = {o.dialogue, o.music, o.filler};
    outputs.inputsName = "the recordings being ducked";
    if (writesFile) outputs.outputs.push_back(o.output.empty() ? projectPathFor(o.dialogue) : o.output);
    outputs.outputs.push_back(plot);
    outputs.replaceExisting = o.force;
    if (const auto refused = kykit::checkOutputPlan(outputs)) {
        printError(*refused);
        return 1;
    }
    const DuckLevels levels = resolveDuckLevels(o);
    const int decrease = levels.decrease;
    const int overall = levels.overall;
    const bool toZero = levels.toZero;
    const std::string name = levels.name;

    std::mutex handOverMutex;
    std::optional<kykit::Status> handOver;
    DuckJobOptions jobOptions;
    jobOptions.outputPath = o.output;
    jobOptions.underLU = levels.underLU;
    jobOptions.measureLoudness = o.json;
    jobOptions.parallelism = jobs.parallelism;
    jobOptions.onHandOver = [&](const kymovie::KyFCPXML::HandOverResult& r) {
        std::lock_guard lock(handOverMutex);
        handOver = r.status;
    };

    DuckOutcome outcome;
    {
        StdoutToStderr quiet;
        if (o.sendToFCP) FCPXML_Titles_Settings::shared().xmlExport.sendToFCPWithoutXMLFile = true;
        StderrStatus status;
        kymovie::FixedVersionSheet sheet(version);
        outcome = duckAudioFiles(o.dialogue, o.music, o.filler, decrease, overall, toZero,
                                 name + "_duck_event", name + "_duck_project", rolls,
                                 &status, sheet, nullptr, jobOptions);
        // The hand-over runs a moment after the job; wait for it to know how it went.
        kykit::Queue::drain();
    }
    if (!outcome.success) {
        printError(outcome.message);
        return 1;
    }
    std::lock_guard lock(handOverMutex);
    if (handOver && !handOver->ok()) {
        // The hand-over's own sentence names Final Cut Pro, the file and the reason.
        printError(handOver->message());
        return 1;
    }
    // Warnings go to standard error whatever the output form: a script
    // reading --json finds them in "warnings" as well.
    for (const std::string& warning : outcome.warnings) printWarning(warning);
    if (kykit::Status s = plot.empty() ? kykit::Status::success() : writeDuckPlot(plot, o, outcome, overall); !s) {
        printError(s.message());
        return 1;
    }
    if (o.json) {
        nlohmann::ordered_json out = {{"output", nullptr},
                                      {"format", outcome.format},
                                      {"clusters", outcome.clusters},
                                      {"keyframes", outcome.keyframes},
                                      {"fillerClips", outcome.fillerClips},
                                      {"warnings", outcome.warnings}};
        if (!outcome.outputPath.empty()) out["output"] = outcome.outputPath;
        out["loudness"] = {{"dialogue", loudnessValue(outcome.dialogueLoudness)},
                           {"music", loudnessValue(outcome.musicLoudness)}};
        std::cout << out.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    } else if (outcome.sentToFCP) {
        std::cout << "Sent the project to Final Cut Pro (FCPXML " << outcome.format << ")\n";
    } else {
        std::cout << "Wrote " << outcome.outputPath << " (FCPXML " << outcome.format << ", "
                  << outcome.clusters << " speech intervals, " << outcome.keyframes
                  << " keyframes, " << outcome.fillerClips << " filler clips)\n";
    }
    return 0;
}

} // namespace

nlohmann::ordered_json loudnessValue(const std::optional<double>& lufs) {
    if (!lufs) return nullptr;
    return std::round(*lufs * 100.0) / 100.0;
}

void addDuckOptions(CLI::App* command, DuckOptions& options) {
    command->add_option("--dialogue", options.dialogue, "Dialogue (speaker) recording")->required();
    command->add_option("--music", options.music, "Music bed")->required();
    command->add_option("--filler", options.filler, "Filler music for the music's silent stretches");
    command
        ->add_option("--decrease", options.decrease,
                     "Music gain under speech, dB (default: stored, -12)")
        ->check(settingValidator(settings::kDecrease, true));
    command
        ->add_option("--overall", options.overall,
                     "Music gain outside speech, dB (default: stored, 0)")
        ->check(settingValidator(settings::kOverallMusicLevel, true));
    command->add_flag("--to-zero", options.toZero, "Silence the music under speech");
    command
        ->add_option(
            "--under", options.under,
            "Depth by loudness: the music this many LU under the speech, per speech interval "
            "(default: stored depth mode, fixed)")
        ->check(settingValidator(settings::kUnderLU));
    command->add_option("--detect", options.detect,
                        "Speech detection: automatic (adapts to each recording) or threshold (default: stored)");
    command
        ->add_option(
            "--threshold", options.threshold,
            "Speech detection threshold in dB; implies --detect threshold (default: stored, -24)")
        ->check(settingValidator(settings::kThreshold));
    command->add_option("--name", options.name, "Project name (default: the dialogue's file name)");
    addJobsOption(command, options.jobs);
    command->add_flag("--json", options.json, "Print a JSON summary");
    command->add_flag("--force", options.force, "Replace the output file if it already exists");
}

DuckLevels resolveDuckLevels(const DuckOptions& o) {
    DuckLevels levels;
    levels.decrease = o.decrease.value_or(
        static_cast<int>(kykit::truncateToInt(storedNumber(settings::kDecrease))));
    levels.overall = o.overall.value_or(
        static_cast<int>(kykit::truncateToInt(storedNumber(settings::kOverallMusicLevel))));
    levels.toZero = o.toZero || kykit::prefs_getValueBool("decreaseToZero", false);
    levels.name = o.name.value_or(kykit::fu_getFileNameWithoutExtension(kykit::fu_getFileNameFromPath(o.dialogue)));
    levels.underLU = o.under ? o.under : mix::storedUnderLU();
    return levels;
}

void registerDuckCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<DuckOptions>();
    CLI::App* duck = app.add_subcommand("duck", "Write a project in which the music ducks under the dialogue");
    addDuckOptions(duck, *options);
    duck->add_option("--format", options->format, "FCPXML version (default: as the desktop sheet)")
        ->check(CLI::IsMember({"1.9", "1.6"}));
    duck->add_option("--output", options->output, "Project file (default: next to the dialogue)");
    duck->add_flag("--send-to-fcp", options->sendToFCP, "Hand the project to Final Cut Pro instead");
    auto plot = std::make_shared<std::string>();
    duck->add_option("--plot", *plot, "Also draw the preview (waveforms, speech, envelope, fillers) as SVG");
    duck->callback([options, plot, &exitCode] { exitCode = runDuck(*options, *plot); });
}

} // namespace quelvo::cli

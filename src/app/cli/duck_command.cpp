// quelvo-cli duck: the whole ducking job from the command line. The version
// sheet is answered by --format; defaults come from the same preferences as
// the desktop program; stage texts go to standard error, and standard output
// carries only the result (the project's path, or the --json summary).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>

#include <nlohmann/json.hpp>

#include "app/cli/commands.h"
#include "app/cli/dialogue_files.h"
#include "app/cli/duck_options.h"
#include "app/cli/jobs_option.h"
#include "app/cli/plot_output.h"
#include "app/cli/setting_option.h"
#include "app/cli/speech_option.h"
#include "app/cli/standard_streams.h"
#include "base/files.h"
#include "base/numbers.h"
#include "base/output_files.h"
#include "base/settings_store.h"
#include "base/task_runner.h"
#include "jobs/duck_job.h"
#include "mix/depth_mode.h"
#include "project/duck_flag_settings.h"
#include "project/format_question.h"
#include "project/second_file_role.h"
#include "titles/titles_settings.h"

namespace quelvo::cli {

namespace {

// The format from --format, or what the desktop question would answer
// (the remembered or preferred choice). A word that names no format is a
// usage error naming the formats.
std::optional<ProjectFormat> formatFor(const DuckOptions& o) {
    if (!o.format) return answeredFormat();
    const std::optional<ProjectFormat> format = formatFromOption(*o.format);
    if (!format)
        printError("--format " + *o.format + " names no format: use one of " + formatOptionList());
    return format;
}

DuckRequest requestFor(const DuckOptions& o, const EnvelopeTiming& rolls, const JobsChoice& jobs,
                       ProjectFormat format) {
    const DuckLevels levels = resolveDuckLevels(o);
    DuckRequest request;
    request.inputs = {o.dialogue, o.music, o.filler};
    request.rolls = rolls;
    request.depth = {levels.decrease, levels.toZero, levels.overall, levels.underLU};
    request.eventName = levels.name + "_duck_event";
    request.projectName = levels.name + "_duck_project";
    request.musicRole = quelvo::SecondFileRole::shared().roleName();
    request.output.format = format;
    request.output.path = o.output;
    // The stored "send to Final Cut Pro without a file" has always applied
    // to the 1.9 project only.
    request.output.sendToFinalCutPro =
        o.sendToFCP || (format == ProjectFormat::fcpxml19 && storedSendWithoutFile());
    request.output.replaceAllowed = o.force;
    request.measureLoudness = o.json;
    request.parallelism = jobs.parallelism;
    return request;
}

// An editor's existing project is never replaced without being asked for.
// Only a file the job writes counts; the hand-over copy is ours.
std::optional<std::string> refusedOutputs(const DuckOptions& o, const DuckRequest& request,
                                          const std::string& plot) {
    quelvo::OutputPlan outputs;
    outputs.inputs = o.dialogue;
    outputs.inputs.insert(outputs.inputs.end(), {o.music, o.filler, o.speech.value_or("")});
    outputs.inputsName = "the recordings being ducked";
    if (!request.output.sendToFinalCutPro)
        outputs.outputs.push_back(o.output.empty()
                                      ? projectPathFor(o.dialogue.front(), *request.output.format)
                                      : o.output);
    outputs.outputs.push_back(plot);
    outputs.replaceExisting = o.force;
    return quelvo::checkOutputPlan(outputs);
}

std::string formatText(const DuckOutcome& outcome) {
    const ProjectFormat format = outcome.format.value_or(ProjectFormat::fcpxml19);
    const std::string word(formatOption(format));
    return isFinalCutPro(format) ? "FCPXML " + word : word;
}

void printResult(const DuckOptions& o, const DuckOutcome& outcome) {
    if (o.json) {
        nlohmann::ordered_json out = {{"output", nullptr},
                                      {"format", std::string(formatOption(*outcome.format))},
                                      {"clusters", outcome.clusters},
                                      {"keyframes", outcome.keyframes},
                                      {"fillerClips", outcome.fillerClips},
                                      {"warnings", outcome.warnings}};
        if (!outcome.outputPath.empty()) out["output"] = outcome.outputPath;
        out["loudness"] = {{"dialogue", loudnessValue(outcome.dialogueLoudness)},
                           {"music", loudnessValue(outcome.musicLoudness)}};
        std::cout << out.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                  << '\n';
    } else if (outcome.sentToFCP) {
        std::cout << "Sent the project to Final Cut Pro (" << formatText(outcome) << ")\n";
    } else {
        std::cout << "Wrote " << outcome.outputPath << " (" << formatText(outcome) << ", "
                  << outcome.clusters << " speech intervals, " << outcome.keyframes
                  << " keyframes, " << outcome.fillerClips << " filler clips)\n";
    }
}

// SIGINT and SIGTERM during the job end the program by that signal (exit
// status 128 + its number in the shell) once the temporary-file registry has
// removed any write under way: the project appears whole or not at all.
int runDuck(const DuckOptions& o, const std::string& plot) {
    if (const auto usage = dialogueFilesError(o)) {
        printError(*usage);
        return 2;
    }
    EnvelopeTiming rolls = currentEnvelopeTiming();
    if (const auto usage = applyDetectionOptions(rolls, o.detect, o.threshold)) {
        printError(*usage);
        return 2;
    }
    const JobsChoice jobs = jobsFrom(o.jobs);
    if (jobs.usageError) {
        printError(*jobs.usageError);
        return 2;
    }
    const std::optional<ProjectFormat> format = formatFor(o);
    if (!format) return 2;
    if (o.sendToFCP && *format != ProjectFormat::fcpxml19) {
        printError(
            "--send-to-fcp needs the 1.9 format: older versions and other editors get a file");
        return 2;
    }
    DuckRequest request = requestFor(o, rolls, jobs, *format);
    if (const int status = readSpeechOption(o, request.speech)) return status;
    if (const auto refused = refusedOutputs(o, request, plot)) {
        printError(*refused);
        return 1;
    }
    std::mutex handOverMutex;
    std::optional<quelvo::Status> handOver;
    DuckJobContext context;
    StderrStatus status;
    context.status = &status;
    context.onHandOver = [&](const quelvo::fcpHandoff::HandOverResult& r) {
        std::lock_guard lock(handOverMutex);
        handOver = r.status;
    };
    FixedFormatAnswer answer(*format);
    const DuckOutcome outcome = duckAudioFiles(request, answer, context);
    // The hand-over runs a moment after the job; wait for it to know how it went.
    quelvo::TaskRunner::shared().waitForAll();
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
    for (const std::string& warning : outcome.warnings)
        printWarning(warning);
    if (!plot.empty())
        if (quelvo::Status s = writeDuckPlot(plot, outcome.project); !s) {
            printError(s.message());
            return 1;
        }
    printResult(o, outcome);
    return 0;
}

} // namespace

nlohmann::ordered_json loudnessValue(const std::optional<double>& lufs) {
    if (!lufs) return nullptr;
    return std::round(*lufs * 100.0) / 100.0;
}

void addDuckOptions(CLI::App* command, DuckOptions& options) {
    command
        ->add_option(
            "--dialogue", options.dialogue,
            "Dialogue (speaker) recording; give it once per microphone, up to " +
                std::to_string(kMostDialogueFiles) +
                " times, for files recorded together (the music ducks while anyone speaks)")
        ->required()
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    command->add_option("--music", options.music, "Music bed")->required();
    command->add_option("--filler", options.filler,
                        "Filler music for the music's silent stretches");
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
    command->add_option(
        "--detect", options.detect,
        "Speech detection: automatic (adapts to each recording) or threshold (default: stored)");
    command
        ->add_option(
            "--threshold", options.threshold,
            "Speech detection threshold in dB; implies --detect threshold (default: stored, -24)")
        ->check(settingValidator(settings::kThreshold));
    addSpeechOption(command, options);
    command->add_option("--name", options.name,
                        "Project name (default: the first dialogue's file name)");
    addJobsOption(command, options.jobs);
    command->add_flag("--json", options.json, "Print a JSON summary");
    command->add_flag("--force", options.force, "Replace the output file if it already exists");
}

DuckLevels resolveDuckLevels(const DuckOptions& o) {
    DuckLevels levels;
    levels.decrease = o.decrease.value_or(
        static_cast<int>(quelvo::truncateToInt(storedNumber(settings::kDecrease))));
    levels.overall = o.overall.value_or(
        static_cast<int>(quelvo::truncateToInt(storedNumber(settings::kOverallMusicLevel))));
    levels.toZero = o.toZero || storedFlag(settings::kDecreaseToZero);
    const std::string first = o.dialogue.empty() ? "" : o.dialogue.front();
    levels.name = o.name.value_or(std::filesystem::path(first).stem().string());
    levels.underLU = o.under ? o.under : mix::storedUnderLU();
    return levels;
}

std::optional<std::string> dialogueFilesError(const DuckOptions& options) {
    return dialogueUsageError(options.dialogue);
}

void registerDuckCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<DuckOptions>();
    CLI::App* duck =
        app.add_subcommand("duck", "Write a project in which the music ducks under the dialogue");
    addDuckOptions(duck, *options);
    // Named like a choice check in --help ({a,b}), which the shell completions
    // offer; the words are checked in runDuck to name them in the error.
    std::string choices = formatOptionList();
    std::replace(choices.begin(), choices.end(), '|', ',');
    duck->add_option("--format", options->format,
                     "Project format: " + formatOptionList() +
                         " (default: as the desktop question)")
        ->type_name("TEXT:{" + choices + "}");
    duck->add_option("--output", options->output,
                     "Project file (default: next to the first dialogue)");
    duck->add_flag("--send-to-fcp", options->sendToFCP,
                   "Hand the project to Final Cut Pro instead");
    auto plot = std::make_shared<std::string>();
    duck->add_option("--plot", *plot,
                     "Also draw the preview (waveforms, speech, envelope, fillers) as SVG");
    duck->callback([options, plot, &exitCode] { exitCode = runDuck(*options, *plot); });
}

} // namespace quelvo::cli

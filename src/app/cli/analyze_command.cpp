// quelvo-cli analyze: the clusters the ducking job would use for one file.
#include <cmath>
#include <iostream>
#include <memory>
#include <optional>

#include <nlohmann/json.hpp>

#include "app/cli/commands.h"
#include "app/cli/jobs_option.h"
#include "app/cli/setting_option.h"
#include "base/numbers.h"
#include "base/output_files.h"
#include "base/side_by_side.h"
#include "jobs/job_warnings.h"
#include "project/envelope_timing.h"
#include "signal/loudness.h"
#include "speech/speech_clusters.h"
#include "speech/speech_labels.h"

namespace quelvo::cli {

namespace {

struct AnalyzeOptions {
    std::string file;
    std::optional<double> threshold;
    std::optional<std::string> detect;
    bool music = false;
    bool json = false;
    bool loudness = false;
    std::optional<std::string> jobs;
    std::string labels; // also write the speech intervals as a label file
    bool force = false; // replace an existing label file
};

// Times to the microsecond: finer than the 10 ms analysis, and the numbers
// print short ("0.9", not "0.8999999999999999").
double rounded(double seconds) {
    return std::round(seconds * 1e6) / 1e6;
}

// Levels to a hundredth of a decibel; null where there is no finite figure
// (JSON has no infinity or NaN).
nlohmann::ordered_json decibels(double db) {
    if (!std::isfinite(db)) return nullptr;
    return std::round(db * 100) / 100;
}

nlohmann::ordered_json optionalNumber(const std::optional<double>& value) {
    return value ? decibels(*value) : nullptr;
}

// Which detection ran and the levels it used, so that an editor can see why.
nlohmann::ordered_json detectionJson(const DetectionFigures& figures) {
    nlohmann::ordered_json out = {{"mode", detectionModeName(figures.mode)}};
    if (figures.mode == DetectionMode::automatic) {
        out["noiseFloor"] = decibels(figures.noiseFloor);
        out["speechLevel"] = decibels(figures.speechLevel);
    }
    out["threshold"] = decibels(figures.threshold);
    return out;
}

void printJson(const AnalyzeOptions& options, const SpeechAnalysis& analysis,
               const std::optional<quelvo::LoudnessFigures>& loudness) {
    // Keys in the documented order: scripts and checks read the text as well as the values.
    nlohmann::ordered_json clusters = nlohmann::ordered_json::array();
    for (const quelvo::Cluster& cluster : analysis.clusters)
        clusters.push_back({rounded(cluster.start), rounded(cluster.end)});
    nlohmann::ordered_json out = {{"file", options.file},
                                  {"duration", rounded(analysis.duration)},
                                  {"sampleRate", analysis.sampleRate},
                                  {"clusters", clusters},
                                  {"detection", detectionJson(analysis.detection)}};
    if (loudness)
        out["loudness"] = {{"integrated", optionalNumber(loudness->integrated)},
                           {"range", optionalNumber(loudness->range)},
                           {"truePeak", optionalNumber(loudness->truePeak)}};
    // A file name that is not valid UTF-8 must not stop the output.
    std::cout << out.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

// One cluster a line: start and end in seconds, tab-separated.
void printPlain(const SpeechAnalysis& analysis) {
    for (const quelvo::Cluster& cluster : analysis.clusters)
        std::cout << quelvo::string(rounded(cluster.start)) << '\t'
                  << quelvo::string(rounded(cluster.end)) << '\n';
}

// The exit code when the --labels file cannot be written as asked; checked
// before the analysis so that a refusal costs nothing.
std::optional<int> labelsRefused(const AnalyzeOptions& options) {
    if (options.labels.empty()) return std::nullopt;
    if (options.music) {
        printError("--labels writes the dialogue's speech, not where --music sounds");
        return 2;
    }
    quelvo::OutputPlan outputs;
    outputs.inputs = {options.file};
    outputs.outputs = {options.labels};
    outputs.inputsName = "the file being analysed";
    outputs.replaceExisting = options.force;
    if (const auto refused = quelvo::checkOutputPlan(outputs)) {
        printError(*refused);
        return 1;
    }
    return std::nullopt;
}

// The speech of the dialogue, or where the music sounds with --music.
SpeechAnalysis analyse(const AnalyzeOptions& options, const EnvelopeTiming& rolls,
                       const quelvo::Parallelism& parallelism) {
    SpeechAnalysis analysis;
    if (options.music) {
        const double threshold = options.threshold.value_or(kMusicThreshold);
        analysis = findMusicClusters(options.file, threshold, parallelism);
        analysis.detection.threshold = threshold;
    } else {
        analysis = findSpeechClusters(options.file, rolls, parallelism);
    }
    return analysis;
}

// The loudness line of the plain output: integrated, range and true peak.
void printLoudness(const quelvo::LoudnessFigures& loudness) {
    const auto text = [](const std::optional<double>& v, const char* unit) {
        return v ? quelvo::string(std::round(*v * 100.0) / 100.0) + " " + unit : std::string("-");
    };
    std::cout << "loudness\t" << text(loudness.integrated, "LUFS") << '\t'
              << text(loudness.range, "LU") << '\t' << text(loudness.truePeak, "dBTP") << '\n';
}

int runAnalyze(const AnalyzeOptions& options) {
    if (options.music && options.detect) {
        printError("--detect applies to the dialogue analysis, not to --music");
        return 2;
    }
    EnvelopeTiming rolls = currentEnvelopeTiming();
    if (const auto usage = applyDetectionOptions(rolls, options.detect, options.threshold)) {
        printError(*usage);
        return 2;
    }
    const JobsChoice jobs = jobsFrom(options.jobs);
    if (jobs.usageError) {
        printError(*jobs.usageError);
        return 2;
    }
    if (const auto refused = labelsRefused(options)) return *refused;
    // The whole file's loudness (EBU R128), measured only when asked: it
    // decodes the file again, beside the analysis when the jobs allow.
    quelvo::Beside<quelvo::FileLoudness> measuring;
    if (options.loudness)
        measuring = quelvo::startBeside(
            jobs.parallelism.jobs >= 2, [&options, parallelism = jobs.parallelism] {
                return quelvo::measureFileLoudness(options.file, nullptr, 1 | 2 | 4, parallelism);
            });
    const SpeechAnalysis analysis = analyse(options, rolls, jobs.parallelism);
    if (!analysis.status) {
        printError("cannot analyse " + options.file + ": " + analysis.status.message());
        return 1;
    }
    // Damage passed over as silence is said as the ducking job says it.
    const std::string damaged =
        damageWarning(options.music ? "music" : "dialogue", options.file, analysis.damage,
                      std::llround(analysis.duration * analysis.damage.rate));
    if (!damaged.empty()) printWarning(damaged);
    if (!options.labels.empty()) {
        // The intervals exactly, not the microsecond figures printed below:
        // read back with --speech they give the project detection gives.
        if (const quelvo::Status written = writeLabelFile(options.labels, analysis.clusters);
            !written) {
            printError(written.message());
            return 1;
        }
    }
    std::optional<quelvo::LoudnessFigures> loudness;
    if (options.loudness) {
        const quelvo::FileLoudness measured = measuring.get();
        if (!measured.status) {
            printError("cannot measure the loudness of " + options.file + ": " +
                       measured.status.message());
            return 1;
        }
        loudness = measured.figures;
    }
    if (options.json) {
        printJson(options, analysis, loudness);
    } else {
        printPlain(analysis);
        if (loudness) printLoudness(*loudness);
    }
    return 0;
}

} // namespace

void registerAnalyzeCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<AnalyzeOptions>();
    CLI::App* command = app.add_subcommand(
        "analyze", "Print the speech clusters the ducking job would use for FILE "
                   "(or, with --music, where the music sounds)");
    command->add_option("FILE", options->file, "audio file to analyse")->required();
    command
        ->add_option(
            "--threshold", options->threshold,
            "detection threshold in dB; implies --detect threshold (default: the stored setting, "
            "or -60 with --music)")
        ->check(settingValidator(settings::kThreshold));
    command->add_option("--detect", options->detect,
                        "speech detection: automatic (adapts to each recording) or threshold "
                        "(default: the stored setting)");
    command->add_flag("--music", options->music, "find where the music is audible (-60 dB)");
    command->add_flag("--loudness", options->loudness,
                      "also measure the loudness (integrated LUFS, range LU, true peak dBTP)");
    addJobsOption(command, options->jobs, false);
    command->add_option(
        "--labels", options->labels,
        "also write the speech intervals as a label file (start<TAB>end<TAB>speech), "
        "for duck --speech or an audio editor");
    command->add_flag("--force", options->force, "replace the --labels file if it already exists");
    command->add_flag("--json", options->json,
                      "print {\"file\", \"duration\", \"sampleRate\", \"clusters\": [[start, end], "
                      "...], \"detection\": {...}} "
                      "(and \"loudness\" with --loudness)");
    command->callback([options, &exitCode] { exitCode = runAnalyze(*options); });
}

} // namespace quelvo::cli

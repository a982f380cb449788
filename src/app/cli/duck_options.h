#pragma once
// The options `duck` and `render` share: the inputs (up to eight dialogue
// files), the levels, the
// depth mode, the project name, --jobs and --json. Both commands register them
// through addDuckOptions, so an option added there reaches both.
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

namespace quelvo::cli {

struct DuckOptions {
    std::vector<std::string> dialogue; // one per microphone, at least one
    std::string music, filler;
    std::optional<int> decrease, overall;
    bool toZero = false;
    std::optional<double> under;
    std::optional<std::string> name;
    std::optional<std::string> format;
    std::string output;
    bool sendToFCP = false;
    bool json = false;
    bool force = false;                // replace an existing output file
    std::optional<std::string> detect; // "automatic" or "threshold"
    std::optional<double> threshold;   // implies the threshold mode
    std::optional<std::string> jobs;   // as written; see jobs_option.h
    // --speech: a label file of speech intervals, used instead of detecting
    // (read by speechFrom, speech_option.h).
    std::optional<std::string> speech;
};

void addDuckOptions(CLI::App* command, DuckOptions& options);

// The levels a job runs with: the options where given, else the stored settings.
struct DuckLevels {
    int decrease = -12;
    int overall = 0;
    bool toZero = false;
    std::optional<double> underLU; // set: depth by loudness
    std::string name;              // the project's base name
};
DuckLevels resolveDuckLevels(const DuckOptions& options);

// The usage error of the dialogue files as given (too many, one twice), or
// nothing.
std::optional<std::string> dialogueFilesError(const DuckOptions& options);

// A loudness for the JSON summaries: LUFS to 0.01, or null when not measured.
nlohmann::ordered_json loudnessValue(const std::optional<double>& lufs);

} // namespace quelvo::cli

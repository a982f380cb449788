#pragma once
// --speech LABELS.txt for duck and render: the speech intervals of a label
// file, used as they are instead of detecting (the dialogue is still read
// for its facts). See docs/label-files.md.
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "base/cluster.h"

namespace quelvo::cli {

struct DuckOptions;

// Registers --speech on a command that takes the duck options.
void addSpeechOption(CLI::App* command, DuckOptions& options);

struct SpeechChoice {
    // Set when --speech was given and its file read.
    std::optional<quelvo::ClusterList> intervals;
    std::optional<std::string> usageError; // exit 2
    std::optional<std::string> failure;    // the file cannot be used: exit 1
    std::vector<std::string> warnings;     // what was mended in the file
};

// Reads --speech when given. `dialogueSeconds` (0 when unknown) cuts
// intervals that go past the recording's end.
SpeechChoice speechFrom(const DuckOptions& options, double dialogueSeconds);

// The dialogue's length for speechFrom: its header's, 0 when unknown.
double dialogueSecondsOf(const std::string& dialoguePath);

// Reads --speech for duck and render into `speech`, printing what was
// mended; 0 to go on, else the exit status (2 for a usage error, 1 for a
// file that cannot be used), the reason printed.
int readSpeechOption(const DuckOptions& options, std::optional<quelvo::ClusterList>& speech);

} // namespace quelvo::cli

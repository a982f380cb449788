#pragma once
// --jobs, shared by analyze, duck and render: how many threads the analyses
// may use. Without it they use every processor core; --jobs 1 decodes each
// file on one thread, one file after the other.
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "media/parallelism.h"

namespace quelvo::cli {

// Adds --jobs to the command; the value is kept as written and read by
// jobsFrom. `capitalised` follows the command's other help texts.
void addJobsOption(CLI::App* command, std::optional<std::string>& jobs, bool capitalised = true);

// The analyses' parallelism from --jobs (the machine's cores when absent), or
// the usage error for a value that is not a whole number of at least 1.
struct JobsChoice {
    quelvo::Parallelism parallelism;
    std::optional<std::string> usageError;
};
JobsChoice jobsFrom(const std::optional<std::string>& jobs);

} // namespace quelvo::cli

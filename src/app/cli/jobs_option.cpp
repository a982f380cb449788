#include "app/cli/jobs_option.h"

#include <charconv>

namespace quelvo::cli {

void addJobsOption(CLI::App* command, std::optional<std::string>& jobs, bool capitalised) {
    std::string description =
        "threads the analyses may use, a whole number of 1 or more; 1 keeps to one thread "
        "(default: every processor core)";
    if (capitalised) description[0] = 'T';
    // Read as text: "0", "-2", "1.5" and "many" all get the one sentence
    // below rather than a converter's message about types.
    command->add_option("--jobs", jobs, description)->type_name("INT");
}

JobsChoice jobsFrom(const std::optional<std::string>& jobs) {
    JobsChoice choice;
    choice.parallelism.jobs = quelvo::machineCores();
    if (!jobs) return choice;
    int n = 0;
    const char* first = jobs->data();
    const char* last = first + jobs->size();
    const auto [end, error] = std::from_chars(first, last, n);
    if (error != std::errc() || end != last || n < 1) {
        choice.usageError = "--jobs must be a whole number of 1 or more";
        return choice;
    }
    choice.parallelism.jobs = n;
    return choice;
}

} // namespace quelvo::cli

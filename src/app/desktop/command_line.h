#pragma once
// The desktop program's command line: `quelvo [DIALOGUE [MUSIC [FILLER]]]`,
// what a launcher passes when files are opened with it, plus --help and
// --version. The help text is in the same form as quelvo-cli's, so the manual
// page is made from it the same way.
#include <optional>
#include <string>
#include <vector>

namespace quelvo::desktop {

struct CommandLine {
    // Absolute paths, in the order given.
    std::vector<std::string> files;
    // Arguments that are neither files Quelvo places nor options it knows.
    std::vector<std::string> ignored;
};

// Answers --help and --version before anything needs a display: prints the
// text and returns the exit status; nothing when neither was asked for.
std::optional<int> answerInformationOptions(int argc, char** argv);

// The files to place, read from what is left once the toolkit has taken its
// own options (-platform, -style, ...).
CommandLine parseCommandLine(int argc, char** argv);

} // namespace quelvo::desktop

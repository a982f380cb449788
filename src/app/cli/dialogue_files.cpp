#include "app/cli/dialogue_files.h"

#include "base/output_files.h"

namespace quelvo::cli {

std::optional<std::string> dialogueUsageError(const std::vector<std::string>& paths) {
    if (paths.size() > static_cast<size_t>(kMostDialogueFiles))
        return "--dialogue was given " + std::to_string(paths.size()) + " times; at most " +
               std::to_string(kMostDialogueFiles) + " dialogue files can duck one music bed";
    for (size_t i = 0; i < paths.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (paths[i] == paths[j] || quelvo::sameFile(paths[i], paths[j]))
                return "--dialogue " + paths[i] + " is the same file as --dialogue " + paths[j] +
                       "; give each microphone's recording once";
    return std::nullopt;
}

} // namespace quelvo::cli

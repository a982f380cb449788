#include "base/keep_both.h"

#include <filesystem>

namespace quelvo {

namespace fs = std::filesystem;

bool somethingAt(const std::string& path) {
    std::error_code ec;
    return !path.empty() &&
           fs::symlink_status(fs::path(path), ec).type() != fs::file_type::not_found && !ec;
}

std::string keepBothPath(const std::string& path) {
    const fs::path original(path);
    const std::string stem = original.stem().string();
    const std::string extension = original.extension().string();
    // Always counted from the name itself: "take 1.fcpxml" gives "take 1 2.fcpxml",
    // never "take 2.fcpxml", which may well be another recording's project.
    long long number = 2;
    for (;; ++number) {
        const fs::path candidate =
            original.parent_path() / (stem + " " + std::to_string(number) + extension);
        if (!somethingAt(candidate.string())) return candidate.string();
    }
}

} // namespace quelvo

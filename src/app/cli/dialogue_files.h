#pragma once
// The dialogue recordings `duck` and `render` take: one --dialogue per
// microphone, recorded together, at most kMostDialogueFiles of them, each a
// different file.
#include <optional>
#include <string>
#include <vector>

namespace quelvo::cli {

inline constexpr int kMostDialogueFiles = 8;

// The usage error for the files as given, or nothing. The same file twice
// is found by its identity (device and inode), so a second path to it (a
// link, "./") counts too.
std::optional<std::string> dialogueUsageError(const std::vector<std::string>& paths);

} // namespace quelvo::cli

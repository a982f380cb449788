#pragma once
// The rules every file a command writes obeys (docs/writing-files.md): an
// existing file is replaced only when asked for; an output is never one of
// the command's inputs nor another of its outputs; a folder, device, named
// pipe or socket is never written over; a symbolic link is written through
// to its target.
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"

namespace quelvo {

// The name a write to `path` lands at: a symbolic link (or a chain of them)
// is followed to its target, which may not exist yet. Anything else is
// returned as it is.
std::string writeTargetOf(const std::string& path);

// Whether two paths name one file: the same device and inode when both
// exist ("./a.wav", a link to it and a hard link are one file), else the
// same place once links and "." or ".." are resolved.
bool sameFile(const std::string& a, const std::string& b);

// Why nothing may be written at path's target, or nothing when a regular
// file (or nothing at all) sits there: "it is a folder, not a file", ...
std::optional<std::string> notWritableBecause(const std::string& path);

// Everything one command reads and writes, checked before it starts.
struct OutputPlan {
    std::vector<std::string> inputs;                 // "" entries are skipped
    std::vector<std::string> outputs;                // "" entries are skipped
    std::string inputsName = "the files being read"; // for the message
    bool replaceExisting = false;                    // --force
};

// The one sentence that refuses the plan, or nothing. Without
// replaceExisting each output is also marked as one that must still be new
// when it is put in place (see mustStayNew).
std::optional<std::string> checkOutputPlan(const OutputPlan& plan);

// Marks path's target as a file that may only be created, never replaced:
// the final rename of a write to it fails if something appeared there
// meanwhile. Process-wide, because the writers sit far below the command
// that knows whether replacing was asked for.
void mustStayNew(const std::string& path);
bool isMarkedNew(const std::string& target);

} // namespace quelvo

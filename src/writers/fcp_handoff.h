#pragma once
// Handing a finished document to Final Cut Pro: the document goes into a new
// file in the user's cache folder (<cache>/Quelvo/handoff/<project>-<time>.fcpxml,
// written atomically) and that file is opened with `open -a "Final Cut Pro"`
// on macOS, or with the desktop's default handler (xdg-open) elsewhere.
// $QUELVO_FCP_OPENER names another program to open it with; it is given the
// file's path as its only argument.
#include <string>
#include <vector>

#include "base/result.h"

namespace quelvo::fcpHandoff {

inline constexpr const char* kOpenerVariable = "QUELVO_FCP_OPENER";

// <cache>/Quelvo/handoff (created on demand).
std::string handoffDirectory();

// The program and arguments that open `file` in Final Cut Pro.
std::vector<std::string> openerCommand(const std::string& file);

// The file name part for a document: its project's name made safe for a file
// name, else appName.
std::string handoffBaseName(const std::string& appName, const std::string& xml);

// How a hand-over went: its status, and the copy in the cache folder ("" when
// it could not be written). A copy stays there also when the opener failed,
// so the user can open it by hand.
struct HandOverResult {
    quelvo::Status status = quelvo::Status::success();
    std::string file;
};

// Writes the document and asks Final Cut Pro to open it; blocks until the
// opener has exited. A failure (the file cannot be written, the opener cannot
// start or exits non-zero) comes back as one sentence naming the file.
HandOverResult handOverToFCP(const std::string& appName, const std::string& xml);
quelvo::Status sendDirectlyToFCP(const std::string& appName, const std::string& xml);

} // namespace quelvo::fcpHandoff

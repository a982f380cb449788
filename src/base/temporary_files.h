#pragma once
// The hidden temporary files of the writes under way. A program stopped by
// SIGINT, SIGTERM or SIGHUP removes them before it ends, so that a stopped
// render leaves neither a half-written file nor hundreds of hidden
// megabytes behind; the file it was to replace stays as it was.
#include <string>

namespace quelvo {

// Called by the writers when they choose and when they drop or commit a
// temporary name. A path too long to keep (or more than a few dozen writes
// at once) is simply not removed on a stop.
void rememberTemporaryFile(const std::string& path);
void forgetTemporaryFile(const std::string& path);

// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove every
// remembered temporary file and then end the program by the same signal
// (the shell reports 128 + the signal's number). A signal the program was
// started with ignored stays ignored.
void removeTemporaryFilesOnStop();

} // namespace quelvo

#pragma once
// Standard output as scripts rely on it. A closed or broken standard output
// never stops a command half-way (SIGPIPE is ignored, a closed descriptor is
// taken by /dev/null so that no file lands on it), and it is never passed
// off as success: the command's files are written, then one line on
// standard error and exit status 1.
#include <string>

#include "base/services.h"

namespace quelvo::cli {

// A job's status lines, one a line on standard error.
class StderrStatus : public quelvo::StatusSink {
  public:
    void setStatus(const std::string& text) override;
};

// At start: SIGPIPE ignored, standard input, output and error open.
void prepareStandardStreams();

// At the end: the exit status, 1 (with one line on standard error) when a
// command that succeeded could not write all of its standard output.
int finishStandardOutput(int exitCode);

// While alive, what the writers print for the desktop program's console
// (the legacy document, the stored title settings) goes to standard error,
// so that standard output carries only the command's result.
class StdoutToStderr {
  public:
    StdoutToStderr();
    ~StdoutToStderr();
    StdoutToStderr(const StdoutToStderr&) = delete;
    StdoutToStderr& operator=(const StdoutToStderr&) = delete;

  private:
    int m_saved = -1;
};

} // namespace quelvo::cli

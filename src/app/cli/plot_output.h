#pragma once
#include <string>

#include "app/cli/duck_options.h"
#include "ducking/job/duck_job.h"
#include "platform/toolkit/result.h"

namespace quelvo::cli {

// Writes the SVG preview of a finished duck job to `path`.
kykit::Status writeDuckPlot(const std::string& path, const DuckOptions& options, const DuckOutcome& outcome,
                            int overallMusicLevel);

} // namespace quelvo::cli
